#include "platform/desktop/desktopassociations.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A desktop of the test's own: the user's and the system's XDG folders below the test's
// scratch folder, so that neither the machine's defaults nor the user's leak in. (Every test
// here sets all of them.)
class TXdgWorld {
public:
    explicit TXdgWorld(const QByteArray &desktop = {}) : root_(env_.scratch())
    {
        qputenv("XDG_DATA_HOME", path(u"data"_s).toUtf8());
        qputenv("XDG_CONFIG_HOME", path(u"config"_s).toUtf8());
        qputenv("XDG_DATA_DIRS", path(u"sys"_s).toUtf8());
        qputenv("XDG_CONFIG_DIRS", path(u"etc"_s).toUtf8());
        qputenv("XDG_CURRENT_DESKTOP", desktop);
    }

    QString path(const QString &relative) const { return root_ + relative; }
    QByteArray read(const QString &relative) const { return env_.readFile(path(relative)); }
    void write(const QString &relative, const QByteArray &bytes) const
    {
        env_.writeFile(relative, bytes);
    }
    // An installed application that the desktop's tools accept.
    void install(const QString &id) const
    {
        write(u"sys/applications/"_s + id,
              "[Desktop Entry]\nType=Application\nName=O\nExec=true\n");
    }

    // Runs a desktop tool in this world, with no session of a real desktop around it.
    QString run(const QString &program, const QStringList &arguments, int *status = nullptr) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY",
                                 "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                                 "MATE_DESKTOP_SESSION_ID", "DESKTOP_SESSION", "XDG_MENU_PREFIX"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(u"HOME"_s, path(u"home"_s));
        environment.insert(u"LC_ALL"_s, u"C"_s);
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
        return run(u"xdg-mime"_s, {u"query"_s, u"default"_s, type});
    }
    // desktop-file-validate's complaints about an entry, "" when it is valid.
    QString validate(const QString &relative) const
    {
        int status = -1;
        const QString said = run(u"desktop-file-validate"_s, {path(relative)}, &status);
        return status == 0 ? QString() : u"failed: "_s + said;
    }

private:
    TTestEnvironment env_;
    QString root_;
};

QString ExecLine(const QByteArray &entry)
{
    for (const QByteArray &line : entry.split('\n'))
        if (line.startsWith("Exec=")) return QString::fromUtf8(line);
    return {};
}

bool HaveGio()
{
    return !QStandardPaths::findExecutable(u"gio"_s).isEmpty();
}

} // namespace

TEST(DesktopAssociations, VideoAndUnknownTypesAreRefusedAndNothingIsWritten)
{
    EXPECT_EQ(TDesktopAssociations::MimeTypesFor(u".Mid"_s).value(0), "audio/midi");
    EXPECT_EQ(TDesktopAssociations::MimeTypesFor(u"WAV"_s),
              (QStringList{u"audio/x-wav"_s, u"audio/wav"_s}));
    for (const char *playable : {"wav", ".mid", "rmi", "kar", "zip", "OGG"})
        EXPECT_TRUE(TDesktopAssociations::Supported(QLatin1String(playable))) << playable;
    TXdgWorld world;
    for (const char *refused : {"avi", ".AVI", "xyz", "", "."}) {
        EXPECT_FALSE(TDesktopAssociations::Supported(QLatin1String(refused))) << refused;
        QString error;
        EXPECT_FALSE(TDesktopAssociations::Associate(QLatin1String(refused), &error)) << refused;
        EXPECT_FALSE(error.isEmpty()) << refused;
    }
    QString error;
    TDesktopAssociations::Associate(u"avi"_s, &error);
    EXPECT_TRUE(error.contains("not supported by this build"_L1)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(world.path(u"data"_s)));
    EXPECT_FALSE(QFileInfo::exists(world.path(u"config"_s)));
}

// After "Associate", the desktop's own tools open MIDI files with Tonaria, started as
// "tonaria /Play /Close FILE", and the user's other choices are kept.
TEST(DesktopAssociations, AssociatingMidiMakesTonariaTheDesktopsDefault)
{
    TXdgWorld world;
    world.install(u"other.desktop"_s);
    world.write(u"config/mimeapps.list"_s, "# chosen by hand\n"
                                           "[Default Applications]\n"
                                           "audio/midi=other.desktop\n"
                                           "text/plain=gedit.desktop\n"
                                           "\n"
                                           "[Removed Associations]\n"
                                           "audio/midi=tonaria.desktop;\n");
    ASSERT_EQ(world.queryDefault(u"audio/midi"_s), "other.desktop");
    EXPECT_EQ(TDesktopAssociations::CurrentDefault(u"mid"_s), "other.desktop");
    EXPECT_FALSE(TDesktopAssociations::IsTonariaDefault(u"mid"_s));

    QString error;
    ASSERT_TRUE(TDesktopAssociations::Associate(u".MID"_s, &error)) << error.toStdString();
    for (const char *type : {"audio/midi", "audio/x-midi"})
        EXPECT_EQ(world.queryDefault(QLatin1String(type)), "tonaria.desktop") << type;
    EXPECT_EQ(TDesktopAssociations::CurrentDefault(u"kar"_s), "tonaria.desktop");
    EXPECT_TRUE(TDesktopAssociations::IsTonariaDefault(u"mid"_s));
    EXPECT_FALSE(TDesktopAssociations::IsTonariaDefault(u"wav"_s));
    const QByteArray list = world.read(u"config/mimeapps.list"_s);
    EXPECT_TRUE(list.startsWith("# chosen by hand\n[Default Applications]\n"
                                "audio/midi=tonaria.desktop;other.desktop;\n"
                                "text/plain=gedit.desktop\n"))
        << list.toStdString();
    EXPECT_FALSE(list.contains("[Removed Associations]\naudio/midi")) << list.toStdString();

    const QString entry = u"data/applications/tonaria.desktop"_s;
    EXPECT_EQ(ExecLine(world.read(entry)),
              "Exec="_L1 + QCoreApplication::applicationFilePath() + " /Play /Close %f"_L1);
    EXPECT_EQ(world.validate(entry), QString());
    if (HaveGio()) {
        const QString gio = world.run(u"gio"_s, {u"mime"_s, u"audio/midi"_s});
        EXPECT_TRUE(gio.section(u'\n', 0, 0).endsWith(": tonaria.desktop"_L1)) << gio.toStdString();
    }

    // Once is enough: a second time changes nothing.
    ASSERT_TRUE(TDesktopAssociations::Associate(u"mid"_s, &error));
    EXPECT_EQ(world.read(u"config/mimeapps.list"_s), list);
}

