#include "library/album.h"
#include "library/librarylistener.h"
#include "library/randomgenerator.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <set>

namespace {

// Records what the library reports.
class TRecordingListener : public TLibraryListener {
public:
    TRecordingListener() { SetLibraryListener(this); }
    ~TRecordingListener() override { SetLibraryListener(nullptr); }
    void TitleDisposed(const TTitle *title) override { disposed.push_back(title); }
    void InternalProgramNotDeleted(const TProgram &program) override
    {
        refused.push_back(program.Caption);
    }
    std::vector<const TTitle *> disposed;
    QStringList refused;
};

// An album of titles "t0" ... with its internal programs refreshed.
std::unique_ptr<TAlbum> AlbumOf(int count)
{
    auto album = TAlbum::CreateAlbum();
    for (int i = 0; i < count; ++i)
        album->AddTitle()->Caption = QStringLiteral("t%1").arg(i);
    album->RefreshInternalPrograms();
    return album;
}

TProgram *AddCustom(TAlbum &album, std::vector<int> links)
{
    auto program = album.CreateProgram();
    for (int i : links)
        program->Titles.push_back(album.Titles[i]);
    album.CustomPrograms.push_back(std::move(program));
    return album.CustomPrograms.back().get();
}

QStringList Captions(const std::vector<TTitle *> &list)
{
    QStringList out;
    for (const TTitle *t : list)
        out << t->Caption;
    return out;
}

} // namespace

TEST(Album, NextAndPreviousWrapAndStartFromTheEnds)
{
    auto album = AlbumOf(3);
    TProgram &normal = *album->InternalPrograms[0];
    TTitle **t = album->Titles.data();

    album->CurrentTitle = nullptr;
    EXPECT_EQ(normal.NextTitle(), t[0]);
    EXPECT_EQ(normal.PreviousTitle(), t[2]);
    album->CurrentTitle = t[2];
    EXPECT_EQ(normal.NextTitle(), t[0]);
    EXPECT_EQ(normal.PreviousTitle(), t[1]);
    album->CurrentTitle = t[0];
    EXPECT_EQ(normal.PreviousTitle(), t[2]);

    // A current title that the program does not hold.
    TProgram *custom = AddCustom(*album, {1, 1});
    EXPECT_EQ(custom->NextTitle(), t[1]);
    EXPECT_EQ(custom->PreviousTitle(), t[1]);
    // With a repeat, the first occurrence counts.
    album->CurrentTitle = t[1];
    EXPECT_EQ(custom->NextTitle(), t[1]);

    auto one = AlbumOf(1);
    one->CurrentTitle = one->Titles[0];
    EXPECT_EQ(one->NextTitle(), one->Titles[0]);
    EXPECT_EQ(one->PreviousTitle(), one->Titles[0]);
    auto none = AlbumOf(0);
    EXPECT_EQ(none->NextTitle(), nullptr);
    EXPECT_EQ(none->PreviousTitle(), nullptr);
}

TEST(Album, AddFilesNamesTitlesAndBindsThemToTheDevice)
{
    auto album = AlbumOf(0);
    const TAddFilesDevice device{QStringLiteral("sequencer"), QStringLiteral("MIDI Sequencer")};
    TTitle *last = album->AddFiles(QStringLiteral("/m/one.mid \"/m/two song.kar\""), &device);
    ASSERT_EQ(album->Titles.size(), 2u);
    EXPECT_EQ(last, album->Titles[1]);
    EXPECT_EQ(last->Caption, QStringLiteral("Two Song"));
    EXPECT_EQ(last->FileName, QStringLiteral("/m/two song.kar"));
    EXPECT_EQ(last->DeviceName, QStringLiteral("sequencer"));
    EXPECT_EQ(album->InternalPrograms[0]->Titles.size(), 2u);
    EXPECT_EQ(album->InternalPrograms[1]->Titles.size(), 2u);
    EXPECT_EQ(Captions(album->InternalPrograms[2]->Titles), (QStringList{"Two Song", "One"}));

    // No files: one title standing for the device, named after it.
    TTitle *cd = album->AddFiles(QString(), &device);
    EXPECT_EQ(cd->Caption, QStringLiteral("MIDI Sequencer"));
    EXPECT_TRUE(cd->FileName.isEmpty());
    const TAddFilesDevice plain{QStringLiteral("cdaudio"), QString()};
    EXPECT_EQ(album->AddFiles(QString(), &plain)->Caption, QStringLiteral("cdaudio"));
    TTitle *bare = album->AddFiles(QString());
    EXPECT_EQ(bare->Caption, QStringLiteral("Default Title name"));
    EXPECT_TRUE(bare->DeviceName.isEmpty());
    EXPECT_EQ(bare->Track, -1);
}

