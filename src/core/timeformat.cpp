#include "core/timeformat.h"

#include "tonaria/mci.h"

namespace {

std::int64_t Byte(std::uint32_t value, int index)
{
    return std::int64_t((value >> (8 * index)) & 0xFFu);
}

QString Padded(std::int64_t value, int width)
{
    QString text = QString::number(value);
    if (text.size() < width) text.prepend(QString(width - text.size(), QLatin1Char('0')));
    return text;
}

} // namespace

TTimeParts DecomposeTime(std::uint32_t value, std::uint32_t timeFormat)
{
    TTimeParts parts;
    switch (timeFormat) {
    case MCI_FORMAT_MILLISECONDS: {
        std::int64_t rest = value;
        parts.Hours = rest / 3600000;
        rest %= 3600000;
        parts.Minutes = rest / 60000;
        rest %= 60000;
        parts.Seconds = rest / 1000;
        parts.Milliseconds = rest % 1000;
        break;
    }
    case MCI_FORMAT_HMS:
        parts.Hours = Byte(value, 0);
        parts.Minutes = Byte(value, 1);
        parts.Seconds = Byte(value, 2);
        break;
    case MCI_FORMAT_MSF: {
        const std::int64_t minutes = Byte(value, 0);
        parts.Hours = minutes / 60;
        parts.Minutes = minutes - parts.Hours * 60;
        parts.Seconds = Byte(value, 1);
        parts.Frames = Byte(value, 2);
        break;
    }
    case MCI_FORMAT_FRAMES:
        parts.Frames = value;
        break;
    case MCI_FORMAT_BYTES:
        parts.Bytes = value;
        break;
    case MCI_FORMAT_SAMPLES:
        parts.Samples = value;
        break;
    case MCI_FORMAT_TMSF:
        parts.Track = Byte(value, 0);
        parts.Minutes = Byte(value, 1);
        parts.Seconds = Byte(value, 2);
        parts.Frames = Byte(value, 3);
        break;
    default:
        break;
    }
    return parts;
}

QString DefaultTimePattern(std::uint32_t timeFormat)
{
    switch (timeFormat) {
    case MCI_FORMAT_MSF:
        return QStringLiteral("m:s:f");
    case MCI_FORMAT_FRAMES:
        return QStringLiteral("F");
    case MCI_FORMAT_BYTES:
        return QStringLiteral("B");
    case MCI_FORMAT_SAMPLES:
        return QStringLiteral("X");
    case MCI_FORMAT_TMSF:
        return QStringLiteral("T:m:s:f");
    default:
        return QStringLiteral("h:m:s");
    }
}

QString FormatTimeParts(const TTimeParts &parts, QStringView pattern)
{
    QString text;
    text.reserve(pattern.size() * 2);
    for (const QChar c : pattern) {
        switch (c.unicode()) {
        case u'B':
        case u'b':
            text += QString::number(parts.Bytes);
            break;
        case u'F':
            text += QString::number(parts.Frames);
            break;
        case u'f':
            text += Padded(parts.Frames, 2);
            break;
        case u'H':
            text += QString::number(parts.Hours);
            break;
        case u'h':
            text += Padded(parts.Hours, 2);
            break;
        case u'M':
            text += Padded(parts.TotalMinutes(), 2);
            break;
        case u'm':
            text += Padded(parts.Minutes, 2);
            break;
        case u'S':
            text += QString::number(parts.TotalSeconds());
            break;
        case u's':
            text += Padded(parts.Seconds, 2);
            break;
        case u'T':
            text += QString::number(parts.Track);
            break;
        case u't':
            text += Padded(parts.Track, 2);
            break;
        case u'U':
            text += QString::number(parts.TotalMilliseconds());
            break;
        case u'u':
            text += Padded(parts.Milliseconds / 10, 2);
            break;
        case u'V':
            text += QString::number(parts.TotalMilliseconds() / 2);
            break;
        case u'v':
            text += Padded(parts.Milliseconds, 3);
            break;
        case u'X':
        case u'x':
            text += QString::number(parts.Samples);
            break;
        default:
            text += c;
            break;
        }
    }
    return text;
}
