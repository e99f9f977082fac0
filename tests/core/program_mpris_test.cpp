// The real program on a private session bus, driven as the desktop drives it: playerctl for the
// transport, dbus-send for Raise and Quit, dbus-monitor to see what the program tells the bus.
#include "core/program_support.h"

#include <QFile>
#include <QStandardPaths>
#include <QUrl>

namespace {

class ProgramMprisTest : public TProgramTest {
protected:
    void SetUp() override
    {
        TProgramTest::SetUp();
        for (const char *tool : {"dbus-daemon", "dbus-monitor", "dbus-send", "playerctl"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
        ASSERT_TRUE(bus_.waitForStarted(5000));
        ASSERT_TRUE(Poll(
            [this] {
                bus_.waitForReadyRead(50);
                address_ += QString::fromUtf8(bus_.readAllStandardOutput());
                return address_.contains(u'\n');
            },
            5000));
        address_ = address_.trimmed();
        monitor_.start(QStringLiteral("dbus-monitor"),
                       {QStringLiteral("--address"), address_,
                        QStringLiteral("type='signal',member='PropertiesChanged'"),
                        QStringLiteral("type='method_call',member='Notify'")});
        ASSERT_TRUE(monitor_.waitForStarted(5000));
        ASSERT_TRUE(monitor_.waitForReadyRead(5000)); // it is listening
    }

    void TearDown() override
    {
        TProgramTest::TearDown();
        for (QProcess *process : {&monitor_, &bus_})
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
    }

    // Runs a tool on the private bus; its output, trimmed ("!" and the status on failure).
    QString Tool(const QString &program, const QStringList &arguments)
    {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
        tool.setProcessEnvironment(environment);
        tool.start(program, arguments);
        if (!tool.waitForFinished(10000)) {
            tool.kill();
            tool.waitForFinished(1000);
            return QStringLiteral("!timeout");
        }
        const QString out = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
        if (tool.exitCode() != 0) return QStringLiteral("!%1 %2").arg(tool.exitCode()).arg(out);
        return out;
    }
    QString Ctl(const QStringList &arguments)
    {
        return Tool(QStringLiteral("playerctl"),
                    QStringList{QStringLiteral("-p"), QStringLiteral("tonaria")} + arguments);
    }
    QString Status() { return Ctl({QStringLiteral("status")}); }
    QString Title() { return Ctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}); }
    bool WaitForStatus(const QString &status)
    {
        return Poll([&] { return Status() == status; }, 10000, 100);
    }
    // Calls a method of the root interface without arguments.
    QString Root(const char *method)
    {
        return Tool(QStringLiteral("dbus-send"),
                    {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                     QStringLiteral("--dest=org.mpris.MediaPlayer2.tonaria"),
                     QStringLiteral("/org/mpris/MediaPlayer2"),
                     QStringLiteral("org.mpris.MediaPlayer2.") + QLatin1String(method)});
    }
    QString Monitored()
    {
        monitor_.waitForReadyRead(200);
        monitored_ += QString::fromUtf8(monitor_.readAllStandardOutput());
        return monitored_;
    }

