#include "platform/system/localchannelframe.h"

#include <QtEndian>

namespace {

std::uint32_t readU32(const char *p)
{
    return qFromBigEndian<std::uint32_t>(p);
}

void appendU32(QByteArray &out, std::uint32_t value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

QByteArray EncodeLocalChannelRequest(std::uint32_t code, const QString &text)
{
    const auto textBytes = static_cast<std::uint64_t>(text.size()) * 2;
    if (textBytes > LocalChannelMaxTextBytes) return {};
    QByteArray out;
    out.reserve(LocalChannelHeaderBytes + static_cast<qsizetype>(textBytes));
    appendU32(out, code);
    appendU32(out, static_cast<std::uint32_t>(textBytes));
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        out.append(static_cast<char>(unit >> 8));
        out.append(static_cast<char>(unit & 0xFF));
    }
    return out;
}

QByteArray EncodeLocalChannelReply(std::int32_t value)
{
    QByteArray out;
    appendU32(out, static_cast<std::uint32_t>(value));
    return out;
}

std::int32_t DecodeLocalChannelReply(const QByteArray &data)
{
    return static_cast<std::int32_t>(readU32(data.constData()));
}

TLocalChannelReader::TResult TLocalChannelReader::next(TLocalChannelRequest &request)
{
    if (broken_) return Broken;
    if (buffer_.size() < LocalChannelHeaderBytes) return NeedMore;
    const std::uint32_t code = readU32(buffer_.constData());
    const std::uint32_t textBytes = readU32(buffer_.constData() + 4);
    if (textBytes > LocalChannelMaxTextBytes || textBytes % 2 != 0) {
        broken_ = true;
        buffer_.clear();
        return Broken;
    }
    const qsizetype total = LocalChannelHeaderBytes + static_cast<qsizetype>(textBytes);
    if (buffer_.size() < total) return NeedMore;

    request.code = code;
    request.text.resize(static_cast<qsizetype>(textBytes / 2));
    const auto *p =
        reinterpret_cast<const unsigned char *>(buffer_.constData()) + LocalChannelHeaderBytes;
    for (qsizetype i = 0; i < request.text.size(); ++i)
        request.text[i] = QChar(static_cast<char16_t>((p[2 * i] << 8) | p[2 * i + 1]));
    buffer_.remove(0, total);
    return Request;
}
