#include "library/albumsnapshot.h"

#include "library/album.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

std::vector<int> Positions(const TProgram &program,
                           const std::unordered_map<const TTitle *, int> &position)
{
    std::vector<int> result;
    result.reserve(program.Titles.size());
    for (const TTitle *title : program.Titles) {
        const auto it = position.find(title);
        if (it != position.end()) result.push_back(it->second);
    }
    return result;
}

} // namespace

TAlbumSnapshot::TAlbumSnapshot(const TAlbum &album) : album_(&album)
{
    std::unordered_map<const TTitle *, int> position;
    position.reserve(album.Titles.size());
    records_.reserve(album.Titles.size());
    titles_.reserve(album.Titles.size());
    for (const TTitle *title : album.Titles) {
        position.emplace(title, static_cast<int>(records_.size()));
        records_.push_back(title);
        titles_.push_back(*title);
    }
    for (const auto &program : album.InternalPrograms)
        internal_.push_back({program.get(), program->Caption, Positions(*program, position)});
    for (const auto &program : album.CustomPrograms)
        custom_.push_back({program.get(), program->Caption, Positions(*program, position)});
    currentProgram_ = album.CurrentProgram ? album.CurrentProgram->ProgramIndex() : -1;
    const auto it = position.find(album.CurrentTitle);
    currentTitle_ = it == position.end() ? -1 : it->second;
}

void TAlbumSnapshot::Restore(TAlbum &album) const
{
    // Titles: the records still in the album stay; the others come back as new records.
    const std::unordered_set<const TTitle *> present(album.Titles.begin(), album.Titles.end());
    std::vector<TTitle *> titles;
    titles.reserve(titles_.size());
    for (std::size_t i = 0; i < titles_.size(); ++i) {
        if (present.contains(records_[i])) {
            titles.push_back(const_cast<TTitle *>(records_[i]));
        } else {
            TTitle *title = album.AddTitle(); // appended for now; the order is set below
            *title = titles_[i];
            titles.push_back(title);
        }
    }
    // Titles added since the snapshot (there should be none) keep their place at the end.
    const std::unordered_set<const TTitle *> restored(titles.begin(), titles.end());
    for (TTitle *title : album.Titles)
        if (!restored.contains(title)) titles.push_back(title);
    album.Titles = titles;

    auto links = [&titles](const std::vector<int> &positions) {
        std::vector<TTitle *> result;
        result.reserve(positions.size());
        for (const int p : positions)
            result.push_back(titles[static_cast<std::size_t>(p)]);
        return result;
    };
    for (std::size_t i = 0; i < internal_.size() && i < album.InternalPrograms.size(); ++i)
        album.InternalPrograms[i]->Titles = links(internal_[i].Titles);

    std::vector<std::unique_ptr<TProgram>> custom;
    for (const TProgramState &state : custom_) {
        const auto it = std::find_if(album.CustomPrograms.begin(), album.CustomPrograms.end(),
                                     [&state](const auto &p) { return p.get() == state.Program; });
        std::unique_ptr<TProgram> program;
        if (it != album.CustomPrograms.end()) {
            program = std::move(*it);
            album.CustomPrograms.erase(it);
        } else {
            program = album.CreateProgram();
            program->Caption = state.Caption;
        }
        program->Titles = links(state.Titles);
        custom.push_back(std::move(program));
    }
    for (auto &program : album.CustomPrograms)
        custom.push_back(std::move(program));
    album.CustomPrograms = std::move(custom);

    if (TProgram *program = album.ProgramByIndex(currentProgram_)) album.CurrentProgram = program;
    if (currentTitle_ >= 0) album.CurrentTitle = titles[static_cast<std::size_t>(currentTitle_)];
}
