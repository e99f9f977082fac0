// The tracker device as the player drives it: listed among the player's devices by the probe of
// start-up, then module titles and a MIDI file taking turns on one player, each played to the
// end the end-of-title check looks for, with their sound in the output file.
#include "platform/audio/audiooutput.h"
#include "platform/mci/mcitestsupport.h"
#include "playback/player_support.h"
#include "playback/sonoricplayer.h"
#include "trackerfiles.h"
#include "trackerhost.h"

#include <QFileInfo>

#include <cmath>

namespace {

class TrackerPlayerTest : public TMciTest {
protected:
    void SetUp() override
    {
        TMciTest::SetUp();
        UseTestSoundFont();
        TTestPluginHost::NextDeviceId = 7;
        host = std::make_unique<TTestPluginHost>(TRACKER_PLUGIN);
        ASSERT_TRUE(host->loaded());
    }
    void TearDown() override
    {
        player.reset();
        host.reset();
        TMciTest::TearDown();
    }

    // The player with the plug-in's device as its one plug-in device, served as the host does.
    void MakePlayer()
    {
        player = std::make_unique<TSonoricPlayer>();
        player->OnDeviceCount = [](TSonoricPlayer *, std::int32_t &count) { count = 1; };
        player->OnDeviceMessage = [this](TSonoricPlayer *, std::int32_t, std::uint32_t msg,
                                         std::uint32_t flags, std::uintptr_t param,
                                         std::int32_t &result) {
            result = std::int32_t(host->command(msg, flags, reinterpret_cast<void *>(param)));
        };
        player->AnalyzeDevices();
    }

    // Waits for the end as the end-of-title check sees it: stopped, at or past the length.
    bool PlayedToTheEnd()
    {
        return WaitUntil([&] {
            return player->GetMode() == MCI_MODE_STOP &&
                   player->GetPosition() >= player->GetLength();
        });
    }

    std::unique_ptr<TTestPluginHost> host;
    std::unique_ptr<TSonoricPlayer> player;
};

float PeakBetween(const std::vector<float> &samples, std::int64_t from, std::int64_t to)
{
    float peak = 0;
    for (std::int64_t i = from * 2; i < to * 2 && i < std::int64_t(samples.size()); ++i)
        peak = std::max(peak, std::fabs(samples[std::size_t(i)]));
    return peak;
}

} // namespace

TEST_F(TrackerPlayerTest, ModulesAndAMidiFileTakeTurnsOnOnePlayer)
{
    const QString out = env.scratch() + "mix.wav";
    TAudioOutput *output = useOutput("wav:" + out);
    ASSERT_NE(output, nullptr);
    MakePlayer();
    const PSPDeviceInfo tracker = player->FindDeviceByName("tracker");
    ASSERT_NE(tracker, nullptr);
    EXPECT_EQ(tracker->Kind, 1);
    EXPECT_EQ(tracker->Description, "Tracker modules");
    EXPECT_TRUE(tracker->UsesFiles);

    const QString files[] = {writeMedia("one.mod", TrackerFiles::Mod(1, 16)),
                             writeMedia("two.mid", MidiFileBytes(600)),
                             writeMedia("three.xm", TrackerFiles::Xm(1, 16)),
                             writeMedia("four.mid", MidiFileBytes(600))};
    struct TSpan {
        std::int64_t from, to;
    };
    std::vector<TSpan> modules;
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        const bool module = !file.endsWith(".mid");
        TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
        player->SetDevice(module ? tracker : &AnyDeviceInfo);
        player->SetFilename(file);
        player->Open();
        ASSERT_TRUE(player->Opened());
        if (module) {
            EXPECT_EQ(player->GetLength(), 16u * TrackerFiles::RowMs);
        }
        const std::int64_t from = output->framesRendered();
        player->Play();
        ASSERT_TRUE(PlayedToTheEnd());
        if (module) modules.push_back({from, output->framesRendered()});
        player->Close();
    }
    output->stop();
    int rate = 0;
    const std::vector<float> samples = readStereoWav(out, &rate);
    ASSERT_EQ(modules.size(), 2u);
    for (const TSpan &span : modules) {
        // The sound of the module fills its play, a tenth of a second at a time.
        for (std::int64_t at = span.from + rate / 10; at + rate / 10 < span.to; at += rate / 10)
            EXPECT_GT(PeakBetween(samples, at, at + rate / 10), 0.05f) << at;
    }
}

TEST_F(TrackerPlayerTest, TheSeekOfAPlayingModuleGoesOnPlayingFromTheTarget)
{
    useOutput("null");
    MakePlayer();
    const PSPDeviceInfo tracker = player->FindDeviceByName("tracker");
    ASSERT_NE(tracker, nullptr);
    player->SetDevice(tracker);
    player->SetFilename(writeMedia("long.mod", TrackerFiles::Mod(4, 32)));
    player->Open();
    player->Play();
    ASSERT_TRUE(WaitUntil([&] { return player->GetPosition() >= 100; }));
    // The player pauses, seeks, and resumes when the seek's notice arrives.
    player->Seek(5000);
    ASSERT_TRUE(WaitUntil([&] {
        return player->GetMode() == MCI_MODE_PLAY && player->GetPosition() >= 5000;
    }));
    player->Seek(player->GetLength());
    ASSERT_TRUE(PlayedToTheEnd());
}
