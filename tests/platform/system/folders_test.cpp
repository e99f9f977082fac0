#include "platform/system/instancelock.h"
#include "platform/system/mciextensions.h"
#include "platform/system/programfolder.h"
#include "platform/system/tempfolder.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(ProgramFolder, ChosenFromHomeThenExecutableFolderThenUserData)
{
    TTestEnvironment env;
    EXPECT_EQ(LocateProgramFolder(QStringLiteral("/anywhere")), env.home());

    qunsetenv("TONARIA_HOME");
    const QString exe = env.scratch() + QStringLiteral("bin");
    qputenv("XDG_DATA_HOME", (env.scratch() + QStringLiteral("data")).toUtf8());
    // An executable folder without the program's data is not the program folder...
    QDir().mkpath(exe);
    EXPECT_EQ(LocateProgramFolder(exe), env.scratch() + QStringLiteral("data/tonaria/"));
    // ...one with it is.
    writeFile(exe + QStringLiteral("/Lang/English.tlg"), "x");
    EXPECT_EQ(LocateProgramFolder(exe), exe + u'/');
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(LocateProgramFolder(QString()),
              QDir::homePath() + QStringLiteral("/.local/share/tonaria/"));
}

TEST(ProgramFolder, SeedingGivesMissingFilesAndNeverOverwrites)
{
    TTestEnvironment env;
    const QString shipped = env.scratch() + QStringLiteral("shipped/");
    writeFile(shipped + QStringLiteral("mci.ini"), "shipped table");
    writeFile(shipped + QStringLiteral("Lang/English.tlg"), "shipped language");
    writeFile(shipped + QStringLiteral("Reset/GM.mid"), "shipped reset");
    writeFile(env.home() + QStringLiteral("mci.ini"), "the user's table");
    // A dangling link the user left is not written through.
    QDir().mkpath(env.home() + QStringLiteral("Reset"));
    const QString linkTarget = env.scratch() + QStringLiteral("target");
    ASSERT_EQ(::symlink(QFile::encodeName(linkTarget).constData(),
                        QFile::encodeName(env.home() + "Reset/GM.mid").constData()),
              0);

    const TSeedResult result = SeedProgramFolder(env.home(), shipped);
    EXPECT_EQ(result.copied, QStringList{QStringLiteral("Lang/English.tlg")});
    EXPECT_TRUE(result.failed.isEmpty());
    EXPECT_EQ(TTestEnvironment::readFile(env.home() + QStringLiteral("mci.ini")),
              "the user's table");
    EXPECT_EQ(TTestEnvironment::readFile(env.home() + QStringLiteral("Lang/English.tlg")),
              "shipped language");
    EXPECT_FALSE(QFileInfo::exists(linkTarget));

    // A second start has nothing to add; a missing shipped folder or the folder itself neither.
    EXPECT_TRUE(SeedProgramFolder(env.home(), shipped).copied.isEmpty());
    EXPECT_TRUE(
        SeedProgramFolder(env.home(), env.scratch() + QStringLiteral("none")).copied.isEmpty());
    EXPECT_TRUE(SeedProgramFolder(shipped, shipped).copied.isEmpty());
}

