#include "platform/system/textdecoding.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace {

// Windows-1252 from 0x80 to 0x9F.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString DecodeText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
        return utf16.decode(bytes.sliced(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return DecodeWindows1252(bytes);
}

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char16_t(b));
    }
    return text;
}

QStringList SplitTextLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') continue;
        lines.append(text.mid(start, i - start).toString());
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.append(text.mid(start).toString());
    return lines;
}

bool ReadWholeFile(const QString &path, qint64 maxSize, QByteArray &bytes, QString &reason)
{
    bytes.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    const QString tooLarge =
        QStringLiteral("The file is larger than %1 MiB.").arg(maxSize / (1024 * 1024));
    if (file.size() > maxSize) {
        reason = tooLarge;
        return false;
    }
    // Read in pieces up to one byte past the limit: that catches a file that grows, or a
    // device that never ends, without setting aside the largest size for every small file.
    constexpr qint64 kPiece = 1024 * 1024;
    for (;;) {
        const QByteArray piece = file.read(std::min<qint64>(kPiece, maxSize + 1 - bytes.size()));
        if (piece.isEmpty()) break;
        bytes += piece;
        if (bytes.size() > maxSize) {
            bytes.clear();
            reason = tooLarge;
            return false;
        }
    }
    if (file.error() != QFileDevice::NoError) {
        bytes.clear();
        reason = file.errorString();
        return false;
    }
    return true;
}

bool ReadTextFile(const QString &path, qint64 maxSize, QString &text, QString &reason)
{
    text.clear();
    QByteArray bytes;
    if (!ReadWholeFile(path, maxSize, bytes, reason)) return false;
    text = DecodeText(bytes);
    return true;
}
