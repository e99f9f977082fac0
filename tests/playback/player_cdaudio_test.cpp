// The player and the transport over the real "cdaudio" device reading a disc image: the device
// in the list, the CD status cache, no MIDI reset before a track, and an album of CD titles
// that is saved, loaded and played in program order.
#include "core/tonariaglobals.h"
#include "core/transport.h"
#include "library/album.h"
#include "platform/audio/audiooutput.h"
#include "platform/audio/testsources.h"
#include "platform/mci/mcilayer.h"
#include "platform/system/messageservice.h"
#include "player_support.h"
#include "support/cdimage.h"
#include "support/drivenclock.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

namespace {

constexpr int kFrames = 588;
// Track 1 is 60 sectors (800 ms), track 2 45 sectors (600 ms), then a data track.
const std::vector<TCdImageTrack> kDisc = {{60, true, 31}, {45, true, 32}, {30, false, 0}};

class PlayerCdTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestSoundFont();
        cdrom = std::make_unique<TCdromVariable>(
            WriteCdImage(env.scratch(), QStringLiteral("disc"), kDisc));
        player.AnalyzeMCIDevices();
        cd = player.FindDeviceByName(QStringLiteral("cdaudio"));
    }
    void TearDown() override
    {
        player.Close();
        TMciLayer::shutdown();
    }

    void OpenCd()
    {
        player.SetFilename(QString());
        player.SetDevice(cd);
        player.Open();
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    std::unique_ptr<TCdromVariable> cdrom;
    TSonoricPlayer player;
    PSPDeviceInfo cd = nullptr;
};

TEST_F(PlayerCdTest, TheDeviceIsListedAsCdAudioAndOpensWithoutAFileOrAReset)
{
    ASSERT_NE(cd, nullptr);
    EXPECT_EQ(cd->Description, QStringLiteral("CD Audio"));
    EXPECT_FALSE(cd->UsesFiles);
    EXPECT_EQ(cd->DeviceType, std::int32_t(MCI_DEVTYPE_CD_AUDIO));

    // A reset file is set, but a CD track is no MIDI medium.
    player.SetFileMIDIReset(env.writeFile(QStringLiteral("reset.mid"), MidiFileBytes(100)));
    int resets = 0;
    player.OnBeforeMIDIReset = [&resets](TSonoricPlayer *) { ++resets; };
    OpenCd();
    EXPECT_EQ(resets, 0);
    EXPECT_TRUE(player.IsReady());
    EXPECT_TRUE(player.HasTracks());
    EXPECT_EQ(player.GetNumberOfTracks(), 3u);
}

TEST_F(PlayerCdTest, TheCacheServesWhileStoppedAndThePositionIsLiveWhilePlaying)
{
    OpenCd();
    player.SetTrack(2);
    ASSERT_TRUE(WaitUntil([&] { return player.GetCurrentTrack() == 2; }, 2000));
    // Stopped: the values of track 2, from the cache (as the device has them).
    EXPECT_EQ(player.GetLength(), 600u);
    EXPECT_EQ(player.GetPosition(), 0u);
    EXPECT_EQ(player.TrackStart(2), 800u);
    EXPECT_EQ(player.PhysicalLength(), 1800u);

    player.Play();
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() > 0; }, 3000));
    const std::uint32_t early = player.GetPosition();
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() > early; }, 3000));
    player.Pause();
    const std::uint32_t paused = player.GetPosition();
    RunEvents(100);
    EXPECT_EQ(player.GetPosition(), paused); // cached while not playing
    EXPECT_LT(paused, 600u);

    // The track plays to its own end, not on into the next one.
    // The cache is filled anew when the play's notice comes.
    player.Resume();
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() == 600u; }, 5000));
    EXPECT_EQ(player.GetMode(), MCI_MODE_STOP);
    EXPECT_EQ(player.GetCurrentTrack(), 2u);

    // The data track opens but does not play.
    player.SetTrack(3);
    EXPECT_THROW(player.Play(), ESonoricPlayerException);
}