// RIFF MIDI is a type of our own: the user's MIME database learns it.
TEST(DesktopAssociations, RiffMidiGetsItsTypeInTheUsersDatabase)
{
    TXdgWorld world;
    // The system's own database too, so that the tools know the usual types.
    qputenv("XDG_DATA_DIRS", world.path(u"sys:/usr/share"_s).toUtf8());
    QString error;
    ASSERT_TRUE(TDesktopAssociations::Associate(u"rmi"_s, &error)) << error.toStdString();
    EXPECT_EQ(world.queryDefault(u"audio/x-rmi"_s), "tonaria.desktop");
    world.write(u"song.rmi"_s, QByteArray("RIFF\x10\0\0\0RMIDdata", 16));
    if (!HaveGio()) return;
    const QString info = world.run(
        u"gio"_s, {u"info"_s, u"-a"_s, u"standard::content-type"_s, world.path(u"song.rmi"_s)});
    EXPECT_TRUE(info.endsWith("standard::content-type: audio/x-rmi"_L1)) << info.toStdString();
}

// The current default is the one the desktop's own lookup finds.
TEST(DesktopAssociations, CurrentDefaultFollowsTheDesktopsLookupOrder)
{
    const auto list = [](const char *id) {
        return QByteArray("[Default Applications]\naudio/midi=") + id + '\n';
    };
    const struct {
        const char *name;
        QList<std::pair<const char *, QByteArray>> files;
        QByteArray desktop;
        const char *expected;
    } cases[] = {
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
        {"the user's applications folder before the system's",
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
    for (const auto &c : cases) {
        TXdgWorld world(c.desktop);
        for (const char *id : {"a", "b", "c", "d", "e", "f"})
            world.install(QLatin1String(id) + ".desktop"_L1);
        for (const auto &[file, bytes] : c.files)
            world.write(QLatin1String(file), bytes);
        EXPECT_EQ(TDesktopAssociations::CurrentDefault(u"mid"_s), c.expected) << c.name;
        EXPECT_EQ(world.queryDefault(u"audio/midi"_s), c.expected) << c.name;
    }
}

// The user's entry is written only where the entry in use starts another program, and any
// path makes a valid entry.
TEST(DesktopAssociations, TheUsersEntryStartsThisProgram)
{
    const QString self = QCoreApplication::applicationFilePath();
    const QString entry = u"data/applications/tonaria.desktop"_s;
    TXdgWorld world;
    world.write(u"sys/applications/tonaria.desktop"_s,
                "[Desktop Entry]\nType=Application\nName=T\nExec=" + self.toUtf8() + " %f\n");
    QString error;
    ASSERT_TRUE(TDesktopAssociations::Associate(u"wav"_s, &error));
    EXPECT_FALSE(QFileInfo::exists(world.path(entry)));
    EXPECT_EQ(world.queryDefault(u"audio/x-wav"_s), "tonaria.desktop");

    world.write(entry, "[Desktop Entry]\nType=Application\nName=T\nExec=/opt/old/tonaria %f\n");
    ASSERT_TRUE(TDesktopAssociations::Associate(u"wav"_s, &error));
    EXPECT_EQ(ExecLine(world.read(entry)), "Exec="_L1 + self + " /Play /Close %f"_L1);

    const struct {
        const char *program;
        const char *exec;
    } cases[] = {
        {"/opt/tonaria/bin/tonaria", "Exec=/opt/tonaria/bin/tonaria /Play /Close %f"},
        {"/home/a b/tonaria", "Exec=\"/home/a b/tonaria\" /Play /Close %f"},
        {"/x/$HOME\"q/50%/t", "Exec=\"/x/\\\\$HOME\\\\\"q/50%%/t\" /Play /Close %f"},
    };
    for (const auto &c : cases) {
        const QByteArray text = TDesktopAssociations::DesktopEntryFor(QString::fromUtf8(c.program));
        EXPECT_EQ(ExecLine(text), QLatin1String(c.exec)) << c.program;
        world.write(u"check.desktop"_s, text);
        EXPECT_EQ(world.validate(u"check.desktop"_s), QString()) << c.program;
    }
}
