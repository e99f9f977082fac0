#include "library/program.h"

#include "library/album.h"
#include "library/randomgenerator.h"

#include <algorithm>
#include <unordered_set>

QString InternalProgramCaption(int type)
{
    switch (type) {
    case ptNormal:
        return QStringLiteral("Normal");
    case ptShuffle:
        return QStringLiteral("Shuffle");
    case ptReverse:
        return QStringLiteral("Reverse");
    default:
        return {};
    }
}

int TProgram::ProgramIndex() const
{
    const auto &list = IsInternal() ? Album->InternalPrograms : Album->CustomPrograms;
    const auto it = std::find_if(list.begin(), list.end(),
                                 [this](const auto &program) { return program.get() == this; });
    if (it == list.end()) return -1;
    const int position = static_cast<int>(it - list.begin());
    return IsInternal() ? position : position + 3;
}

qsizetype TProgram::IndexOf(const TTitle *title) const
{
    const auto it = std::find(Titles.begin(), Titles.end(), title);
    return it == Titles.end() ? -1 : it - Titles.begin();
}

TTitle *TProgram::NextTitle() const
{
    if (Titles.empty()) return nullptr;
    const qsizetype at = Album->CurrentTitle ? IndexOf(Album->CurrentTitle) : -1;
    if (at < 0 || at + 1 >= static_cast<qsizetype>(Titles.size())) return Titles.front();
    return Titles[at + 1];
}

TTitle *TProgram::PreviousTitle() const
{
    if (Titles.empty()) return nullptr;
    const qsizetype at = Album->CurrentTitle ? IndexOf(Album->CurrentTitle) : -1;
    if (at <= 0) return Titles.back();
    return Titles[at - 1];
}

bool TProgram::RemoveLink(const TTitle *title)
{
    const auto it = std::find(Titles.begin(), Titles.end(), title);
    if (it == Titles.end()) return false;
    Titles.erase(it);
    return true;
}

void TProgram::RefreshProgram()
{
    const std::vector<TTitle *> &albumTitles = Album->Titles;
    switch (ProgramType) {
    case ptNormal:
        Titles = albumTitles;
        break;
    case ptReverse:
        Titles.assign(albumTitles.rbegin(), albumTitles.rend());
        break;
    case ptShuffle:
        RefreshShuffle();
        break;
    default: // a custom program keeps exactly the links the user gave it
        break;
    }
}

void TProgram::RefreshShuffle()
{
    const std::vector<TTitle *> &albumTitles = Album->Titles;
    const std::unordered_set<const TTitle *> inAlbum(albumTitles.begin(), albumTitles.end());

    // Keep the order drawn so far, without titles that left the album. A shuffle order holds
    // each title once; a repeat (only a damaged album file can bring one) would trap the
    // play order in a loop, so it goes too.
    std::unordered_set<const TTitle *> held;
    held.reserve(albumTitles.size());
    std::size_t kept = 0;
    for (TTitle *title : Titles) {
        if (inAlbum.contains(title) && held.insert(title).second) Titles[kept++] = title;
    }
    Titles.resize(kept);

    // Draw every title of the album; those not yet held join the end in the order drawn.
    for (const std::size_t position : ProcessRandom().DrawOrder(albumTitles.size())) {
        TTitle *title = albumTitles[position];
        if (held.insert(title).second) Titles.push_back(title);
    }
}

void TProgram::Regenerate()
{
    Titles.clear();
    RefreshProgram();
}
