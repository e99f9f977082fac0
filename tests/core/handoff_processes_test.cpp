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
    spinUntil([&] { return peer.canReadLine() || peer.state() == QProcess::NotRunning; });
    return QString::fromUtf8(peer.readLine()).trimmed();
}

void endPeer(QProcess &peer)
{
    peer.closeWriteChannel();
    if (!spinUntil([&] { return peer.state() == QProcess::NotRunning; })) peer.kill();
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
            peers.push_back(startPeer(dir.path(), dir.path() + QStringLiteral("/record%1").arg(i),
                                      {QStringLiteral("p%1.mid").arg(i)}));
        int firstIndex = -1, handed = 0;
        for (int i = 0; i < 3; ++i) {
            const QString role = roleOf(*peers[i]);
            if (role == QStringLiteral("first")) {
                EXPECT_EQ(firstIndex, -1) << "two first instances in round " << round;
                firstIndex = i;
            } else {
                EXPECT_EQ(role, QStringLiteral("handed")) << "round " << round;
                ++handed;
            }
        }
        ASSERT_NE(firstIndex, -1) << "no first instance in round " << round;
        EXPECT_EQ(handed, 2);
        for (int i = 0; i < 3; ++i) {
            if (i == firstIndex) continue;
            EXPECT_TRUE(spinUntil([&] { return peers[i]->state() == QProcess::NotRunning; }));
        }

        // The first instance's own file is its command line, not a hand-off; the others'
        // files all arrived, each batch ending in a commit.
        const auto records = recordsOf(dir.path() + QStringLiteral("/record%1").arg(firstIndex));
        int commits = 0;
        QStringList files;
        for (const auto &record : records) {
            if (record.code == HandoffCommit) ++commits;
            if (record.code == HandoffAddFile) files << record.text;
        }
        files.sort();
        QStringList expected;
        for (int i = 0; i < 3; ++i)
            if (i != firstIndex) expected << QStringLiteral("p%1.mid").arg(i);
        EXPECT_EQ(files, expected);
        EXPECT_EQ(commits, 2);
        endPeer(*peers[firstIndex]);
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
        EXPECT_TRUE(spinUntil([&] { return peer->state() == QProcess::NotRunning; }));
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
