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

    qputenv("XDG_RUNTIME_DIR", env.scratch().toUtf8());
    EXPECT_EQ(PreparePrivateTempFolder().path, env.scratch() + QStringLiteral("tonaria"));
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(PreparePrivateTempFolder().path, QStringLiteral("/tmp/tonaria-%1").arg(::getuid()));
}
