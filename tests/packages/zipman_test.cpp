// The package manager as the transport uses it: answers that come later on the owner's thread
// and only for the newest request, stopping work under way, and archives refused without
// being read through.
#include "packages/zipman.h"
#include "support/testenv.h"
#include "support/testwait.h"
#include "testarchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

#include <unistd.h>

namespace {

struct TManWorld {
    TTestEnvironment env;
    QString temp = env.scratch() + QStringLiteral("tonaria");
    TManWorld() { QDir().mkpath(temp); }
    QStringList Files() const
    {
        return QDir(temp).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
};

// Records each answer as "tag:file" or "tag:failed", checking it comes on the main thread.
struct TAnswers {
    TZipMan &man;
    QStringList list;
    TZipMan::TDone operator()(const QString &tag)
    {
        return [this, tag](bool unpacked) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            list << tag + QLatin1Char(':') +
                        (unpacked ? QFileInfo(man.CurrentFile()).fileName() : u"failed"_qs);
        };
    }
    bool Settle() { return WaitUntil([&] { return !man.Busy(); }, 20000); }
};

} // namespace

TEST(ZipMan, AnswersLaterAndOnlyTheNewestRequest)
{
    TManWorld world;
    const QString package = world.env.writeFile(
        u"pack.zip"_qs, MakeZip({{"a.mid", "data of a"}, {"b.zip", "PK"}, {"C_SONG.KAR", "c"}}));
    TZipMan man(world.temp);
    TAnswers answers{man, {}};
    QObject context;

    man.Prepare(package, 0, &context, answers(u"first"_qs));
    EXPECT_TRUE(man.Busy());
    EXPECT_EQ(man.CurrentIndex(), 0);
    EXPECT_TRUE(man.CurrentFile().isEmpty()); // nothing is answered before the event loop runs
    man.Prepare(package, 1, &context, answers(u"second"_qs));
    ASSERT_TRUE(answers.Settle());
    RunEvents(50);
    EXPECT_EQ(answers.list, QStringList({u"second:C_SONG.KAR"_qs}));
    EXPECT_EQ(man.Entries(), QStringList({u"a.mid"_qs, u"C_SONG.KAR"_qs}));
    EXPECT_EQ(man.CurrentCaption(), u"C Song"_qs);
    EXPECT_EQ(world.Files(), QStringList({u"C_SONG.KAR"_qs}));

    // A caller gone meanwhile is not called; the member still changes.
    {
        QObject gone;
        man.Prepare(package, 0, &gone, answers(u"gone"_qs));
    }
    ASSERT_TRUE(answers.Settle());
    EXPECT_EQ(answers.list.size(), 1);
    EXPECT_EQ(world.Files(), QStringList({u"a.mid"_qs}));

    // A member that is not there fails and leaves no file; the package stays listed.
    man.Prepare(package, 7, &context, answers(u"missing"_qs));
    ASSERT_TRUE(answers.Settle());
    EXPECT_EQ(answers.list.last(), u"missing:failed"_qs);
    EXPECT_TRUE(man.CurrentFile().isEmpty() && !man.FailureReason().isEmpty());
    EXPECT_EQ(man.Count(), 2);
    EXPECT_TRUE(world.Files().isEmpty());

    man.Prepare(package, 1, &context, answers(u"again"_qs));
    ASSERT_TRUE(answers.Settle());
    man.ClosePackage();
    EXPECT_EQ(man.CurrentIndex(), -1);
    EXPECT_TRUE(WaitUntil([&] { return world.Files().isEmpty(); }));
}

// Bombs and files that only pretend to be archives fail at once with default limits, leaving
// nothing behind. Each would take many seconds and gigabytes if it were read or unpacked.
TEST(ZipMan, RefusesBombsAndHugeNonArchivesWithoutReadingThemThrough)
{
    TManWorld world;
    const QString nonZip = world.env.writeFile(u"big.zip"_qs, "not an archive");
    {
        QFile file(nonZip);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.resize(qint64(4) << 30)); // sparse
    }
    const QString bomb =
        world.env.writeFile(u"bomb.zip"_qs, MakeZeroBomb("zeros.wav", quint32(1) << 31));
    const QString liar = world.env.writeFile(u"liar.zip"_qs,
                                             MakeZeroBomb("zeros.wav", quint32(1) << 31, 4000));
    const QString big = world.env.scratch() + u"stored.zip"_qs;
    ASSERT_TRUE(WriteSparseZip(big, "big.wav", quint32(3) << 30));

    TZipMan man(world.temp);
    TAnswers answers{man, {}};
    for (const QString &package : {nonZip, bomb, liar, big}) {
        man.Prepare(package, 0, nullptr, answers(QFileInfo(package).fileName()));
        ASSERT_TRUE(answers.Settle());
        EXPECT_FALSE(man.FailureReason().isEmpty());
        EXPECT_TRUE(world.Files().isEmpty()) << package.toStdString();
    }
    EXPECT_EQ(answers.list, QStringList({u"big.zip:failed"_qs, u"bomb.zip:failed"_qs,
                                         u"liar.zip:failed"_qs, u"stored.zip:failed"_qs}));
}

// Cancelling, or closing the program, while a large member unpacks stops the work and deletes
// the part written; no answer comes.
TEST(ZipMan, StoppingAnUnpackLeavesNothing)
{
    TManWorld world;
    const QString package = world.env.scratch() + u"long.zip"_qs;
    ASSERT_TRUE(WriteSparseZip(package, "long.wav", quint32(256) << 20));
    // The member is written to a file without a name until it is whole; the process holds
    // it open in the temporary folder meanwhile.
    const auto writing = [&] {
        const QDir fds(QStringLiteral("/proc/self/fd"));
        for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System)) {
            char target[4096];
            const ssize_t length =
                readlink(QFile::encodeName(fds.filePath(fd)).constData(), target, sizeof target);
            if (length > 0 && QFile::decodeName(QByteArray(target, length))
                                  .startsWith(world.temp + u'/'))
                return true;
        }
        return false;
    };
    const auto unpacking = [&] {
        return WaitUntil([&] { return writing() || !world.Files().isEmpty(); }, 20000);
    };

    auto man = std::make_unique<TZipMan>(world.temp);
    TAnswers answers{*man, {}};
    man->Prepare(package, 0, nullptr, answers(u"cancelled"_qs));
    ASSERT_TRUE(unpacking());
    man->Cancel();
    EXPECT_FALSE(man->Busy());
    EXPECT_TRUE(WaitUntil([&] { return !writing() && world.Files().isEmpty(); }, 20000))
        << world.Files().join(u' ').toStdString();

    man->Prepare(package, 0, nullptr, answers(u"closed"_qs));
    ASSERT_TRUE(unpacking());
    man.reset();
    EXPECT_FALSE(writing());
    EXPECT_TRUE(world.Files().isEmpty());
    RunEvents(50);
    EXPECT_TRUE(answers.list.isEmpty());
}
