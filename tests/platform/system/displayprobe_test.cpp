// The display probe on sockets the test makes: a Wayland name that takes a connection, one that
// does not, an X display nobody serves, and the choice of the offscreen platform.
#include "platform/system/displayprobe.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Sets variables for one test and gives every one its old value back afterwards.
class TEnvironmentPatch {
public:
    ~TEnvironmentPatch()
    {
        for (const auto &[name, old] : saved_)
            if (old.second)
                qputenv(name.c_str(), old.first);
            else
                qunsetenv(name.c_str());
    }
    void set(const char *name, const QByteArray &value)
    {
        save(name);
        qputenv(name, value);
    }
    void unset(const char *name)
    {
        save(name);
        qunsetenv(name);
    }

private:
    void save(const char *name)
    {
        if (!saved_.count(name)) saved_[name] = {qgetenv(name), qEnvironmentVariableIsSet(name)};
    }
    std::map<std::string, std::pair<QByteArray, bool>> saved_;
};

TEST(DisplayProbe, WaylandSocketsAreFoundByPathOrUnderTheRuntimeFolder)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QLocalServer compositor;
    compositor.setSocketOptions(QLocalServer::UserAccessOption);
    ASSERT_TRUE(compositor.listen(runtime.filePath(QStringLiteral("wayland-7"))));

    TEnvironmentPatch patch;
    patch.set("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    struct TCase {
        QByteArray name;
        bool reachable;
    };
    const TCase cases[] = {
        {"wayland-7", true},
        {QFile::encodeName(runtime.filePath(QStringLiteral("wayland-7"))), true},
        {"wayland-8", false},          // nobody listens
        {"", false},                   // not set
        {QByteArray(200, 'w'), false}, // longer than a socket's path may be
    };
    for (const TCase &c : cases) {
        patch.set("WAYLAND_DISPLAY", c.name);
        EXPECT_EQ(TDisplayProbe::WaylandReachable(), c.reachable) << c.name.constData();
    }
    // A relative name needs the runtime folder.
    patch.set("WAYLAND_DISPLAY", "wayland-7");
    patch.unset("XDG_RUNTIME_DIR");
    EXPECT_FALSE(TDisplayProbe::WaylandReachable());
}

TEST(DisplayProbe, OffscreenIsChosenOnlyWhenNoDisplayAnswersAndNoPlatformWasChosen)
{
    TEnvironmentPatch patch;
    patch.unset("WAYLAND_DISPLAY");
    // A display number no X server serves on this machine.
    patch.set("DISPLAY", ":64999");
    TDisplayProbe probe;
    EXPECT_FALSE(probe.XReachable());

    patch.set("QT_QPA_PLATFORM", "xcb");
    EXPECT_FALSE(probe.ChooseHeadless());
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "xcb");

    patch.unset("QT_QPA_PLATFORM");
    EXPECT_TRUE(probe.ChooseHeadless());
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "offscreen");

    patch.unset("DISPLAY");
    patch.set("QT_QPA_PLATFORM", "");
    EXPECT_FALSE(probe.XReachable());
    EXPECT_TRUE(probe.ChooseHeadless());
}

TEST(DisplayProbe, AnXServerThatRunsIsReachable)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
    // A display number no one uses yet.
    int number = 300 + int(QCoreApplication::applicationPid() % 500);
    while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
        ++number;
    QProcess server;
    server.start(xvfb, {QStringLiteral(":%1").arg(number), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
    ASSERT_TRUE(server.waitForStarted(5000));
    const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
    for (int i = 0; i < 200 && !QFileInfo::exists(socket); ++i)
        QThread::msleep(50);

    TEnvironmentPatch patch;
    patch.unset("WAYLAND_DISPLAY");
    patch.unset("QT_QPA_PLATFORM");
    patch.set("DISPLAY", QStringLiteral(":%1").arg(number).toLatin1());
    TDisplayProbe probe;
    EXPECT_TRUE(probe.XReachable());
    EXPECT_FALSE(probe.ChooseHeadless());
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
    // While the probe holds its connection (until the program's own is made), the server has a
    // client and does not reset: the program is let in at once.
    TDisplayProbe program;
    EXPECT_TRUE(program.XReachable());
    server.terminate();
    server.waitForFinished(5000);
}

} // namespace
