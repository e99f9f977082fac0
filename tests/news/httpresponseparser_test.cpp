// The response reader: what it accepts, what it refuses, and that no block boundary and no
// mutation of a response makes it read out of bounds or keep more than its bounds allow.
#include "news/httpclient.h"
#include "news/httpresponseparser.h"
#include "news/localhttp.h"
#include "support/testwait.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

using TStage = THttpResponseParser::TStage;
using TFailure = THttpResponseParser::TFailure;

THttpResponseParser Parse(const QByteArray &bytes, bool finish = true)
{
    THttpResponseParser parser;
    parser.Feed(bytes);
    if (finish) parser.Finish();
    return parser;
}

TEST(HttpResponseParser, StatusLinesAndHeaders)
{
    struct TCase {
        QByteArray response;
        TFailure failure;
        int status;
        QString reason;
        QByteArray body;
    };
    const TCase cases[] = {
        {"HTTP/1.0 200 OK\r\n\r\nnews", TFailure::None, 200, "OK", "news"},
        {"HTTP/1.1 404 Not Found\nX: y\n\nmissing", TFailure::None, 404, "Not Found", "missing"},
        {"HTTP/1.0 200\r\n\r\n", TFailure::None, 200, "", ""},
        {"HTTP/1.0   204   No  Content  \r\n\r\n", TFailure::None, 204, "No  Content", ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabcdef", TFailure::None, 200, "OK", "abc"},
        {"HTTP/1.0 200 OK\r\ncontent-length:0\r\n\r\nabc", TFailure::None, 200, "OK", ""},
        {"HTTP/1.0 200 OK\r\nno colon here\r\n\r\nx", TFailure::None, 200, "OK", "x"},
        {"", TFailure::NoResponse, 0, "", ""},
        {"<html>not http</html>", TFailure::BadStatusLine, 0, "", ""},
        {"HTTP/1.0 20 OK\r\n\r\n", TFailure::BadStatusLine, 0, "", ""},
        {"HTTP/1.0 2000 OK\r\n\r\n", TFailure::BadStatusLine, 0, "", ""},
        {"HTTP/ 200 OK\r\n\r\n", TFailure::BadStatusLine, 0, "", ""},
        {"HTTP/1.0\r\n\r\n", TFailure::BadStatusLine, 0, "", ""},
        {"HTTP/1.0 2x0 OK\r\n\r\n", TFailure::BadStatusLine, 0, "", ""},
        {"HTTP/1.0 200 OK", TFailure::BadHeader, 200, "OK", ""},
        {"HTTP/1.0 200 OK\r\nServer: x\r\n", TFailure::BadHeader, 200, "OK", ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\n", TFailure::BadHeader, 200, "OK", ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n", TFailure::BadHeader,
         200, "OK", ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: 2000000\r\n\r\n", TFailure::TooLarge, 200, "OK", ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nshort", TFailure::Truncated, 200, "OK",
         "short"},
        {"HTTP/1.0 200 OK\r\nX: " + QByteArray(9000, 'a') + "\r\n\r\n", TFailure::BadHeader, 200,
         "OK", ""},
        {"HTTP/1.0 200 OK\r\n" + QByteArray("X: y\r\n").repeated(20000) + "\r\n",
         TFailure::BadHeader, 200, "OK", ""},
        {"HTTP/1.0 200 OK\r\n\r\n" + QByteArray(1024 * 1024 + 1, 'n'), TFailure::TooLarge, 200,
         "OK", ""},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.response.left(60).toStdString());
        const THttpResponseParser parser = Parse(c.response);
        EXPECT_EQ(parser.Failure(), c.failure);
        EXPECT_EQ(parser.StatusCode(), c.status);
        EXPECT_EQ(parser.ReasonPhrase(), c.reason);
        if (c.failure == TFailure::None || c.failure == TFailure::Truncated) {
            EXPECT_EQ(parser.Body(), c.body);
        }
    }
}

