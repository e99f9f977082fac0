// The plug-in host inside the real engine, with real plug-ins (modules/): loading and its
// failures, the device and view lists, every host code, garbage answers, the notifications and
// the order of the calls at the end.
#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "localisation/showmessage.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "plugins/pihost_support.h"
#include "support/drivenclock.h"
#include "support/testenv.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class PluginHostTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestSoundFont(); }

    QString Plugin(const QString &name) { return CopyTestPlugin(env, name); }

    std::unique_ptr<TJukebox> Start(const QStringList &plugins, const QStringList &arguments = {})
    {
        WritePluginList(env, plugins);
        auto jukebox =
            std::make_unique<TJukebox>(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
        QObject::connect(jukebox.get(), &TJukebox::statusChanged,
                         [this](const QString &text) { statuses << text; });
        jukebox->StartUp(ParseCommandLine(arguments));
        return jukebox;
    }

    static int CountOf(const TTestLog &log, std::uint32_t code)
    {
        const auto codes = Received(log);
        return int(std::count(codes.begin(), codes.end(), code));
    }

    TTestEnvironment env;
    TDrivenClock clock;
    TScriptedMessageService messages;
    QStringList statuses;
};

// Each failing plug-in shows its one message and the next one takes the freed ID; what a
// refused plug-in registered before it said no goes with it.
TEST_F(PluginHostTest, LoadingSkipsEachFailureWithItsOneMessage)
{
    const QString missing = env.scratch() + QStringLiteral("missing.tpi");
    const QString notElf = env.writeFile(QStringLiteral("text.tpi"), "not a library");
    const QString noEntry = Plugin(QStringLiteral("noentry"));
    const QString refuseInit = Plugin(QStringLiteral("refuse_init"));
    const QString refuseHost = Plugin(QStringLiteral("refuse_host"));
    const QString devices = Plugin(QStringLiteral("devices"));
    HoldTestPlugin(refuseInit);
    HoldTestPlugin(refuseHost);
    auto jukebox = Start({missing, notElf, noEntry, refuseInit, refuseHost, devices});
    TPIHost &host = jukebox->PluginHost();

    const struct {
        const char *id;
        QString path;
    } expected[] = {{"ErrFileDoesntExist", missing},
                    {"ErrLoadLibrary", notElf},
                    {"ErrLibraryEmpty", noEntry},
                    {"ErrLibraryInit", refuseInit}};
    ASSERT_EQ(messages.boxes().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto &box = messages.boxes()[i];
        EXPECT_EQ(box.text, GetMessageText(QString::fromLatin1(expected[i].id))
                                .replace(QStringLiteral("%s"), expected[i].path))
            << expected[i].id;
        EXPECT_EQ(box.flags & 0xF0, unsigned(MB_ICONERROR)) << expected[i].id;
    }

    // Only the working plug-in is loaded, at ID 0.
    ASSERT_EQ(host.Count(), 1);
    EXPECT_EQ(host.FileName(0), devices);
    EXPECT_EQ(host.FindLoaded(devices), 0);
    EXPECT_EQ(host.FindLoaded(refuseHost), -1);
    EXPECT_EQ(TestLogOf(devices)->ID, 0);

    // A refused PI_INITIALIZE gets nothing more; a refused PI_SETHOST gets nothing more either.
    EXPECT_EQ(Received(*TestLogOf(refuseInit)), std::vector<std::uint32_t>{PI_INITIALIZE});
    EXPECT_EQ(Received(*TestLogOf(refuseHost)),
              (std::vector<std::uint32_t>{PI_INITIALIZE, PI_SETHOST}));
    // The working one: initialised, attached, asked its name (twice: the size, then the text),
    // started; then the player asks its devices.
    const TTestLog &log = *TestLogOf(devices);
    std::vector<std::uint32_t> calls = Received(log);
    calls.resize(std::min<std::size_t>(calls.size(), 6));
    EXPECT_EQ(calls, (std::vector<std::uint32_t>{PI_INITIALIZE, PI_SETHOST, PI_GETNAME,
                                                 PI_GETNAME, PI_START, PI_DEVICEMSG}));
    EXPECT_EQ(log.Calls[1].WParam, reinterpret_cast<std::uintptr_t>(&PIHostProc));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Loading plug-in: devices...")));

    // The refused plug-ins' registrations are gone; the devices follow the player's own.
    const int own = jukebox->Player().MCIDeviceCount();
    EXPECT_EQ(host.DeviceCount(), 2);
    EXPECT_EQ(host.Lists().ViewCount(), 1);
    EXPECT_EQ(log.Answers[0], own);
    EXPECT_EQ(log.Answers[1], own + 1);
    EXPECT_EQ(log.Answers[2], 0); // the first view
}

// The player lists the plug-in's devices after its own and reaches them through the host; a
// file is offered to a plug-in device by its extensions.
TEST_F(PluginHostTest, PlayerTakesInPluginDevices)
{
    const QString devices = Plugin(QStringLiteral("devices"));
    auto jukebox = Start({devices});
    TSonoricPlayer &player = jukebox->Player();
    TPIHost &host = jukebox->PluginHost();
    const int own = player.MCIDeviceCount();
    ASSERT_EQ(player.PluginDeviceCount(), 2);
    const auto &records = player.Devices();
    EXPECT_EQ(records[std::size_t(own)]->Description, QStringLiteral("Test device 1"));
    EXPECT_EQ(records[std::size_t(own) + 1]->Description, QStringLiteral("Test device 2"));
    EXPECT_EQ(records[std::size_t(own)]->Identifier, own);
    EXPECT_EQ(records[std::size_t(own)]->Kind, TSPDeviceInfo::KindPlugin);

    // The device sees the player's commands as PI_DEVICEMSG with its DeviceID.
    const TTestLog &log = *TestLogOf(devices);
    bool sawInfo = false;
    for (int i = 0; i < log.Count; ++i) {
        const TTestCall &call = log.Calls[i];
        if (call.Msg == PI_DEVICEMSG && call.Sub == MCI_INFO) {
            sawInfo = true;
            EXPECT_TRUE(call.WParam == std::uintptr_t(own) || call.WParam == std::uintptr_t(own + 1));
        }
    }
    EXPECT_TRUE(sawInfo);

    const struct {
        int device;
        const char *file;
        bool supported;
    } files[] = {{own, "/music/x.KAR", true}, {own + 1, "song.mid", true},
                 {own, "song.wav", false},    {own, "a.k", false},
                 {own + 7, "x.mid", false}};
    for (const auto &f : files) {
        bool supports = false;
        player.OnDeviceSupportFile(&player, f.device, QString::fromLatin1(f.file), supports);
        EXPECT_EQ(supports, f.supported) << f.file << " on " << f.device;
    }
    // Commands for a device no plug-in registered are answered by the host.
    EXPECT_EQ(host.DeviceMessage(own + 2, MCI_PLAY, 0, 0), std::int32_t(MCIERR_UNSUPPORTED_FUNCTION));
    EXPECT_EQ(host.DeviceMessage(-1, MCI_PLAY, 0, 0), std::int32_t(MCIERR_UNSUPPORTED_FUNCTION));
    EXPECT_EQ(host.DeviceMessage(own, MCI_PLAY, 0, 0), std::int32_t(MCIERR_UNSUPPORTED_FUNCTION));
    EXPECT_EQ(host.DeviceMessage(own, MCI_CLOSE, 0, 0), 0);
}

} // namespace
