#include "platform/desktop/desktopassociations.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

const char *const kXdgVariables[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS",
                                     "XDG_CONFIG_DIRS", "XDG_CURRENT_DESKTOP"};

// A desktop of the test's own: the user's and the system's XDG folders below root, so that
// neither the machine's defaults nor the user's leak in. The variables come back at the end.
class TXdgWorld {
public:
    explicit TXdgWorld(const QString &root, const QByteArray &desktop = {}) : root_(root)
    {
        for (const char *name : kXdgVariables)
            saved_.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv("XDG_DATA_HOME", (root + QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_DIRS", (root + QStringLiteral("sys")).toUtf8());
        qputenv("XDG_CONFIG_DIRS", (root + QStringLiteral("etc")).toUtf8());
        if (desktop.isEmpty())
            qunsetenv("XDG_CURRENT_DESKTOP");
        else
            qputenv("XDG_CURRENT_DESKTOP", desktop);
    }
    ~TXdgWorld()
    {
        for (const auto &[name, value, wasSet] : saved_)
            wasSet ? qputenv(name, value) : qunsetenv(name);
    }
    TXdgWorld(const TXdgWorld &) = delete;
    TXdgWorld &operator=(const TXdgWorld &) = delete;

    QString path(const QString &relative) const { return root_ + relative; }
    void write(const QString &relative, const QByteArray &bytes) const
    {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // An installed application that the desktop's tools accept.
    void install(const QString &id) const
    {
        write(QStringLiteral("sys/applications/") + id,
              "[Desktop Entry]\nType=Application\nName=Other\nExec=true %f\n");
    }

    // Runs a desktop tool in this world, with no session of a real desktop around it.
    QString run(const QString &program, const QStringList &arguments, int *status = nullptr) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY",
                                 "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                                 "MATE_DESKTOP_SESSION_ID", "DESKTOP_SESSION", "XDG_MENU_PREFIX"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("HOME"), root_ + QStringLiteral("home"));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        process.waitForFinished(30000);
        if (status)
            *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    QString queryDefault(const QString &type) const
    {
        return run(QStringLiteral("xdg-mime"),
                   {QStringLiteral("query"), QStringLiteral("default"), type});
    }

private:
    struct TSaved {
        const char *name;
        QByteArray value;
        bool wasSet;
    };
    QString root_;
    QList<TSaved> saved_;
};

QString ExecLine(const QByteArray &entry)
{
    for (const QByteArray &line : entry.split('\n'))
        if (line.startsWith("Exec=")) return QString::fromUtf8(line);
    return {};
}

} // namespace

TEST(DesktopAssociations, TypesOfTheExtensions)
{
    EXPECT_EQ(TDesktopAssociations::DesktopId(), QStringLiteral("tonaria.desktop"));
    EXPECT_EQ(TDesktopAssociations::MimeTypesFor(QStringLiteral(".Mid")).value(0), "audio/midi");
    EXPECT_EQ(TDesktopAssociations::MimeTypesFor(QStringLiteral("kar")).value(0), "audio/midi");
    EXPECT_EQ(TDesktopAssociations::MimeTypesFor(QStringLiteral("WAV")),
              (QStringList{QStringLiteral("audio/x-wav"), QStringLiteral("audio/wav")}));
    EXPECT_EQ(TDesktopAssociations::MimeTypesFor(QStringLiteral("rmi")).value(0), "audio/x-rmi");
    for (const char *playable : {"wav", ".mid", "rmi", "kar", "zip", "OGG"})
        EXPECT_TRUE(TDesktopAssociations::Supported(QLatin1String(playable))) << playable;
    for (const char *other : {"avi", ".AVI", "xyz", "", "."})
        EXPECT_FALSE(TDesktopAssociations::Supported(QLatin1String(other))) << other;
}

// The acceptance of the whole: after "Associate", the desktop's own tools open MIDI files with
// Tonaria, started as "tonaria /Play /Close FILE", and the user's other choices are kept.
TEST(DesktopAssociations, AssociatingMidiMakesTonariaTheDesktopsDefault)
{
    TTestEnvironment env;
    TXdgWorld world(env.scratch());
    world.install(QStringLiteral("other.desktop"));
    const QByteArray userList = "# chosen by hand\n"
                                "[Default Applications]\n"
                                "audio/midi=other.desktop\n"
                                "text/plain=gedit.desktop\n"
                                "\n"
                                "[Removed Associations]\n"
                                "audio/midi=tonaria.desktop;\n";
    world.write(QStringLiteral("config/mimeapps.list"), userList);
    ASSERT_EQ(world.queryDefault(QStringLiteral("audio/midi")), "other.desktop");
    EXPECT_EQ(TDesktopAssociations::CurrentDefault(QStringLiteral("mid")), "other.desktop");
    EXPECT_FALSE(TDesktopAssociations::IsTonariaDefault(QStringLiteral("mid")));

    QString error;
    ASSERT_TRUE(TDesktopAssociations::Associate(QStringLiteral(".MID"), &error))
        << error.toStdString();

    for (const char *type : {"audio/midi", "audio/x-midi"})
        EXPECT_EQ(world.queryDefault(QLatin1String(type)), "tonaria.desktop") << type;
    EXPECT_EQ(TDesktopAssociations::CurrentDefault(QStringLiteral("kar")), "tonaria.desktop");
    EXPECT_TRUE(TDesktopAssociations::IsTonariaDefault(QStringLiteral("mid")));
    EXPECT_FALSE(TDesktopAssociations::IsTonariaDefault(QStringLiteral("wav")));

    const QByteArray list =
        TTestEnvironment::readFile(world.path(QStringLiteral("config/mimeapps.list")));
    EXPECT_TRUE(
        list.startsWith("# chosen by hand\n[Default Applications]\n"
                        "audio/midi=tonaria.desktop;other.desktop;\ntext/plain=gedit.desktop\n"))
        << list.toStdString();
    EXPECT_FALSE(list.contains("[Removed Associations]\naudio/midi")) << list.toStdString();

    const QString entryPath = world.path(QStringLiteral("data/applications/tonaria.desktop"));
    const QByteArray entry = TTestEnvironment::readFile(entryPath);
    EXPECT_EQ(ExecLine(entry),
              "Exec=" + QCoreApplication::applicationFilePath() + " /Play /Close %f");
    int status = -1;
    const QString complaints =
        world.run(QStringLiteral("desktop-file-validate"), {entryPath}, &status);
    EXPECT_EQ(status, 0) << complaints.toStdString();
    if (!QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty()) {
        const QString gio = world.run(QStringLiteral("gio"),
                                      {QStringLiteral("mime"), QStringLiteral("audio/midi")});
        EXPECT_TRUE(gio.section(u'\n', 0, 0).endsWith(QLatin1String(": tonaria.desktop")))
            << gio.toStdString();
    }

    // Once is enough: a second time changes nothing.
    ASSERT_TRUE(TDesktopAssociations::Associate(QStringLiteral("mid"), &error));
    EXPECT_EQ(TTestEnvironment::readFile(world.path(QStringLiteral("config/mimeapps.list"))), list);
}

// RIFF MIDI is a type of our own: the user's MIME database learns it.
TEST(DesktopAssociations, RiffMidiGetsItsTypeInTheUsersDatabase)
{
    TTestEnvironment env;
    TXdgWorld world(env.scratch());
    // The system's own database too, so that the tools know the usual types.
    qputenv("XDG_DATA_DIRS",
            (world.path(QStringLiteral("sys:")) + QStringLiteral("/usr/share")).toUtf8());
    QString error;
    ASSERT_TRUE(TDesktopAssociations::Associate(QStringLiteral("rmi"), &error))
        << error.toStdString();
    EXPECT_TRUE(QFileInfo(world.path(QStringLiteral("data/mime/packages/tonaria.xml"))).isFile());
    EXPECT_EQ(world.queryDefault(QStringLiteral("audio/x-rmi")), "tonaria.desktop");

    const QString song = world.path(QStringLiteral("song.rmi"));
    world.write(QStringLiteral("song.rmi"), QByteArray("RIFF\x10\0\0\0RMIDdata", 16));
    if (!QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty()) {
        EXPECT_EQ(world
                      .run(QStringLiteral("gio"), {QStringLiteral("info"), QStringLiteral("-a"),
                                                   QStringLiteral("standard::content-type"), song})
                      .section(u'\n', -1)
                      .trimmed(),
                  "standard::content-type: audio/x-rmi");
    }
}

TEST(DesktopAssociations, VideoAndUnknownTypesAreRefusedAndNothingIsWritten)
{
    TTestEnvironment env;
    TXdgWorld world(env.scratch());
    for (const char *extension : {"avi", "xyz", ""}) {
        QString error;
        EXPECT_FALSE(TDesktopAssociations::Associate(QLatin1String(extension), &error))
            << extension;
        EXPECT_FALSE(error.isEmpty()) << extension;
    }
    QString error;
    TDesktopAssociations::Associate(QStringLiteral("avi"), &error);
    EXPECT_TRUE(error.contains(QLatin1String("not supported by this build")))
        << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(world.path(QStringLiteral("data"))));
    EXPECT_FALSE(QFileInfo::exists(world.path(QStringLiteral("config"))));
}

// The current default is the one the desktop's own lookup finds.
TEST(DesktopAssociations, CurrentDefaultFollowsTheDesktopsLookupOrder)
{
    struct TCase {
        const char *name;
        QList<std::pair<const char *, QByteArray>> files;
        QByteArray desktop;
        const char *expected;
    };
    const auto list = [](const char *id) {
        return QByteArray("[Default Applications]\naudio/midi=") + id + '\n';
    };
    const QList<TCase> cases = {
        {"the user's list first",
         {{"config/mimeapps.list", list("a.desktop")}, {"etc/mimeapps.list", list("b.desktop")}},
         {},
         "a.desktop"},
        {"an entry that is not installed is passed over",
         {{"config/mimeapps.list", list("gone.desktop;")},
          {"etc/mimeapps.list", list("b.desktop")}},
         {},
         "b.desktop"},
        {"the system's configuration before the applications folders",
         {{"etc/mimeapps.list", list("b.desktop")},
          {"data/applications/mimeapps.list", list("c.desktop")}},
         {},
         "b.desktop"},
        {"the user's applications folder",
         {{"data/applications/mimeapps.list", list("c.desktop")},
          {"sys/applications/mimeapps.list", list("d.desktop")}},
         {},
         "c.desktop"},
        {"the session's own desktop first",
         {{"config/mimeapps.list", list("a.desktop")},
          {"config/tonariatest-mimeapps.list", list("e.desktop")}},
         "TonariaTest",
         "e.desktop"},
        {"the system's cache when no list chooses",
         {{"sys/applications/mimeinfo.cache", "[MIME Cache]\naudio/midi=f.desktop;a.desktop;\n"}},
         {},
         "f.desktop"},
    };
    for (const TCase &c : cases) {
        TTestEnvironment env;
        TXdgWorld world(env.scratch(), c.desktop);
        for (const char *id : {"a", "b", "c", "d", "e", "f"})
            world.install(QLatin1String(id) + QStringLiteral(".desktop"));
        for (const auto &[file, bytes] : c.files)
            world.write(QLatin1String(file), bytes);
        EXPECT_EQ(TDesktopAssociations::CurrentDefault(QStringLiteral("mid")), c.expected)
            << c.name;
        EXPECT_EQ(world.queryDefault(QStringLiteral("audio/midi")), c.expected) << c.name;
    }
}

// The user's entry is written only where the entry in use starts another program.
TEST(DesktopAssociations, TheUsersEntryStartsThisProgram)
{
    const QString self = QCoreApplication::applicationFilePath();
    TTestEnvironment env;
    TXdgWorld world(env.scratch());
    world.write(QStringLiteral("sys/applications/tonaria.desktop"),
                "[Desktop Entry]\nType=Application\nName=Tonaria\nExec=" + self.toUtf8() +
                    " /Play /Close %f\n");
    QString error;
    ASSERT_TRUE(TDesktopAssociations::Associate(QStringLiteral("wav"), &error));
    EXPECT_FALSE(
        QFileInfo::exists(world.path(QStringLiteral("data/applications/tonaria.desktop"))));
    EXPECT_EQ(world.queryDefault(QStringLiteral("audio/x-wav")), "tonaria.desktop");

    world.write(QStringLiteral("data/applications/tonaria.desktop"),
                "[Desktop Entry]\nType=Application\nName=Tonaria\nExec=/opt/old/tonaria %f\n");
    ASSERT_TRUE(TDesktopAssociations::Associate(QStringLiteral("wav"), &error));
    EXPECT_EQ(ExecLine(TTestEnvironment::readFile(
                  world.path(QStringLiteral("data/applications/tonaria.desktop")))),
              "Exec=" + self + " /Play /Close %f");

    // Any path makes a valid entry.
    const struct {
        const char *program;
        const char *exec;
    } cases[] = {
        {"/opt/tonaria/bin/tonaria", "Exec=/opt/tonaria/bin/tonaria /Play /Close %f"},
        {"/home/a b/tonaria", "Exec=\"/home/a b/tonaria\" /Play /Close %f"},
        {"/x/$HOME\"q/50%/t", "Exec=\"/x/\\\\$HOME\\\\\"q/50%%/t\" /Play /Close %f"},
    };
    for (const auto &c : cases) {
        const QByteArray entry =
            TDesktopAssociations::DesktopEntryFor(QString::fromUtf8(c.program));
        EXPECT_EQ(ExecLine(entry), QLatin1String(c.exec)) << c.program;
        world.write(QStringLiteral("check.desktop"), entry);
        int status = -1;
        const QString complaints =
            world.run(QStringLiteral("desktop-file-validate"),
                      {world.path(QStringLiteral("check.desktop"))}, &status);
        EXPECT_EQ(status, 0) << c.program << complaints.toStdString();
    }
}
