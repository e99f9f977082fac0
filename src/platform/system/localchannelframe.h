#pragma once
// The bytes of the local channel between a second start and the first instance. A request is
// a code with an optional text (one file name); every request is answered with one number
// before the next is sent.
//
//   request: code (u32, big-endian) | text length in bytes (u32, big-endian) | text (UTF-16BE)
//   reply:   value (i32, big-endian)
//
// The text travels as UTF-16 so that a file name arrives exactly as it left, whatever
// characters it holds. A text longer than LocalChannelMaxTextBytes is refused by both sides.
//
// Threads: any; these are plain functions and values.

#include <QByteArray>
#include <QString>
#include <cstdint>

inline constexpr std::uint32_t LocalChannelMaxTextBytes = 1u << 20;
inline constexpr int LocalChannelHeaderBytes = 8;
inline constexpr int LocalChannelReplyBytes = 4;

struct TLocalChannelRequest {
    std::uint32_t code = 0;
    QString text;
};

// The bytes of one request; empty when the text is too long to be sent.
QByteArray EncodeLocalChannelRequest(std::uint32_t code, const QString &text);
QByteArray EncodeLocalChannelReply(std::int32_t value);
// Reads a reply from the first LocalChannelReplyBytes bytes of data (which must hold them).
std::int32_t DecodeLocalChannelReply(const QByteArray &data);

// Takes the bytes of requests as they arrive, in pieces of any size, and hands out whole
// requests. Input that cannot be a request (a text of odd or excessive length) makes the
// reader fail for good; the connection is then dropped.
class TLocalChannelReader {
public:
    enum TResult { NeedMore, Request, Broken };

    void append(const QByteArray &bytes) { buffer_.append(bytes); }
    // Takes the next whole request out of the buffer.
    TResult next(TLocalChannelRequest &request);
    bool broken() const { return broken_; }

private:
    QByteArray buffer_;
    bool broken_ = false;
};
