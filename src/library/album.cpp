#include "library/album.h"

#include "library/commatext.h"
#include "library/librarylistener.h"
#include "library/titlecaption.h"

#include <algorithm>

namespace {

// The position that stands for i in a list of n entries once an entry has gone: the last
// one for a position before the start, the first one for a position past the end.
qsizetype Wrap(qsizetype i, qsizetype n)
{
    if (n == 0) return -1;
    if (i < 0) return n - 1;
    if (i >= n) return 0;
    return i;
}

} // namespace

TAlbum::TAlbum()
{
    for (int type = ptNormal; type <= ptReverse; ++type) {
        auto program = CreateProgram();
        program->ProgramType = type;
        program->Caption = InternalProgramCaption(type);
        InternalPrograms.push_back(std::move(program));
    }
    CurrentProgram = InternalPrograms.front().get();
}

TAlbum::~TAlbum()
{
    CurrentProgram = nullptr;
    CurrentTitle = nullptr;
    CustomPrograms.clear();
    InternalPrograms.clear();
    DisposeAllTitles();
}

TTitle *TAlbum::AddTitle()
{
    auto title = std::make_unique<TTitle>();
    Titles.push_back(title.get());
    return title.release();
}

TTitle *TAlbum::AddFiles(const QString &list, const TAddFilesDevice *device)
{
    const QStringList items = SplitCommaText(list);
    TTitle *last = nullptr;
    if (items.isEmpty()) {
        last = AddTitle();
        last->FileName = list;
        if (device) {
            last->Caption = device->Description.isEmpty() ? device->Name : device->Description;
            last->DeviceName = device->Name;
        }
    } else {
        Titles.reserve(Titles.size() + items.size());
        for (const QString &item : items) {
            last = AddTitle();
            last->Caption = MakeTitleCaption(item, true);
            last->FileName = item;
            if (device) last->DeviceName = device->Name;
        }
    }
    RefreshInternalPrograms();
    return last;
}

qsizetype TAlbum::TitleIndex(const TTitle *title) const
{
    const auto it = std::find(Titles.begin(), Titles.end(), title);
    return it == Titles.end() ? -1 : it - Titles.begin();
}

TOwnedTitle TAlbum::RemoveTitle(TTitle *title)
{
    if (!title) return {};
    const bool wasCurrent = title == CurrentTitle;
    const qsizetype inProgram = wasCurrent && CurrentProgram ? CurrentProgram->IndexOf(title) : -1;
    const qsizetype inAlbum = wasCurrent ? TitleIndex(title) : -1;

    // Every occurrence goes: a custom program may hold the title more than once, and a link
    // left behind would point at a freed record.
    for (const auto &program : CustomPrograms)
        std::erase(program->Titles, title);
    for (const auto &program : InternalPrograms)
        std::erase(program->Titles, title);
    TOwnedTitle owned;
    const auto it = std::find(Titles.begin(), Titles.end(), title);
    if (it != Titles.end()) {
        Titles.erase(it);
        owned.reset(title);
    }

    if (wasCurrent) {
        CurrentTitle = nullptr;
        const qsizetype programCount =
            CurrentProgram ? static_cast<qsizetype>(CurrentProgram->Titles.size()) : 0;
        const qsizetype a = Wrap(inProgram, programCount);
        const qsizetype b = Wrap(inAlbum, static_cast<qsizetype>(Titles.size()));
        if (a >= 0)
            CurrentTitle = CurrentProgram->Titles[a];
        else if (b >= 0)
            CurrentTitle = Titles[b];
    }
    return owned;
}

TProgram *TAlbum::ProgramByIndex(int index) const
{
    if (index < 0) return nullptr;
    if (index < 3) {
        return static_cast<std::size_t>(index) < InternalPrograms.size()
                   ? InternalPrograms[index].get()
                   : nullptr;
    }
    const std::size_t custom = static_cast<std::size_t>(index) - 3;
    return custom < CustomPrograms.size() ? CustomPrograms[custom].get() : nullptr;
}

void TAlbum::SetCurrentProgram(TProgram *program)
{
    CurrentProgram = program;
    if (program) program->RefreshProgram();
}

std::unique_ptr<TProgram> TAlbum::DeleteProgram(TProgram *program)
{
    if (!program) return {};
    if (program->IsInternal()) {
        LibraryListener().InternalProgramNotDeleted(*program);
        return {};
    }
    const auto it = std::find_if(CustomPrograms.begin(), CustomPrograms.end(),
                                 [program](const auto &p) { return p.get() == program; });
    if (it == CustomPrograms.end()) return {};
    const bool wasCurrent = program == CurrentProgram;
    const int index = program->ProgramIndex();
    std::unique_ptr<TProgram> removed = std::move(*it);
    CustomPrograms.erase(it);
    if (wasCurrent)
        SetCurrentProgram(ProgramByIndex(static_cast<int>(Wrap(index, ProgramCount()))));
    return removed;
}

TTitle *TAlbum::NextTitle() const
{
    return CurrentProgram ? CurrentProgram->NextTitle() : nullptr;
}

TTitle *TAlbum::PreviousTitle() const
{
    return CurrentProgram ? CurrentProgram->PreviousTitle() : nullptr;
}

void TAlbum::RefreshInternalPrograms()
{
    for (const auto &program : InternalPrograms)
        program->RefreshProgram();
}

void TAlbum::RegenerateInternalPrograms()
{
    for (const auto &program : InternalPrograms)
        program->Regenerate();
}

void TAlbum::ClearMedia()
{
    DeviceName.clear();
    MediaID.clear();
    CurrentTitle = nullptr;
}

void TAlbum::Unload()
{
    CurrentProgram = nullptr;
    Loaded = false;
    CurrentTitle = nullptr;
    CustomPrograms.clear();
    InternalPrograms.clear();
    DisposeAllTitles();
}

void TAlbum::ClearLinks()
{
    for (const auto &program : InternalPrograms)
        program->Titles.clear();
    for (const auto &program : CustomPrograms)
        program->Titles.clear();
    // The current title is one of the records freed below.
    CurrentTitle = nullptr;
    DisposeAllTitles();
}

void TAlbum::DisposeAllTitles()
{
    std::vector<TTitle *> titles;
    titles.swap(Titles);
    for (TTitle *title : titles)
        DisposeTitle(TOwnedTitle(title));
}