TEST(Album, ShuffleRefreshKeepsTheOrderDrawnAndAppendsNewTitles)
{
    ProcessRandom().SetSeed(12345);
    auto album = AlbumOf(3);
    TProgram &shuffle = *album->InternalPrograms[1];
    const std::vector<TTitle *> drawn = shuffle.Titles;
    ASSERT_EQ(drawn.size(), 3u);

    album->AddFiles(QStringLiteral("d.mid e.mid"));
    ASSERT_EQ(shuffle.Titles.size(), 5u);
    EXPECT_EQ(std::vector<TTitle *>(shuffle.Titles.begin(), shuffle.Titles.begin() + 3), drawn);
    const std::set<TTitle *> added(shuffle.Titles.begin() + 3, shuffle.Titles.end());
    EXPECT_EQ(added, (std::set<TTitle *>{album->Titles[3], album->Titles[4]}));

    // A title that leaves the album leaves the order; the rest stay in place.
    TTitle *gone = drawn[1];
    DisposeTitle(album->RemoveTitle(gone));
    album->RefreshInternalPrograms();
    EXPECT_EQ(shuffle.Titles.size(), 4u);
    EXPECT_EQ(shuffle.Titles[0], drawn[0]);
    EXPECT_EQ(shuffle.Titles[1], drawn[2]);

    // Repeats (from a damaged file) are dropped so that every title is played.
    shuffle.Titles.push_back(shuffle.Titles[0]);
    shuffle.RefreshProgram();
    EXPECT_EQ(std::set<TTitle *>(shuffle.Titles.begin(), shuffle.Titles.end()).size(),
              shuffle.Titles.size());
    EXPECT_EQ(shuffle.Titles.size(), album->Titles.size());
}

TEST(Album, ShuffleOrderFollowsTheGeneratorExactly)
{
    TRandomGenerator check(1);
    EXPECT_EQ(check.Random(1000), 31u); // seed 1 -> 134775814; 1000 * seed >> 32
    EXPECT_EQ(check.Seed(), 134775814u);

    // A draw order is what taking a random remaining entry from a list, again and again,
    // gives: compare with doing exactly that.
    for (const std::size_t n : {0u, 1u, 2u, 7u, 64u, 1000u}) {
        TRandomGenerator fast(99u + n);
        TRandomGenerator slow(99u + n);
        std::vector<std::size_t> scratch(n);
        for (std::size_t i = 0; i < n; ++i)
            scratch[i] = i;
        std::vector<std::size_t> expected;
        while (!scratch.empty()) {
            const auto k = slow.Random(static_cast<std::uint32_t>(scratch.size()));
            expected.push_back(scratch[k]);
            scratch.erase(scratch.begin() + k);
        }
        EXPECT_EQ(fast.DrawOrder(n), expected) << n;
        EXPECT_EQ(fast.Seed(), slow.Seed());
    }

    // The same seed gives the same shuffle; regenerating draws anew.
    ProcessRandom().SetSeed(7);
    const QStringList first = Captions(AlbumOf(20)->InternalPrograms[1]->Titles);
    ProcessRandom().SetSeed(7);
    auto album = AlbumOf(20);
    EXPECT_EQ(Captions(album->InternalPrograms[1]->Titles), first);
    album->RegenerateInternalPrograms();
    EXPECT_NE(Captions(album->InternalPrograms[1]->Titles), first);
    EXPECT_EQ(album->InternalPrograms[1]->Titles.size(), 20u);
}

