// Real processes racing for the instance: each is handoff_peer, a start that goes through the
// same decision as the program.
#include "core/commandline.h"
#include "core/singleinstance.h"
#include "handoff_support.h"
#include "platform/system/messageservice.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<QProcess> startPeer(const QString &folder, const QString &record,
                                    const QStringList &args)
{
    auto peer = std::make_unique<QProcess>();
    peer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    peer->start(QStringLiteral(HANDOFF_PEER), QStringList{folder, record} + args);
    return peer;
}

// The role line a peer prints first; empty when it printed none in time.
QString roleOf(QProcess &peer)
{
    WaitUntil([&] { return peer.canReadLine() || peer.state() == QProcess::NotRunning; }, 20000);
    return QString::fromUtf8(peer.readLine()).trimmed();
}

void endPeer(QProcess &peer)
{
    peer.closeWriteChannel();
    if (!WaitUntil([&] { return peer.state() == QProcess::NotRunning; }, 20000)) peer.kill();
    peer.waitForFinished(5000);
}

std::vector<THandoffRecord> recordsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? decodeRecords(file.readAll())
                                          : std::vector<THandoffRecord>{};
}

} // namespace

TEST(HandoffProcesses, SimultaneousStartsEndWithExactlyOneFirstInstanceAndLoseNothing)
{
    for (int round = 0; round < 4; ++round) {
        QTemporaryDir dir;
        std::vector<std::unique_ptr<QProcess>> peers;
        for (int i = 0; i < 3; ++i)
            peers.push_back(startPeer(dir.path(), dir.path() + QStringLiteral("/r%1").arg(i),
                                      {QStringLiteral("p%1.mid").arg(i)}));
        QStringList roles, expected{QStringLiteral("12"), QStringLiteral("12")};
        int first = 0;
        for (int i = 0; i < 3; ++i) {
            roles << roleOf(*peers[i]);
            if (roles.back() == QStringLiteral("first"))
                first = i;
            else
                expected << QStringLiteral("p%1.mid").arg(i);
        }
        roles.sort();
        ASSERT_EQ(roles, (QStringList{QStringLiteral("first"), QStringLiteral("handed"),
                                      QStringLiteral("handed")}))
            << "round " << round;
        // The first instance's own file is its command line; the others' files all arrived,
        // each batch with its commit (code 12).
        QStringList got;
        for (const auto &r : recordsOf(dir.path() + QStringLiteral("/r%1").arg(first)))
            got << (r.code == HandoffAddFile ? r.text : QString::number(r.code));
        got.sort();
        expected.sort();
        EXPECT_EQ(got, expected);
        for (auto &peer : peers)
            endPeer(*peer);
    }
}

TEST(HandoffProcesses, TenSecondStartsAtOnceAllArriveInTheirOwnOrder)
{
    QTemporaryDir dir;
    TScriptedMessageService boxes;
    TSingleInstance instance(dir.path(), boxes);
    ASSERT_EQ(instance.start(ParseCommandLine({})), TSingleInstance::First);

    std::vector<std::unique_ptr<QProcess>> peers;
    for (int i = 0; i < 10; ++i) {
        QStringList args{QStringLiteral("/play")};
        for (int k = 0; k < 3; ++k)
            args << QStringLiteral("s%1-%2.mid").arg(i).arg(k);
        peers.push_back(startPeer(dir.path(), QString(), args));
    }
    // They may connect before the station is ready; they wait rather than fail.
    TRecordingTarget target;
    THandoffReceiver receiver(target);
    instance.attach(receiver);

    for (auto &peer : peers) {
        EXPECT_EQ(roleOf(*peer), QStringLiteral("handed"));
        EXPECT_TRUE(WaitUntil([&] { return peer->state() == QProcess::NotRunning; }, 20000));
        EXPECT_EQ(peer->exitCode(), 0);
    }

    int plays = 0, commits = 0;
    std::vector<int> seen(10, 0); // files of each start seen so far
    for (const auto &record : target.records) {
        if (record.code == HandoffPlay) ++plays;
        if (record.code == HandoffCommit) ++commits;
        if (record.code != HandoffAddFile) continue;
        const int start = record.text.section(u'-', 0, 0).mid(1).toInt();
        const int index = record.text.section(u'-', 1, 1).section(u'.', 0, 0).toInt();
        EXPECT_EQ(index, seen[start]) << record.text.toStdString();
        seen[start] = index + 1;
    }
    EXPECT_EQ(plays, 10);
    EXPECT_EQ(commits, 10);
    EXPECT_EQ(seen, std::vector<int>(10, 3));
}

TEST(HandoffProcesses, ACrashedFirstInstanceLeavesNothingInTheWay)
{
    QTemporaryDir dir;
    auto crashed = startPeer(dir.path(), dir.path() + QStringLiteral("/unused"), {});
    ASSERT_EQ(roleOf(*crashed), QStringLiteral("first"));
    crashed->kill();
    ASSERT_TRUE(crashed->waitForFinished(10000));
    const QString socket = dir.path() + QStringLiteral("/instance.socket");
    ASSERT_TRUE(QFileInfo::exists(socket)); // left behind

    TScriptedMessageService boxes;
    TSingleInstance instance(dir.path(), boxes);
    ASSERT_EQ(instance.start(ParseCommandLine({})), TSingleInstance::First);
    EXPECT_TRUE(instance.channelOpen()) << instance.errorString().toStdString();
    TRecordingTarget target;
    THandoffReceiver receiver(target);
    instance.attach(receiver);

    auto second =
        startPeer(dir.path(), QString(), {QStringLiteral("/close"), QStringLiteral("a.mid")});
    EXPECT_EQ(roleOf(*second), QStringLiteral("handed"));
    EXPECT_EQ(target.records,
              (std::vector<THandoffRecord>{{HandoffClose, {}},
                                           {HandoffAddFile, QStringLiteral("a.mid")},
                                           {HandoffCommit, {}}}));
    endPeer(*second);
}
