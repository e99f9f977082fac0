#include "handoff_support.h"
#include "platform/system/localchannelclient.h"
#include "platform/system/localchannelserver.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(HandoffChannel, ServerIsUserOnlyAndDropsAGarbageClientWhileOthersAreServed)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/s");
    TLocalChannelServer server(path);
    ASSERT_TRUE(server.listen()) << server.errorString().toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);

    std::vector<THandoffRecord> seen;
    server.setHandler([&](std::uint32_t code, const QString &text) {
        seen.push_back({code, text});
        return static_cast<std::int32_t>(code) + 1;
    });
    // A text of 0xFFFFFFFF bytes cannot be a request: nothing is allocated or read for it.
    QLocalSocket garbage;
    garbage.connectToServer(path);
    ASSERT_TRUE(garbage.waitForConnected(5000));
    garbage.write(QByteArray("\0\0\0\x0b\xff\xff\xff\xff", 8));
    garbage.flush();

    std::optional<std::int32_t> first, second;
    auto sender = startAside([&] {
        TLocalChannelClient client;
        if (client.connectTo(path, 5000) == TLocalChannelClient::Connected) {
            first = client.send(7, QStringLiteral("x"), 5000);
            second = client.send(8, {}, 5000);
        }
    });
    ASSERT_TRUE(finishAside(*sender));
    EXPECT_EQ(first, 8);
    EXPECT_EQ(second, 9);
    EXPECT_EQ(seen, (std::vector<THandoffRecord>{{7, QStringLiteral("x")}, {8, {}}}));
    EXPECT_TRUE(
        WaitUntil([&] { return garbage.state() == QLocalSocket::UnconnectedState; }, 20000));
}