TEST(ProgramFolder, ShippedFilesStayCurrentUnlessTheUserChangedThem)
{
    TTestEnvironment env;
    const QString shipped = env.scratch() + QStringLiteral("shipped/");
    const QString english = QStringLiteral("Lang/English.tlg");
    writeFile(shipped + english, "[Globals]\r\nA=1\r\n");
    writeFile(shipped + QStringLiteral("mci.ini"), "[mci extensions]\r\nmid=sequencer\r\n");
    ASSERT_EQ(SeedProgramFolder(env.home(), shipped).copied.size(), 2);

    // A newer program: the untouched copy follows it, the one the user edited stays his.
    writeFile(shipped + english, "[Globals]\r\nA=1\r\nB=2\r\n");
    writeFile(shipped + QStringLiteral("mci.ini"), "[mci extensions]\r\nkar=sequencer\r\n");
    writeFile(env.home() + QStringLiteral("mci.ini"), "the user's table");
    TSeedResult result = SeedProgramFolder(env.home(), shipped);
    EXPECT_EQ(result.updated, QStringList{english});
    EXPECT_TRUE(result.copied.isEmpty() && result.failed.isEmpty());
    EXPECT_EQ(TTestEnvironment::readFile(env.home() + english), "[Globals]\r\nA=1\r\nB=2\r\n");
    EXPECT_EQ(TTestEnvironment::readFile(env.home() + QStringLiteral("mci.ini")),
              "the user's table");

    // And it stays his at every later start, whatever the program ships.
    writeFile(shipped + QStringLiteral("mci.ini"), "a third table");
    EXPECT_TRUE(SeedProgramFolder(env.home(), shipped).updated.isEmpty());
    EXPECT_EQ(TTestEnvironment::readFile(env.home() + QStringLiteral("mci.ini")),
              "the user's table");

    // A folder given its files before the program kept a record: a copy that is as shipped is
    // recognised and follows later versions; any other content is the user's.
    const TTestEnvironment older;
    const QString home = older.home();
    writeFile(home + english, TTestEnvironment::readFile(shipped + english));
    writeFile(home + QStringLiteral("mci.ini"), "edited by hand");
    result = SeedProgramFolder(home, shipped);
    EXPECT_TRUE(result.updated.isEmpty() && result.copied.isEmpty());
    writeFile(shipped + english, "[Globals]\r\nC=3\r\n");
    result = SeedProgramFolder(home, shipped);
    EXPECT_EQ(result.updated, QStringList{english});
    EXPECT_EQ(TTestEnvironment::readFile(home + english), "[Globals]\r\nC=3\r\n");
    EXPECT_EQ(TTestEnvironment::readFile(home + QStringLiteral("mci.ini")), "edited by hand");

    // A copy that a crash left empty before the disk was flushed (the record never heard of
    // it) is given again; an empty file the record knows is the user's.
    const TTestEnvironment crashed;
    writeFile(crashed.home() + english, "");
    result = SeedProgramFolder(crashed.home(), shipped);
    EXPECT_EQ(result.updated, QStringList{english});
    EXPECT_EQ(TTestEnvironment::readFile(crashed.home() + english), "[Globals]\r\nC=3\r\n");
    writeFile(crashed.home() + english, "");
    writeFile(shipped + english, "[Globals]\r\nD=4\r\n");
    EXPECT_TRUE(SeedProgramFolder(crashed.home(), shipped).updated.isEmpty());
}

TEST(MciExtensions, ReadsItsSectionInFileOrder)
{
    const auto pairs = ParseMciExtensions("[other]\nmid=wrong\n"
                                          "[ MCI Extensions ]\r\n"
                                          "; a comment\n"
                                          "  MID = Sequencer \n"
                                          "no equals sign\n"
                                          "=nothing\n"
                                          ".wav=waveaudio\n"
                                          "mid=later\n"
                                          "rmi=\n"
                                          "[next]\nogg=waveaudio\n");
    ASSERT_EQ(pairs.size(), 2);
    EXPECT_EQ(pairs[0].extension, QStringLiteral("mid"));
    EXPECT_EQ(pairs[0].device, QStringLiteral("Sequencer"));
    EXPECT_EQ(pairs[1].extension, QStringLiteral("wav"));
    EXPECT_TRUE(ReadMciExtensions(QStringLiteral("/nonexistent/")).isEmpty());
    // The shipped table.
    const auto shipped = ReadMciExtensions(ShippedDataFolder());
    ASSERT_EQ(shipped.size(), 11);
    EXPECT_EQ(shipped.last().device, QStringLiteral("waveaudio"));
}

TEST(TempFolder, PrivateAndRefusedWhenSomeoneElsesOrALink)
{
    TTestEnvironment env;
    const QString path = env.scratch() + QStringLiteral("tmp");
    TTempFolder folder = PreparePrivateFolder(path + u'/');
    ASSERT_TRUE(folder.ok) << folder.error.toStdString();
    EXPECT_EQ(folder.path, path);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // An existing folder of ours with loose permissions is narrowed.
    ::chmod(QFile::encodeName(path).constData(), 0777);
    EXPECT_TRUE(PreparePrivateFolder(path).ok);
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const QString link = env.scratch() + QStringLiteral("link");
    ASSERT_EQ(::symlink(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()),
              0);
    folder = PreparePrivateFolder(link);
    EXPECT_FALSE(folder.ok);
    EXPECT_EQ(folder.path, link);
    EXPECT_FALSE(folder.error.isEmpty());

    writeFile(env.scratch() + QStringLiteral("plain"), "x");
    EXPECT_FALSE(PreparePrivateFolder(env.scratch() + QStringLiteral("plain")).ok);

    if (::getuid() == 0) {
        const QString foreign = env.scratch() + QStringLiteral("foreign");
        QDir().mkpath(foreign);
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 12345, 12345), 0);
        EXPECT_FALSE(PreparePrivateFolder(foreign).ok);
    }
}

