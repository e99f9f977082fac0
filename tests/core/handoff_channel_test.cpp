#include "handoff_support.h"
#include "platform/system/localchannelclient.h"
#include "platform/system/localchannelframe.h"
#include "platform/system/localchannelserver.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QThread>
#include <memory>
#include <sys/stat.h>

TEST(HandoffChannel, RequestsSurviveAnySplittingAndAnyCharacters)
{
    // Lone surrogates and control characters are not valid text anywhere else, but a file
    // name must come out exactly as it went in.
    const QString odd = QStringLiteral("a\nb\"c'\u00e9\u4e2d") + QChar(0xD800) + QChar(0) +
                        QStringLiteral("\U0001F3B5");
    QByteArray stream = EncodeLocalChannelRequest(HandoffAddFile, odd);
    stream += EncodeLocalChannelRequest(HandoffCommit, {});
    TLocalChannelReader reader;
    std::vector<THandoffRecord> got;
    TLocalChannelRequest request;
    for (const char byte : stream) {
        reader.append(QByteArray(1, byte));
        while (reader.next(request) == TLocalChannelReader::Request)
            got.push_back({request.code, request.text});
    }
    EXPECT_EQ(got, (std::vector<THandoffRecord>{{HandoffAddFile, odd}, {HandoffCommit, {}}}));
    EXPECT_EQ(DecodeLocalChannelReply(EncodeLocalChannelReply(-2)), -2);
}

TEST(HandoffChannel, ImpossibleLengthsBreakTheReaderWithoutReadingFurther)
{
    for (const std::uint32_t length : {3u, LocalChannelMaxTextBytes + 2, 0xFFFFFFFFu}) {
        TLocalChannelReader reader;
        QByteArray bytes(8, '\0');
        bytes[4] = static_cast<char>(length >> 24);
        bytes[5] = static_cast<char>(length >> 16);
        bytes[6] = static_cast<char>(length >> 8);
        bytes[7] = static_cast<char>(length);
        reader.append(bytes);
        TLocalChannelRequest request;
        EXPECT_EQ(reader.next(request), TLocalChannelReader::Broken) << length;
        reader.append(EncodeLocalChannelRequest(HandoffCommit, {}));
        EXPECT_EQ(reader.next(request), TLocalChannelReader::Broken);
    }
    EXPECT_TRUE(
        EncodeLocalChannelRequest(HandoffAddFile, QString(LocalChannelMaxTextBytes / 2 + 1, u'x'))
            .isEmpty());
}

TEST(HandoffChannel, ServerIsUserOnlyAndAGarbageClientLeavesOthersServed)
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
    EXPECT_TRUE(spinUntil([&] { return garbage.state() == QLocalSocket::UnconnectedState; }));
}