class CdAlbumTest : public PlayerCdTest {
protected:
    void SetUp() override
    {
        PlayerCdTest::SetUp();
        wav = env.scratch() + QStringLiteral("out.wav");
        QString notice;
        TMciLayer::instance().setAudioOutput(
            TAudioOutput::create(QStringLiteral("wav:") + wav, &notice));
        g.Player = &player;
        g.LoadAlbumList();
        g.CurrentAlbum = nullptr;
        g.SetCurrentAlbum(g.SystemAlbum);
        g.LibraryReady = true;
    }
    void TearDown() override
    {
        player.OnPlayStopped = nullptr;
        g.Transport().CloseTitle();
        PlayerCdTest::TearDown();
    }

    TDrivenClock clock;
    TTonariaGlobals g{QStringLiteral("/nonexistent/tonaria"), 24, &clock};
    QString wav;
};

TEST_F(CdAlbumTest, AnAlbumOfCdTitlesSavesLoadsAndPlaysInProgramOrder)
{
    TAlbum &album = *g.CurrentAlbum;
    for (int track : {2, 1}) {
        TTitle *title = album.AddTitle();
        title->Caption = QStringLiteral("Track %1").arg(track);
        title->Track = track;
        title->DeviceName = QStringLiteral("cdaudio");
    }
    album.MediaID = QStringLiteral("0123456789ABCDEF");
    album.RefreshInternalPrograms();
    album.CurrentTitle = album.Titles.front();
    const QString path = g.AlbumFile().SaveToFile(album, QString());
    ASSERT_FALSE(path.isEmpty());
    const QByteArray saved = TTestEnvironment::readFile(path);
    album.Unload();
    album.FileName = path;
    ASSERT_TRUE(g.AlbumFile().Load(album));
    ASSERT_EQ(album.Titles.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const TTitle &title = *album.Titles[i];
        EXPECT_EQ(title.Caption, QStringLiteral("Track %1").arg(2 - int(i)));
        EXPECT_TRUE(title.FileName.isEmpty());
        EXPECT_EQ(title.Track, 2 - int(i));
        EXPECT_EQ(title.DeviceName, QStringLiteral("cdaudio"));
    }
    EXPECT_EQ(album.MediaID, QStringLiteral("0123456789ABCDEF"));
    EXPECT_EQ(g.AlbumFile().SaveToFile(album, path), path);
    EXPECT_EQ(TTestEnvironment::readFile(path), saved);

    // Each title's end is taken at once, as the engine does; the track each ended on is kept.
    std::vector<std::uint32_t> ends;
    player.OnPlayStopped = [&](TSonoricPlayer *) {
        ends.push_back(player.GetCurrentTrack());
        QMetaObject::invokeMethod(
            &g.Transport(), [this] { g.Transport().CheckEndOfTitle(); }, Qt::QueuedConnection);
    };
    album.CurrentTitle = album.CurrentProgram->Titles.front();
    g.Transport().Play();
    ASSERT_TRUE(WaitUntil([&] { return ends.size() >= 2; }, 20000));
    g.Transport().CloseTitle();
    EXPECT_EQ(ends[0], 2u);
    EXPECT_EQ(ends[1], 1u);
    TMciLayer::shutdown();

    const std::vector<float> out = readWav(wav).samples;
    const auto runOf = [&out](std::uint32_t seed, long from) {
        // The first place the track's first frame is heard, and how far it goes on unbroken.
        for (std::size_t i = std::size_t(from) * 2; i + 1 < out.size(); i += 2) {
            long n = 0;
            while (i + std::size_t(n) * 2 + 1 < out.size() &&
                   out[i + std::size_t(n) * 2] == float(CdImageSample(seed, n, 0)) / 32768.0f &&
                   out[i + std::size_t(n) * 2 + 1] == float(CdImageSample(seed, n, 1)) / 32768.0f)
                ++n;
            if (n > 0) return std::pair<long, long>(long(i / 2), n);
        }
        return std::pair<long, long>(-1, 0);
    };
    const auto second = runOf(32, 0);
    ASSERT_GE(second.first, 0);
    EXPECT_GE(second.second, 45 * kFrames - 2);
    const auto first = runOf(31, second.first);
    ASSERT_GT(first.first, second.first);
    EXPECT_GE(first.second, 60 * kFrames - 2);
}

} // namespace