TEST(HttpResponseParser, EveryBlockBoundaryGivesTheSameResult)
{
    const QByteArray response =
        "HTTP/1.0 200 OK\r\nServer: test\r\nContent-Length: 11\r\n\r\nDate=1\r\nHi!\r\nextra";
    for (qsizetype a = 0; a <= response.size(); ++a) {
        for (qsizetype b = a; b <= response.size(); ++b) {
            THttpResponseParser parser;
            parser.Feed(QByteArrayView(response).first(a));
            parser.Feed(QByteArrayView(response).sliced(a, b - a));
            parser.Feed(QByteArrayView(response).sliced(b));
            parser.Finish();
            ASSERT_FALSE(parser.Failed()) << a << "," << b;
            EXPECT_EQ(parser.Body(), "Date=1\r\nHi!");
            EXPECT_EQ(parser.LastLine(), QStringLiteral("Content-Length: 11"));
        }
    }
}

// A response taken apart and put together wrongly: bytes flipped, dropped, doubled or cut.
QByteArray Mutate(QByteArray bytes, QRandomGenerator &random)
{
    static const QByteArray pieces[] = {"\r",
                                        "\n",
                                        "\r\n",
                                        "\r\n\r\n",
                                        ":",
                                        " ",
                                        "HTTP/",
                                        "Content-Length: ",
                                        "999999999",
                                        "-",
                                        QByteArray(1, '\0'),
                                        "\xff"};
    const int edits = int(random.bounded(1, 8));
    for (int i = 0; i < edits; ++i) {
        const qsizetype at = bytes.isEmpty() ? 0 : random.bounded(qsizetype(bytes.size()));
        switch (random.bounded(5)) {
        case 0:
            if (!bytes.isEmpty()) bytes[at] = char(random.bounded(256));
            break;
        case 1:
            bytes.remove(at, random.bounded(1, 16));
            break;
        case 2:
            bytes.insert(at, pieces[random.bounded(qsizetype(std::size(pieces)))]);
            break;
        case 3:
            bytes.insert(at, bytes.mid(at, random.bounded(1, 64)));
            break;
        default:
            bytes.truncate(at);
            break;
        }
    }
    return bytes;
}

const QByteArray kSeeds[] = {
    "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 40\r\n\r\n"
    "Date=2026\r\nURL=http://x\r\nFilename=a\r\nhello",
    "HTTP/1.1 404 Not Found\r\nServer: y\r\n\r\n<html>gone</html>",
    "HTTP/1.0 200 OK\n\nFilename=../../etc/x\nMessageStartIndex=-4\n",
    "HTTP/1.0 302 Found\r\nLocation: http://elsewhere/\r\n\r\n",
};

TEST(HttpResponseParser, MutatedResponsesInRandomBlocksStayWithinBounds)
{
    QRandomGenerator random(20261207);
    THttpResponseParser::TLimits limits;
    limits.MaxLine = 128;
    limits.MaxHeader = 512;
    limits.MaxBody = 256;
    for (int round = 0; round < 20000; ++round) {
        const QByteArray response = Mutate(kSeeds[round % std::size(kSeeds)], random);
        THttpResponseParser parser(limits);
        for (qsizetype pos = 0; pos < response.size();) {
            const qsizetype block = random.bounded(qsizetype(1), qsizetype(24));
            parser.Feed(
                QByteArrayView(response).sliced(pos, std::min(block, response.size() - pos)));
            pos += block;
        }
        parser.Finish();
        ASSERT_LE(parser.Body().size(), limits.MaxBody);
        ASSERT_TRUE(parser.Failed() || parser.Complete());
        ASSERT_LT(parser.StatusCode(), 1000);
    }
}

TEST(HttpResponseParser, MutatedResponsesOverARealSocketEndEveryRequest)
{
    QRandomGenerator random(7);
    TLocalHttpServer server;
    THttpClient client;
    client.SetTimeout(2000);
    int done = 0;
    QObject::connect(&client, &THttpClient::requestDone, [&done] { ++done; });
    for (int round = 0; round < 150; ++round) {
        server.SetReply(Mutate(kSeeds[round % std::size(kSeeds)], random));
        ASSERT_TRUE(client.Get(server.Url()));
        ASSERT_TRUE(WaitUntil([&] { return done == round + 1; }, 5000)) << round;
        EXPECT_FALSE(client.Busy());
        if (client.Error() != THttpError::None) {
            EXPECT_TRUE(client.Body().isEmpty());
        }
    }
}

} // namespace
