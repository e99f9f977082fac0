#pragma once
// Reading an HTTP/1.0 response as its bytes arrive, in blocks of any size: the status line,
// the header lines and the body, with bounds on each so that a broken or hostile server can
// neither make the reader run past its buffers nor make it keep an endless document.
//
//     THttpResponseParser parser;
//     parser.Feed(block);          // as often as data comes; see Failed() after each
//     parser.Finish();             // when the server has closed the connection
//
// A line ends at LF; a CR before the LF is dropped. The status line must read
// "HTTP/<version> <three digits>[ <reason>]"; header lines without a colon are kept as the last
// line received but carry no field. "Content-Length", when it is a plain decimal number, ends
// the body early and lets Finish() tell a truncated body.
//
// Threads: any; one object belongs to one thread.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

class THttpResponseParser {
public:
    enum class TStage { StatusLine, Header, Body, Done, Failed };
    enum class TFailure { None, NoResponse, BadStatusLine, BadHeader, TooLarge, Truncated };

    struct TLimits {
        qsizetype MaxLine = 8 * 1024;    // one status or header line
        qsizetype MaxHeader = 64 * 1024; // the whole header
        qsizetype MaxBody = 1024 * 1024; // the document
    };

    // What one block brought.
    struct TFeedResult {
        bool HeaderEnded = false; // the empty line that ends the header was in this block
        qsizetype BodyBytes = 0;  // body bytes taken from this block
    };

    THttpResponseParser() = default;
    explicit THttpResponseParser(TLimits limits) : limits_(limits) {}

    // Takes the next block. Nothing is taken once the parser has failed or is done.
    TFeedResult Feed(QByteArrayView data);
    // The connection has ended: a response without a complete header, or a body shorter than
    // its Content-Length, fails here.
    void Finish();

    TStage Stage() const { return stage_; }
    bool Failed() const { return stage_ == TStage::Failed; }
    TFailure Failure() const { return failure_; }
    // The body has all of its Content-Length: the rest of the connection does not matter.
    bool Complete() const { return stage_ == TStage::Done; }
    bool HeaderReceived() const { return headerReceived_; }

    // 0 until the status line has been read.
    int StatusCode() const { return statusCode_; }
    // The text after the status code, without the blank before it.
    QString ReasonPhrase() const { return reason_; }
    // The last status or header line received, without its line end.
    QString LastLine() const { return lastLine_; }
    std::optional<qint64> ContentLength() const { return contentLength_; }
    const QByteArray &Body() const { return body_; }
    const TLimits &Limits() const { return limits_; }

private:
    void TakeLine(QByteArrayView line);
    void TakeStatusLine(QByteArrayView line);
    void TakeHeaderLine(QByteArrayView line);
    qsizetype TakeBody(QByteArrayView data);
    void Fail(TFailure failure);

    TLimits limits_;
    TStage stage_ = TStage::StatusLine;
    TFailure failure_ = TFailure::None;
    QByteArray line_;
    qsizetype headerSize_ = 0;
    bool anyData_ = false;
    bool headerReceived_ = false;
    int statusCode_ = 0;
    QString reason_;
    QString lastLine_;
    std::optional<qint64> contentLength_;
    QByteArray body_;
};