    QProcess bus_;
    QProcess monitor_;
    QString address_;
    QString monitored_;
};

TEST_F(ProgramMprisTest, PlayerctlDrivesTheTransportAndTheBusHearsOfEveryChange)
{
    // Three titles told apart by pitch; the program starts with its windows hidden and with
    // now-playing notices on.
    const std::vector<int> keys{60, 67, 74};
    QStringList songs;
    for (const auto &[name, key] :
         {std::pair{"one", 60}, std::pair{"two", 67}, std::pair{"three", 74}})
        songs << env.writeFile(QLatin1String(name) + QStringLiteral(".mid"),
                               ToneMidiBytes(30000, key));
    const QString four = env.writeFile(QStringLiteral("four.mid"), ToneMidiBytes(30000, 74));
    QFile config(env.config());
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("Windows Registry Editor Version 5.00\r\n\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Brimvel\\Tonaria\\CurrentVersion\\Preferences\\"
                 "Visible]\r\n\"NowPlayingNotices\"=dword:00000001\r\n\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Brimvel\\Tonaria\\CurrentVersion\\Preferences\\"
                 "Invisible]\r\n\"Cloaked\"=dword:00000001\r\n\r\n");
    config.close();

    const QString wav = env.scratch() + QStringLiteral("out.wav");
    QProcess *tonaria = Launch(songs, wav, [this](QProcessEnvironment &environment) {
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    });
    ASSERT_TRUE(Poll([&] { return !Status().startsWith(u'!'); }, 20000, 100))
        << Status().toStdString();

    EXPECT_EQ(Status(), QStringLiteral("Stopped"));
    EXPECT_EQ(Title().toLower(), QStringLiteral("one"));

    EXPECT_EQ(Ctl({QStringLiteral("play")}), QString());
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    ASSERT_TRUE(WaitForPassages(wav, keys, 1, 10000));

    EXPECT_EQ(Ctl({QStringLiteral("next")}), QString());
    EXPECT_TRUE(Poll([&] { return Title().toLower() == QStringLiteral("two"); }, 5000));
    EXPECT_TRUE(WaitForPassages(wav, keys, 2, 10000));

    EXPECT_EQ(Ctl({QStringLiteral("previous")}), QString());
    EXPECT_TRUE(Poll([&] { return Title().toLower() == QStringLiteral("one"); }, 5000));
    EXPECT_TRUE(WaitForPassages(wav, keys, 3, 10000));
    EXPECT_EQ(KeysOf(FindPassages(ReadLiveRecording(wav), keys)), (std::vector<int>{60, 67, 60}));

    EXPECT_EQ(Ctl({QStringLiteral("pause")}), QString());
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Paused")));
    EXPECT_EQ(Ctl({QStringLiteral("position"), QStringLiteral("5")}), QString());
    EXPECT_TRUE(Poll(
        [&] {
            const double seconds = Ctl({QStringLiteral("position")}).toDouble();
            return seconds > 4.9 && seconds < 5.3;
        },
        5000))
        << Ctl({QStringLiteral("position")}).toStdString();
    EXPECT_EQ(Status(), QStringLiteral("Paused")); // the seek kept the pause

    // The window shows: titles that start from now on are no news.
    EXPECT_FALSE(Root("Raise").startsWith(u'!'));
    EXPECT_EQ(Ctl({QStringLiteral("play")}), QString());
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    EXPECT_EQ(Ctl({QStringLiteral("open"), QUrl::fromLocalFile(four).toString()}), QString());
    EXPECT_TRUE(Poll([&] { return Status() == QStringLiteral("Playing"); }, 5000));
    EXPECT_EQ(Ctl({QStringLiteral("next")}), QString());
    EXPECT_EQ(Ctl({QStringLiteral("stop")}), QString());
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Stopped")));

    EXPECT_FALSE(Root("Quit").startsWith(u'!'));
    ASSERT_TRUE(tonaria->waitForFinished(15000));
    EXPECT_EQ(tonaria->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tonaria->exitCode(), 0);
    EXPECT_EQ(SystemAlbumFiles(), songs + QStringList{four});
    EXPECT_TRUE(env.readFile(env.config()).contains("\"Cloaked\"=dword:00000000"));

    const QString monitored = Monitored();
    EXPECT_TRUE(monitored.contains(QStringLiteral("string \"PlaybackStatus\"")));
    EXPECT_TRUE(monitored.contains(QStringLiteral("string \"Metadata\"")));
    // One notice for each title started while the window was hidden: one, two, one.
    EXPECT_EQ(monitored.count(QStringLiteral("member=Notify")), 3) << monitored.toStdString();
}

} // namespace
