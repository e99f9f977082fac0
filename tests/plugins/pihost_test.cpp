// The plug-in host inside the real engine, with real plug-ins (modules/): loading and its
// failures, the device and view lists, every host code, garbage answers, the notifications and
// the order of the calls at the end.
#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "localisation/showmessage.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "plugins/pihost_support.h"
#include "plugins/pitext.h"
#include "support/drivenclock.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

namespace {

// Every host code asked from inside the plug-in's own message, with the answers it must get.
TEST_F(PluginHostTest, AnswersEveryHostCode)
{
    const QString hostcodes = Plugin(QStringLiteral("hostcodes"));
    const QString midi = env.writeFile(QStringLiteral("song.mid"), MidiFileBytes(2000));
    auto jukebox = Start({hostcodes}, {midi});
    jukebox->FinishStartUp();
    TPIHost &host = jukebox->PluginHost();
    TTestLog &log = *TestLogOf(hostcodes);
    const int viewsBefore = host.Lists().ViewCount();
    const int before = log.Count;

    EXPECT_TRUE(host.Configure(0));
    ASSERT_EQ(log.AnswerCount, 16);
    const std::intptr_t length = jukebox->Player().GetLength();
    const std::intptr_t expected[] = {
        11, 12, 13, 14, 15,                   // the actions leave Result alone
        midi.toUtf8().size() + 1,             // the file name's size...
        midi.toUtf8().size() + 1,             // ...and again with the text
        0, length, PH_STATE_STOPPED,          // position, length, state
        0,                                    // a new view
        -1, -1, 77, 55,                       // refused and unknown requests change nothing
        PH_STATE_STOPPED};                    // only the low 16 bits of the code count
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(log.Answers[i], expected[i]) << "request " << i;
    EXPECT_GT(length, 1000);
    EXPECT_EQ(QString::fromUtf8(static_cast<const char *>(TestSymbol(hostcodes, "TestFileName"))),
              midi);
    EXPECT_EQ(host.Lists().ViewCount(), viewsBefore + 1);

    // Each action ran inside the call and told every plug-in; the peak notification that the
    // plug-in answers with another peak tick came once.
    std::vector<std::uint32_t> told;
    for (int i = before; i < log.Count; ++i) {
        if (log.Calls[i].Msg >= PI_NOTIFYCONTROLS && log.Calls[i].Msg <= PI_NOTIFYENDCHECK)
            told.push_back(log.Calls[i].Msg);
    }
    EXPECT_EQ(told, (std::vector<std::uint32_t>{PI_NOTIFYCONTROLS, PI_NOTIFYDISPLAY,
                                                PI_NOTIFYANIMATE, PI_NOTIFYPEAK,
                                                PI_NOTIFYENDCHECK}));
}

// The host's own clock tells of the peak meter only while the meter runs, at most once per
// meter interval.
TEST_F(PluginHostTest, PeakNotificationsFollowTheMeter)
{
    const QString hostcodes = Plugin(QStringLiteral("hostcodes"));
    auto jukebox = Start({hostcodes});
    jukebox->FinishStartUp();
    jukebox->SetMovingContentsShown(true);
    TTonariaGlobals &g = jukebox->GlobalState();
    const TTestLog &log = *TestLogOf(hostcodes);
    for (const bool active : {false, true}) {
        g.APMActive = active;
        g.APMInterval = 100;
        jukebox->ApplyPreferences();
        const int before = CountOf(log, PI_NOTIFYPEAK);
        clock.Advance(1000);
        const int peaks = CountOf(log, PI_NOTIFYPEAK) - before;
        if (active) {
            EXPECT_GE(peaks, 5);
            EXPECT_LE(peaks, 10);
        } else {
            EXPECT_EQ(peaks, 0);
        }
    }
}

// Garbage answers are survived: texts cut to their size or to the limit, a device answer out of
// range, views removed and added while the host goes through them.
TEST_F(PluginHostTest, SurvivesGarbageAnswers)
{
    const QString garbage = Plugin(QStringLiteral("garbage"));
    auto jukebox = Start({garbage});
    TPIHost &host = jukebox->PluginHost();
    ASSERT_EQ(host.Count(), 1);
    EXPECT_TRUE(statuses.contains(QStringLiteral("Loading plug-in: ...")));
    EXPECT_EQ(host.GetName(0), QString());
    EXPECT_EQ(host.GetTitle(0), QString(int(kPITextLimit), QLatin1Char('A')));
    EXPECT_EQ(host.GetAbout(0), QStringLiteral("AAAAAAAAAA"));
    EXPECT_EQ(host.GetName(1), QString());
    EXPECT_FALSE(host.Configure(-1));

    const int device = jukebox->Player().MCIDeviceCount();
    EXPECT_EQ(host.DeviceMessage(device, MCI_PLAY, 0, 0), std::int32_t(MCIERR_UNSUPPORTED_FUNCTION));
    EXPECT_EQ(host.DeviceExtensions(device), QStringLiteral("AAAA"));

    // Two views; every caption query removes the first view and adds another.
    ASSERT_EQ(host.Lists().ViewCount(), 2);
    for (int round = 0; round < 3; ++round) {
        for (const int view : host.ViewIDs()) {
            EXPECT_EQ(host.ViewCaption(view), QString());
            EXPECT_FALSE(host.ViewVisible(view)); // 7 is no "yes"
            host.SetViewVisible(view, true);
        }
        std::vector<int> ids = host.ViewIDs();
        EXPECT_EQ(ids.size(), 2u);
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "a ViewID twice";
    }
    EXPECT_FALSE(host.ViewVisible(-1));
    EXPECT_EQ(host.ViewCaption(12345), QString());
}

// At the end: PI_SHUTDOWN from the last plug-in to the first once the preferences are saved,
// then PI_FINALIZE from the last to the first.
TEST_F(PluginHostTest, ShutsDownAndFinalizesLastToFirst)
{
    const QString first = Plugin(QStringLiteral("devices"));
    const QString second = Plugin(QStringLiteral("hostcodes"));
    auto jukebox = Start({first, second});
    jukebox->FinishStartUp();
    jukebox.reset();

    const auto stamp = [](const TTestLog &log, std::uint32_t code) {
        for (int i = 0; i < log.Count; ++i) {
            if (log.Calls[i].Msg == code) return log.Calls[i].Stamp;
        }
        return std::uint64_t{0};
    };
    const TTestLog &a = *TestLogOf(first);
    const TTestLog &b = *TestLogOf(second);
    for (const TTestLog *log : {&a, &b}) {
        const auto codes = Received(*log);
        ASSERT_GE(codes.size(), 2u);
        EXPECT_EQ(codes[codes.size() - 2], PI_SHUTDOWN);
        EXPECT_EQ(codes.back(), PI_FINALIZE);
    }
    EXPECT_LT(stamp(b, PI_SHUTDOWN), stamp(a, PI_SHUTDOWN));
    EXPECT_LT(stamp(a, PI_SHUTDOWN), stamp(b, PI_FINALIZE));
    EXPECT_LT(stamp(b, PI_FINALIZE), stamp(a, PI_FINALIZE));
    // The preferences were saved before: the plug-in list is in the registry file.
    EXPECT_TRUE(TTestEnvironment::readFile(env.config()).contains(QFileInfo(first).fileName().toUtf8()));
}

// A first start takes the shipped plug-ins into the program folder and lists them; a later start
// keeps the user's list and the user's own copies.
TEST_F(PluginHostTest, FirstStartListsTheShippedPlugins)
{
    const QString shipped = env.scratch() + QStringLiteral("shipped/");
    QDir().mkpath(shipped);
    ASSERT_TRUE(QFile::copy(QStringLiteral(TEST_PLUGIN_DIR "hello.tpi"), shipped + "hello.tpi"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TEST_PLUGIN_DIR "noentry.tpi"), shipped + "b.TPI"));
    env.writeFile(QStringLiteral("shipped/readme.txt"), "no plug-in");
    qputenv("TONARIA_SHIPPED_PLUGINS", shipped.toUtf8());
    const QString folder = env.home() + QStringLiteral("Plugins/");
    {
        auto jukebox = std::make_unique<TJukebox>(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
        jukebox->StartUp(ParseCommandLine({}));
        EXPECT_EQ(jukebox->GlobalState().PluginList,
                  (QStringList{folder + "b.TPI", folder + "hello.tpi"}));
        EXPECT_FALSE(QFileInfo::exists(folder + "readme.txt"));
        // The example: its name, and a view captioned with it that shows and hides.
        TPIHost &host = jukebox->PluginHost();
        ASSERT_EQ(host.Count(), 1);
        EXPECT_EQ(host.GetName(0), QStringLiteral("Hello"));
        EXPECT_EQ(host.GetTitle(0), QStringLiteral("Hello, the example plug-in"));
        ASSERT_EQ(host.ViewIDs().size(), 1u);
        const int view = host.ViewIDs().front();
        EXPECT_EQ(host.ViewCaption(view), QStringLiteral("Hello"));
        host.SetViewVisible(view, !host.ViewVisible(view));
        EXPECT_TRUE(host.ViewVisible(view));
        jukebox->GlobalState().PluginList.clear(); // the user removes them all
    }
    QFile::remove(folder + "b.TPI");
    env.writeFile(QStringLiteral("mine.tpi"), "mine");
    QFile::remove(folder + "hello.tpi");
    ASSERT_TRUE(QFile::copy(env.scratch() + "mine.tpi", folder + "hello.tpi"));
    auto jukebox = std::make_unique<TJukebox>(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
    jukebox->StartUp(ParseCommandLine({}));
    EXPECT_TRUE(jukebox->GlobalState().PluginList.isEmpty());
    EXPECT_EQ(TTestEnvironment::readFile(folder + "hello.tpi"), QByteArray("mine"));
    EXPECT_TRUE(QFileInfo::exists(folder + "b.TPI")); // what it lacked is given again
    qputenv("TONARIA_SHIPPED_PLUGINS", "");
}

} // namespace
