#include "packages/zipman.h"
#include "packages/zipstreamerror.h"
#include "support/testenv.h"
#include "testarchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <random>

namespace {

// Every path below `folder`, hidden files and links included.
QStringList Tree(const QString &folder)
{
    QStringList paths;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(QDir(folder).relativeFilePath(it.next()));
    paths.sort();
    return paths;
}

// The temporary folder lies two levels below the scratch folder, so that a member climbing out
// of it would show in the scratch folder.
struct TPackageWorld {
    TTestEnvironment env;
    QString temp = env.scratch() + QStringLiteral("run/user/tonaria");
    TPackageWorld() { QDir().mkpath(temp); }
    QString Write(const QByteArray &zip) const { return env.writeFile(u"pack.zip"_qs, zip); }
    QString OpenError(TZipMan &zipMan, const QByteArray &zip) const
    {
        try {
            zipMan.OpenTitle(Write(zip));
        } catch (const EZipStreamError &error) {
            return error.Message();
        }
        return u"opened"_qs;
    }
};

} // namespace

TEST(ZipMan, PlaysMembersInOrderAndLeavesNothingBehind)
{
    TPackageWorld world;
    world.env.writeFile(u"run/user/tonaria/not-ours.txt"_qs, "mine");
    const QStringList before = Tree(world.temp);
    const QString package = world.Write(MakeZip({{"a.mid", "data of a"},
                                                 {"b.zip", "PK"},
                                                 {"c.kar", "data of c"},
                                                 {"folder/", ""},
                                                 {"Songs\\Old/MY_SONG.MID", "s"},
                                                 {"LOUD.ZIP", "PK"}}));
    {
        TZipMan zipMan(world.temp);
        zipMan.SetPackage(package);
        ASSERT_TRUE(zipMan.OpenPackage());
        EXPECT_EQ(zipMan.Entries(), QStringList({"a.mid", "c.kar", "Songs\\Old/MY_SONG.MID"}));
        EXPECT_EQ(zipMan.CurrentIndex(), 0);
        ASSERT_TRUE(zipMan.UnpackCurrent());
        const QString a = zipMan.CurrentFile();
        EXPECT_EQ(a, world.temp + u"/a.mid"_qs);
        EXPECT_EQ(TTestEnvironment::readFile(a), "data of a");

        zipMan.SetIndex(1);
        ASSERT_TRUE(zipMan.UnpackCurrent());
        EXPECT_FALSE(QFileInfo::exists(a)); // gone before the next member comes
        EXPECT_EQ(TTestEnvironment::readFile(zipMan.CurrentFile()), "data of c");

        zipMan.SetIndex(2);
        ASSERT_TRUE(zipMan.UnpackCurrent());
        EXPECT_EQ(zipMan.CurrentFile(), world.temp + u"/MY_SONG.MID"_qs);
        EXPECT_EQ(zipMan.CurrentCaption(), u"My Song"_qs);
        EXPECT_EQ(zipMan.CurrentSubCaption(), u"Songs\\Old/MY_SONG.MID"_qs);

        zipMan.ClosePackage();
        EXPECT_EQ(zipMan.CurrentIndex(), -1);
        EXPECT_TRUE(zipMan.Entries().isEmpty() && zipMan.CurrentFile().isEmpty());
        EXPECT_EQ(Tree(world.temp), before);

        zipMan.OpenTitle(package); // left open: the manager's end cleans up
    }
    EXPECT_EQ(Tree(world.temp), before);
}

TEST(ZipMan, PackagesWithNothingToPlayFailToOpen)
{
    TPackageWorld world;
    TZipMan zipMan(world.temp);
    EXPECT_EQ(world.OpenError(zipMan, MakeZip({{"x.zip", "PK"}, {"y.Zip", "PK"}, {" \t", "-"}})),
              u"Error");
    EXPECT_EQ(zipMan.CurrentIndex(), -1);
    EXPECT_EQ(world.OpenError(zipMan, MakeZip({})), u"Error");
    EXPECT_EQ(world.OpenError(zipMan, "not an archive"), u"Error 1 reading Zip File");
    EXPECT_EQ(world.OpenError(zipMan, MakeStreamedZip({{"a.mid", "1234567"}})), u"opened");
}

