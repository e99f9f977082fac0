#include "packages/zippackage.h"
#include "packages/ziplimits.h"
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
    QString OpenError(TZipPackage &pack, const QByteArray &zip) const
    {
        try {
            pack.OpenTitle(Write(zip));
        } catch (const EZipStreamError &error) {
            return error.Message();
        }
        return u"opened"_qs;
    }
};

} // namespace

TEST(ZipPackage, PlaysMembersInOrderAndLeavesNothingBehind)
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
        TZipPackage pack(world.temp);
        pack.SetPackage(package);
        ASSERT_TRUE(pack.OpenPackage());
        EXPECT_EQ(pack.Entries(), QStringList({"a.mid", "c.kar", "Songs\\Old/MY_SONG.MID"}));
        EXPECT_EQ(pack.CurrentIndex(), 0);
        ASSERT_TRUE(pack.UnpackCurrent());
        const QString a = pack.CurrentFile();
        EXPECT_EQ(a, world.temp + u"/a.mid"_qs);
        EXPECT_EQ(TTestEnvironment::readFile(a), "data of a");

        pack.SetIndex(1);
        ASSERT_TRUE(pack.UnpackCurrent());
        EXPECT_FALSE(QFileInfo::exists(a)); // gone before the next member comes
        EXPECT_EQ(TTestEnvironment::readFile(pack.CurrentFile()), "data of c");

        pack.SetIndex(2);
        ASSERT_TRUE(pack.UnpackCurrent());
        EXPECT_EQ(pack.CurrentFile(), world.temp + u"/MY_SONG.MID"_qs);
        EXPECT_EQ(pack.CurrentCaption(), u"My Song"_qs);
        EXPECT_EQ(pack.CurrentSubCaption(), u"Songs\\Old/MY_SONG.MID"_qs);

        pack.ClosePackage();
        EXPECT_EQ(pack.CurrentIndex(), -1);
        EXPECT_TRUE(pack.Entries().isEmpty() && pack.CurrentFile().isEmpty());
        EXPECT_EQ(Tree(world.temp), before);

        pack.OpenTitle(package); // left open: the manager's end cleans up
    }
    EXPECT_EQ(Tree(world.temp), before);
}

TEST(ZipPackage, PackagesWithNothingToPlayFailToOpen)
{
    TPackageWorld world;
    TZipPackage pack(world.temp);
    EXPECT_EQ(world.OpenError(pack, MakeZip({{"x.zip", "PK"}, {"y.Zip", "PK"}, {" \t", "-"}})),
              u"Error");
    EXPECT_EQ(pack.CurrentIndex(), -1);
    EXPECT_EQ(world.OpenError(pack, MakeZip({})), u"Error");
    EXPECT_EQ(world.OpenError(pack, "not an archive"), u"Error 1 reading Zip File");
    EXPECT_EQ(world.OpenError(pack, MakeStreamedZip({{"a.mid", "1234567"}})), u"opened");
}

TEST(ZipPackage, NothingIsWrittenOutsideTheTemporaryFolder)
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

    TZipPackage pack(world.temp);
    pack.SetPackage(package);
    ASSERT_TRUE(pack.OpenPackage());
    QStringList unpacked;
    for (int i = 0; i < pack.Count(); ++i) {
        pack.SetIndex(i);
        if (pack.UnpackCurrent()) unpacked += QFileInfo(pack.CurrentFile()).fileName();
        EXPECT_EQ(outsideTemp(), before) << i;
    }
    // The climbing names land inside by their name part; ".." and the link are refused.
    EXPECT_EQ(unpacked, QStringList({"evil.mid", "abs.mid", "abs.mid", "back.mid", "a.mid"}));
    EXPECT_EQ(TTestEnvironment::readFile(victim), "keep me");
    pack.ClosePackage();
    EXPECT_TRUE(Tree(world.temp).isEmpty()); // the link went with the member that replaced it
}

TEST(ZipPackage, FailedUnpackingLeavesNoFile)
{
    TPackageWorld world;
    TZipPackage pack(world.temp);
    const auto unpack = [&](const QByteArray &zip) {
        pack.SetPackage(world.Write(zip));
        return pack.OpenPackage() && pack.UnpackCurrent();
    };

    QByteArray damaged = MakeZip({{"a.mid", "the data of a"}});
    EXPECT_FALSE(unpack(damaged.replace("data", "dama"))); // the checksum no longer matches
    EXPECT_TRUE(pack.CurrentFile().isEmpty() && pack.CurrentCaption().isEmpty());

    // A member larger than the disk allows: writes past 64 KiB fail.
    pack.SetPackage(world.Write(MakeZip({{"big.mid", QByteArray(1 << 20, 'b')}})));
    ASSERT_TRUE(pack.OpenPackage());
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool unpacked = pack.UnpackCurrent();
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
TEST(ZipPackage, DamagedArchivesNeverCrashOrLitter)
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
    TZipPackage pack(world.temp);
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
            pack.SetPackage(package);
            opened += pack.OpenPackage();
            for (int i = 0; i < pack.Count(); ++i) {
                pack.SetIndex(i);
                pack.UnpackCurrent();
            }
        } catch (const EZipStreamError &) {
        }
        pack.ClosePackage();
        ASSERT_TRUE(Tree(world.temp).isEmpty()) << round;
    }
    EXPECT_GT(opened, 100);
    EXPECT_EQ(Tree(world.env.scratch()), before);
}

// Each limit refuses the member or the package that breaks it, and only that one.
TEST(ZipPackage, LimitsRefuseWhatWouldFillTheDisk)
{
    TPackageWorld world;
    const TZipLimits limits{.MaxMemberSize = 4 << 20,
                            .MaxPackageSize = 6 << 20,
                            .MaxRatio = 100,
                            .RatioFreeSize = 1 << 20};
    const QByteArray threeMiB(3 << 20, 'x');
    struct TCase {
        const char *what;
        QByteArray zip;
        const char *result; // "unpacked", or the error
    };
    const TCase cases[] = {
        {"within every limit", MakeZip({{"a.wav", threeMiB}, {"b.mid", "b"}}), "unpacked"},
        {"a small member packed tightly", MakeZeroBomb("a.mid", 512 << 10), "unpacked"},
        {"a member too large", MakeZip({{"a.wav", QByteArray(5 << 20, 'x')}}), "member too large"},
        {"members too large together", MakeZip({{"a.wav", threeMiB}, {"b.wav", threeMiB + "y"}}),
         "Zip file too large to unpack"},
        {"a nested package does not count", MakeZip({{"a.wav", threeMiB}, {"b.zip", threeMiB}}),
         "unpacked"},
        {"a bomb", MakeZeroBomb("a.wav", 3 << 20), "member packed too tightly"},
        {"a bomb that understates its size", MakeZeroBomb("a.wav", 3 << 20, 100 << 10),
         "member larger than declared"},
    };
    TZipPackage pack(world.temp, limits);
    for (const TCase &c : cases) {
        QString result;
        try {
            pack.SetPackage(world.Write(c.zip));
            pack.OpenPackage();
            result = pack.UnpackCurrent() ? u"unpacked"_qs : pack.LastError();
        } catch (const EZipStreamError &error) {
            result = error.Message();
        }
        EXPECT_EQ(result, QString::fromUtf8(c.result)) << c.what;
        pack.ClosePackage();
        EXPECT_TRUE(Tree(world.temp).isEmpty()) << c.what;
    }
}