namespace {

// Files and folders below a folder, at any depth.
QStringList Contents(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

bool IsPrivateFolderOfOurs(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 07777) == 0700;
}

} // namespace

TEST(TempFolder, AFolderThatIsNotOursIsPassedOverForAFreshPrivateOne)
{
    TTestEnvironment env;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR"), oldTmp = qgetenv("TMPDIR");
    const QString runtime = env.scratch() + QStringLiteral("run");
    const QString fresh = env.scratch() + QStringLiteral("tmp");
    QDir().mkpath(runtime);
    QDir().mkpath(fresh);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    qputenv("TMPDIR", fresh.toUtf8());
    const QString usual = runtime + QStringLiteral("/tonaria");

    TTempFolder folder = PreparePrivateTempFolder();
    EXPECT_EQ(folder.path, usual);
    EXPECT_TRUE(folder.ok && folder.refused.isEmpty());
    ASSERT_TRUE(QDir().rmdir(usual));

    // Someone else's folder in its place (made as root for another user), then a link to a
    // folder someone else can read: neither is written into.
    QStringList planted;
    if (::getuid() == 0) planted << QStringLiteral("foreign");
    planted << QStringLiteral("link");
    for (const QString &kind : planted) {
        const QString victim = env.scratch() + kind;
        QDir().mkpath(victim);
        ::chmod(QFile::encodeName(victim).constData(), 0777);
        if (kind == QStringLiteral("foreign")) {
            ASSERT_EQ(::rename(QFile::encodeName(victim).constData(),
                               QFile::encodeName(usual).constData()),
                      0);
            ASSERT_EQ(::chown(QFile::encodeName(usual).constData(), 12345, 12345), 0);
        } else {
            ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(),
                                QFile::encodeName(usual).constData()),
                      0);
        }
        folder = PreparePrivateTempFolder();
        ASSERT_TRUE(folder.ok) << folder.error.toStdString();
        EXPECT_EQ(folder.refused, usual) << kind.toStdString();
        EXPECT_FALSE(folder.error.isEmpty());
        EXPECT_TRUE(folder.path.startsWith(fresh + QStringLiteral("/tonaria-")));
        EXPECT_TRUE(IsPrivateFolderOfOurs(folder.path));
        EXPECT_TRUE(Contents(usual).isEmpty()) << kind.toStdString();
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(usual).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0777u); // not narrowed either: it is not ours to change
        ::unlink(QFile::encodeName(usual).constData());
        ::rmdir(QFile::encodeName(usual).constData());
    }

    // Without a runtime folder every run gets a folder of a name no one can prepare for it.
    qunsetenv("XDG_RUNTIME_DIR");
    const TTempFolder one = PreparePrivateTempFolder(), two = PreparePrivateTempFolder();
    EXPECT_TRUE(one.ok && two.ok && one.refused.isEmpty());
    EXPECT_NE(one.path, two.path);
    EXPECT_TRUE(IsPrivateFolderOfOurs(one.path) && IsPrivateFolderOfOurs(two.path));
    EXPECT_TRUE(one.path.startsWith(fresh + QStringLiteral("/tonaria-")));
    // The instance lock still needs a name every start can find: the user's cache folder.
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", (env.scratch() + QStringLiteral("cache")).toUtf8());
    EXPECT_EQ(PrepareInstanceFolder(), env.scratch() + QStringLiteral("cache/tonaria/instance"));
    EXPECT_TRUE(IsPrivateFolderOfOurs(env.scratch() + QStringLiteral("cache/tonaria")));
    qputenv("XDG_CACHE_HOME", oldCache);
    if (oldCache.isEmpty()) qunsetenv("XDG_CACHE_HOME");

    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("TMPDIR", oldTmp);
    if (oldRuntime.isEmpty()) qunsetenv("XDG_RUNTIME_DIR");
    if (oldTmp.isEmpty()) qunsetenv("TMPDIR");
}