TEST(ZipMan, NothingIsWrittenOutsideTheTemporaryFolder)
{
    TPackageWorld world;
    const QString outside = world.env.scratch() + u"abs.mid"_qs;
    const QString victim = world.env.writeFile(u"victim.txt"_qs, "keep me");
    QFile::link(victim, world.temp + u"/a.mid"_qs); // a link left where a member goes
    const QString package = world.Write(MakeZip({{"../../evil.mid", "evil"},
                                                 {"/tmp/abs.mid", "abs"},
                                                 {outside.toUtf8(), "abs"},
                                                 {"..\\..\\back.mid", "back"},
                                                 {"sub/..", "dots"},
                                                 {"link.mid", "/etc/passwd", true},
                                                 {"a.mid", "new"}}));
    const auto outsideTemp = [&] {
        QStringList paths = Tree(world.env.scratch());
        paths.removeIf([](const QString &path) { return path.startsWith(u"run/user/tonaria/"); });
        return paths;
    };
    const QStringList before = outsideTemp();

    TZipMan zipMan(world.temp);
    zipMan.SetPackage(package);
    ASSERT_TRUE(zipMan.OpenPackage());
    QStringList unpacked;
    for (int i = 0; i < zipMan.Count(); ++i) {
        zipMan.SetIndex(i);
        if (zipMan.UnpackCurrent()) unpacked += QFileInfo(zipMan.CurrentFile()).fileName();
        EXPECT_EQ(outsideTemp(), before) << i;
    }
    // The climbing names land inside by their name part; ".." and the link are refused.
    EXPECT_EQ(unpacked, QStringList({"evil.mid", "abs.mid", "abs.mid", "back.mid", "a.mid"}));
    EXPECT_EQ(TTestEnvironment::readFile(victim), "keep me");
    zipMan.ClosePackage();
    EXPECT_TRUE(Tree(world.temp).isEmpty()); // the link went with the member that replaced it
}

TEST(ZipMan, FailedUnpackingLeavesNoFile)
{
    TPackageWorld world;
    TZipMan zipMan(world.temp);
    const auto unpack = [&](const QByteArray &zip) {
        zipMan.SetPackage(world.Write(zip));
        return zipMan.OpenPackage() && zipMan.UnpackCurrent();
    };

    QByteArray damaged = MakeZip({{"a.mid", "the data of a"}});
    EXPECT_FALSE(unpack(damaged.replace("data", "dama"))); // the checksum no longer matches
    EXPECT_TRUE(zipMan.CurrentFile().isEmpty() && zipMan.CurrentCaption().isEmpty());

    // A member larger than the disk allows: writes past 64 KiB fail.
    zipMan.SetPackage(world.Write(MakeZip({{"big.mid", QByteArray(1 << 20, 'b')}})));
    ASSERT_TRUE(zipMan.OpenPackage());
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool unpacked = zipMan.UnpackCurrent();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(unpacked);
    EXPECT_TRUE(Tree(world.temp).isEmpty());

    QDir(world.temp).removeRecursively();
    EXPECT_FALSE(unpack(MakeZip({{"a.mid", "a"}})));
    EXPECT_FALSE(QFileInfo::exists(world.temp));
}

// Mutated and cut copies of good archives either open or fail with an error; nothing is
// written outside the temporary folder and nothing is left in it.
TEST(ZipMan, DamagedArchivesNeverCrashOrLitter)
{
    TPackageWorld world;
    const QList<TTestMember> members = {{"a.mid", QByteArray(300, 'a')},
                                        {"dir/b.mid", QByteArray(70, 'b')},
                                        {"c.zip", "PK"},
                                        {"d.kar", "ddd"}};
    const QByteArray goods[] = {MakeZip(members), MakeStreamedZip(members)};
    const QString package = world.Write(goods[0]);
    const QStringList before = Tree(world.env.scratch());
    std::mt19937 random(20261206);
    TZipMan zipMan(world.temp);
    int opened = 0;
    for (int round = 0; round < 2000; ++round) {
        const QByteArray &good = goods[round / 4 % 2];
        QByteArray bytes = good;
        if (round % 4 == 3) {
            bytes.truncate(qsizetype(random() % quint32(good.size())));
        } else {
            // Boundary values hit lengths and offsets hardest.
            static const char values[] = {0, 1, 0x7F, char(0x80), char(0xFF), 'P', 'K'};
            for (int i = 1 + int(random() % 8); i > 0; --i)
                bytes[qsizetype(random() % quint32(bytes.size()))] =
                    round % 2 ? values[random() % sizeof values] : char(random());
        }
        world.Write(bytes);
        try {
            zipMan.SetPackage(package);
            opened += zipMan.OpenPackage();
            for (int i = 0; i < zipMan.Count(); ++i) {
                zipMan.SetIndex(i);
                zipMan.UnpackCurrent();
            }
        } catch (const EZipStreamError &) {
        }
        zipMan.ClosePackage();
        ASSERT_TRUE(Tree(world.temp).isEmpty()) << round;
    }
    EXPECT_GT(opened, 100);
    EXPECT_EQ(Tree(world.env.scratch()), before);
}
