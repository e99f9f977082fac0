#include "library/album.h"
#include "library/librarylistener.h"
#include "library/randomgenerator.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Records what the library reports.
class TRecordingListener : public TLibraryListener {
public:
    TRecordingListener() { SetLibraryListener(this); }
    ~TRecordingListener() override { SetLibraryListener(nullptr); }
    void TitleDisposed(const TTitle *title) override { disposed.push_back(title); }
    void InternalProgramNotDeleted(const TProgram &p) override { refused << p.Caption; }
    std::vector<const TTitle *> disposed;
    QStringList refused;
};

// An album of titles "t0", "t1", ... with its internal programs refreshed.
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
    album.CustomPrograms.push_back(album.CreateProgram());
    for (int i : links)
        album.CustomPrograms.back()->Titles.push_back(album.Titles[i]);
    return album.CustomPrograms.back().get();
}

// A list of titles as their captions, "t2 t0".
QString Order(const std::vector<TTitle *> &list)
{
    QStringList out;
    for (const TTitle *t : list)
        out << t->Caption;
    return out.join(u' ');
}

} // namespace

TEST(Album, NextAndPreviousWrapAndStartFromTheEnds)
{
    auto album = AlbumOf(3);
    TProgram &normal = *album->InternalPrograms[0];
    TTitle **t = album->Titles.data();
    EXPECT_EQ(normal.NextTitle(), t[0]); // no current title
    EXPECT_EQ(normal.PreviousTitle(), t[2]);
    album->CurrentTitle = t[2];
    EXPECT_EQ(normal.NextTitle(), t[0]);
    EXPECT_EQ(normal.PreviousTitle(), t[1]);
    album->CurrentTitle = t[0];
    EXPECT_EQ(normal.PreviousTitle(), t[2]);
    // A current title the program does not hold; then a repeat, where the first one counts.
    TProgram *custom = AddCustom(*album, {1, 1, 2});
    EXPECT_EQ(custom->NextTitle(), t[1]);
    EXPECT_EQ(custom->PreviousTitle(), t[2]);
    album->CurrentTitle = t[1];
    EXPECT_EQ(custom->NextTitle(), t[1]);

    auto one = AlbumOf(1);
    one->CurrentTitle = one->Titles[0];
    EXPECT_EQ(one->NextTitle(), one->Titles[0]);
    EXPECT_EQ(AlbumOf(0)->NextTitle(), nullptr);
    EXPECT_EQ(AlbumOf(0)->PreviousTitle(), nullptr);
}

TEST(Album, AddFilesNamesTitlesAndBindsThemToTheDevice)
{
    auto album = AlbumOf(0);
    const TAddFilesDevice device{QStringLiteral("sequencer"), QStringLiteral("MIDI Sequencer")};
    TTitle *last = album->AddFiles(QStringLiteral("/m/one.mid \"/m/two song.kar\""), &device);
    ASSERT_EQ(album->Titles.size(), 2u);
    EXPECT_EQ(last, album->Titles[1]);
    EXPECT_EQ(last->FileName, QStringLiteral("/m/two song.kar"));
    EXPECT_EQ(last->DeviceName, QStringLiteral("sequencer"));
    EXPECT_EQ(Order(album->InternalPrograms[0]->Titles), QStringLiteral("One Two Song"));
    EXPECT_EQ(Order(album->InternalPrograms[2]->Titles), QStringLiteral("Two Song One"));
    EXPECT_EQ(album->InternalPrograms[1]->Titles.size(), 2u);

    // No files: one title standing for the device, named after it.
    EXPECT_EQ(album->AddFiles(QString(), &device)->Caption, QStringLiteral("MIDI Sequencer"));
    const TAddFilesDevice plain{QStringLiteral("cdaudio"), QString()};
    EXPECT_EQ(album->AddFiles(QString(), &plain)->Caption, QStringLiteral("cdaudio"));
    TTitle *bare = album->AddFiles(QString());
    EXPECT_EQ(bare->Caption, QStringLiteral("Default Title name"));
    EXPECT_TRUE(bare->DeviceName.isEmpty() && bare->FileName.isEmpty());
}

TEST(Album, ShuffleKeepsTheOrderDrawnAndHoldsEveryTitleOnce)
{
    ProcessRandom().SetSeed(12345);
    auto album = AlbumOf(3);
    TProgram &shuffle = *album->InternalPrograms[1];
    const QString drawn = Order(shuffle.Titles);

    album->AddFiles(QStringLiteral("d e"));
    EXPECT_TRUE(Order(shuffle.Titles).startsWith(drawn + u' '));
    const QString added = Order(shuffle.Titles).mid(drawn.size() + 1);
    EXPECT_TRUE(added == QStringLiteral("D E") || added == QStringLiteral("E D"))
        << added.toStdString();

    // A title that leaves the album leaves the order; repeats (from a damaged file) go, so
    // that every title is played.
    DisposeTitle(album->RemoveTitle(shuffle.Titles[1]));
    shuffle.Titles.push_back(shuffle.Titles[0]);
    QStringList expected = drawn.split(u' ');
    expected.removeAt(1);
    shuffle.RefreshProgram();
    EXPECT_EQ(Order(shuffle.Titles), expected.join(u' ') + u' ' + added);
}