TEST(Album, RemovingTheCurrentTitleSelectsTheFollowingOne)
{
    TRecordingListener listener;
    auto album = AlbumOf(3);
    TProgram *custom = AddCustom(*album, {1, 2, 2, 0});
    album->SetCurrentProgram(custom);
    TTitle *t0 = album->Titles[0];
    TTitle *t1 = album->Titles[1];
    TTitle *t2 = album->Titles[2];

    // The last title of the current program: the program's first title follows.
    album->CurrentTitle = t0;
    TOwnedTitle removed = album->RemoveTitle(t0);
    EXPECT_EQ(removed.get(), t0);
    EXPECT_EQ(album->CurrentTitle, t1);
    EXPECT_EQ(Captions(custom->Titles), (QStringList{"t1", "t2", "t2"}));
    EXPECT_EQ(album->Titles.size(), 2u);
    for (const auto &p : album->InternalPrograms)
        EXPECT_EQ(p->IndexOf(t0), -1);
    EXPECT_TRUE(listener.disposed.empty()); // unlinked, not yet freed
    DisposeTitle(std::move(removed));
    EXPECT_EQ(listener.disposed, (std::vector<const TTitle *>{t0}));

    // A title a program holds twice leaves it altogether: no link to a freed record stays.
    DisposeTitle(album->RemoveTitle(t2));
    EXPECT_EQ(Captions(custom->Titles), (QStringList{"t1"}));
    EXPECT_EQ(album->CurrentTitle, t1);

    // A title that is not current leaves the current one alone.
    auto other = AlbumOf(3);
    other->CurrentTitle = other->Titles[0];
    DisposeTitle(other->RemoveTitle(other->Titles[1]));
    EXPECT_EQ(other->CurrentTitle, other->Titles[0]);

    auto single = AlbumOf(1);
    single->CurrentTitle = single->Titles[0];
    DisposeTitle(single->RemoveTitle(single->Titles[0]));
    EXPECT_EQ(single->CurrentTitle, nullptr);
    EXPECT_TRUE(single->Titles.empty());

    // A record the album does not own is not handed out.
    TTitle stranger;
    EXPECT_EQ(single->RemoveTitle(&stranger), nullptr);
}

TEST(Album, DeletingProgramsMovesTheCurrentOneAndRefusesInternalOnes)
{
    TRecordingListener listener;
    auto album = AlbumOf(2);
    TProgram *first = AddCustom(*album, {0});
    TProgram *second = AddCustom(*album, {1});
    EXPECT_EQ(second->ProgramIndex(), 4);
    EXPECT_EQ(album->ProgramByIndex(4), second);
    EXPECT_EQ(album->ProgramByIndex(5), nullptr);
    EXPECT_EQ(album->ProgramByIndex(1), album->InternalPrograms[1].get());

    // The current program at index 4 is the last one: Normal takes over.
    album->SetCurrentProgram(second);
    EXPECT_NE(album->DeleteProgram(second), nullptr);
    EXPECT_EQ(album->CurrentProgram, album->InternalPrograms[0].get());

    // With a program after it, that program takes its index.
    TProgram *third = AddCustom(*album, {1});
    album->SetCurrentProgram(first);
    EXPECT_NE(album->DeleteProgram(first), nullptr);
    EXPECT_EQ(album->CurrentProgram, third);
    EXPECT_EQ(third->ProgramIndex(), 3);

    // A program that is not current leaves the current one alone.
    TProgram *fourth = AddCustom(*album, {});
    EXPECT_NE(album->DeleteProgram(fourth), nullptr);
    EXPECT_EQ(album->CurrentProgram, third);

    TProgram *shuffle = album->InternalPrograms[1].get();
    EXPECT_EQ(album->DeleteProgram(shuffle), nullptr);
    EXPECT_EQ(listener.refused, (QStringList{"Shuffle"}));
    EXPECT_EQ(album->InternalPrograms[1].get(), shuffle);
}

TEST(Album, UnloadAndClearLinksFreeEveryTitleThroughTheListener)
{
    TRecordingListener listener;
    auto album = AlbumOf(3);
    AddCustom(*album, {0, 1});
    album->CurrentTitle = album->Titles[1];
    const std::set<const TTitle *> titles(album->Titles.begin(), album->Titles.end());

    album->ClearLinks();
    EXPECT_EQ(album->CurrentTitle, nullptr);
    EXPECT_TRUE(album->Titles.empty());
    EXPECT_TRUE(album->CustomPrograms[0]->Titles.empty());
    EXPECT_EQ(album->InternalPrograms.size(), 3u);
    EXPECT_EQ(std::set<const TTitle *>(listener.disposed.begin(), listener.disposed.end()), titles);

    listener.disposed.clear();
    album->AddFiles(QStringLiteral("a b"));
    album->Caption = QStringLiteral("Kept");
    album->FileName = QStringLiteral("/x/00000000.tal");
    album->Loaded = true;
    album->Unload();
    EXPECT_EQ(listener.disposed.size(), 2u);
    EXPECT_TRUE(album->InternalPrograms.empty());
    EXPECT_TRUE(album->CustomPrograms.empty());
    EXPECT_EQ(album->CurrentProgram, nullptr);
    EXPECT_FALSE(album->Loaded);
    EXPECT_EQ(album->Caption, QStringLiteral("Kept"));
    EXPECT_EQ(album->FileName, QStringLiteral("/x/00000000.tal"));

    // A freed album frees its titles the same way.
    listener.disposed.clear();
    AlbumOf(4).reset();
    EXPECT_EQ(listener.disposed.size(), 4u);
}