TEST(Album, ShuffleOrderFollowsTheGeneratorExactly)
{
    TRandomGenerator check(1);
    EXPECT_EQ(check.Random(1000), 31u); // seed 1 -> 134775814; 1000 * seed >> 32
    EXPECT_EQ(check.Seed(), 134775814u);

    // A draw order is what taking a random remaining entry out of a list, again and again,
    // gives: compare with doing exactly that.
    for (const std::size_t n : {0u, 1u, 2u, 7u, 64u, 1000u}) {
        TRandomGenerator fast(99u + n), slow(99u + n);
        std::vector<std::size_t> scratch(n), expected;
        for (std::size_t i = 0; i < n; ++i)
            scratch[i] = i;
        while (!scratch.empty()) {
            const auto k = slow.Random(static_cast<std::uint32_t>(scratch.size()));
            expected.push_back(scratch[k]);
            scratch.erase(scratch.begin() + k);
        }
        EXPECT_EQ(fast.DrawOrder(n), expected) << n;
        EXPECT_EQ(fast.Seed(), slow.Seed());
    }
}

TEST(Album, RemovingTheCurrentTitleSelectsTheFollowingOne)
{
    TRecordingListener listener;
    auto album = AlbumOf(3);
    TProgram *custom = AddCustom(*album, {1, 2, 2, 0});
    album->SetCurrentProgram(custom);
    TTitle *t0 = album->Titles[0];

    // The last title of the current program: the program's first title follows.
    album->CurrentTitle = t0;
    TOwnedTitle removed = album->RemoveTitle(t0);
    EXPECT_EQ(removed.get(), t0);
    EXPECT_EQ(Order(album->CurrentProgram->Titles), QStringLiteral("t1 t2 t2"));
    EXPECT_EQ(album->CurrentTitle, album->Titles[0]);
    EXPECT_EQ(Order(album->InternalPrograms[2]->Titles), QStringLiteral("t2 t1"));
    EXPECT_TRUE(listener.disposed.empty()); // unlinked, not yet freed
    DisposeTitle(std::move(removed));
    EXPECT_EQ(listener.disposed, (std::vector<const TTitle *>{t0}));

    // A title a program holds twice leaves it altogether: no link to a freed record stays.
    DisposeTitle(album->RemoveTitle(album->Titles[1]));
    EXPECT_EQ(Order(custom->Titles), QStringLiteral("t1"));
    EXPECT_EQ(Order({album->CurrentTitle}), QStringLiteral("t1")); // not current: unchanged

    DisposeTitle(album->RemoveTitle(album->Titles[0]));
    EXPECT_EQ(album->CurrentTitle, nullptr);
    TTitle stranger;
    EXPECT_EQ(album->RemoveTitle(&stranger), nullptr);
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

    TProgram *shuffle = album->InternalPrograms[1].get();
    EXPECT_EQ(album->DeleteProgram(shuffle), nullptr);
    EXPECT_EQ(listener.refused, QStringList{QStringLiteral("Shuffle")});
    EXPECT_EQ(album->InternalPrograms[1].get(), shuffle);
}

TEST(Album, UnloadAndClearLinksFreeEveryTitleThroughTheListener)
{
    TRecordingListener listener;
    auto album = AlbumOf(3);
    AddCustom(*album, {0, 1});
    album->CurrentTitle = album->Titles[1];
    album->ClearLinks();
    EXPECT_EQ(album->CurrentTitle, nullptr); // it was freed
    EXPECT_TRUE(album->Titles.empty() && album->CustomPrograms[0]->Titles.empty());
    EXPECT_EQ(album->InternalPrograms.size(), 3u);
    EXPECT_EQ(listener.disposed.size(), 3u);

    album->AddFiles(QStringLiteral("a b"));
    album->Caption = QStringLiteral("Kept");
    album->Loaded = true;
    album->Unload();
    EXPECT_EQ(listener.disposed.size(), 5u);
    EXPECT_TRUE(album->InternalPrograms.empty() && album->CustomPrograms.empty());
    EXPECT_EQ(album->CurrentProgram, nullptr);
    EXPECT_FALSE(album->Loaded);
    EXPECT_EQ(album->Caption, QStringLiteral("Kept"));

    AlbumOf(4).reset();
    EXPECT_EQ(listener.disposed.size(), 9u);
}
