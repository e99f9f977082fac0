#include "platform/midi/midifile.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// No song lasts a day; a length past this comes from a broken delta time.
constexpr std::int64_t MaxLengthUs = std::int64_t(24) * 3600 * 1000000;

std::uint32_t be32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::uint32_t le32(const std::uint8_t *p)
{
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

bool hasId(std::span<const std::uint8_t> bytes, std::size_t at, const char *id)
{
    return at + 4 <= bytes.size() && std::memcmp(bytes.data() + at, id, 4) == 0;
}

// A chunk identifier is four printable characters; anything else is trailing garbage.
bool isChunkId(std::span<const std::uint8_t> bytes, std::size_t at)
{
    if (at + 4 > bytes.size()) return false;
    for (std::size_t i = 0; i < 4; ++i)
        if (bytes[at + i] < 0x20 || bytes[at + i] > 0x7E) return false;
    return true;
}

// Reads bytes of one track with every access checked.
class TTrackReader {
public:
    explicit TTrackReader(std::span<const std::uint8_t> body) : body_(body) {}
    bool atEnd() const { return pos_ >= body_.size(); }
    std::size_t pos() const { return pos_; }
    std::size_t left() const { return body_.size() - pos_; }
    bool peek(std::uint8_t &b) const
    {
        if (atEnd()) return false;
        b = body_[pos_];
        return true;
    }
    bool byte(std::uint8_t &b)
    {
        if (!peek(b)) return false;
        ++pos_;
        return true;
    }
    // A variable-length quantity of at most four bytes.
    bool vlq(std::uint32_t &value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b;
            if (!byte(b)) return false;
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    void skip(std::size_t n) { pos_ += std::min(n, left()); }

private:
    std::span<const std::uint8_t> body_;
    std::size_t pos_ = 0;
};

int dataBytes(std::uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 1;
    default:
        return 2;
    }
}

} // namespace

bool TMidiFile::parse(const QByteArray &bytes)
{
    return parse(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                               std::size_t(bytes.size())));
}

bool TMidiFile::load(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(Error::CannotRead,
                    QStringLiteral("Cannot open the file \"%1\": %2").arg(path, f.errorString()));
    if (f.size() > MaxFileSize)
        return fail(Error::TooLarge,
                    QStringLiteral("The file \"%1\" is too large for a MIDI file.").arg(path));
    const QByteArray bytes = f.read(MaxFileSize + 1);
    if (f.error() != QFileDevice::NoError)
        return fail(Error::CannotRead,
                    QStringLiteral("Cannot read the file \"%1\": %2").arg(path, f.errorString()));
    return parse(bytes);
}

bool TMidiFile::parse(std::span<const std::uint8_t> bytes)
{
    clear();
    if (bytes.size() > std::size_t(MaxFileSize))
        return fail(Error::TooLarge, QStringLiteral("The file is too large for a MIDI file."));

    // RIFF RMID: the Standard MIDI File is the "data" chunk.
    if (hasId(bytes, 0, "RIFF") && hasId(bytes, 8, "RMID")) {
        std::size_t end = std::min<std::size_t>(bytes.size(), std::size_t(le32(&bytes[4])) + 8);
        if (end < 12) end = bytes.size();
        std::size_t at = 12;
        while (at + 8 <= end) {
            const std::size_t size = le32(&bytes[at + 4]);
            const std::size_t body = at + 8;
            if (hasId(bytes, at, "data")) {
                const std::size_t available = std::min(size, bytes.size() - body);
                if (available < size) repaired_ = true;
                return parseSmf(bytes.subspan(body, available));
            }
            if (size > end - body) break;
            at = body + size + (size & 1);
        }
        return fail(Error::NotMidi,
                    QStringLiteral("The RIFF file holds no MIDI data (no \"data\" chunk)."));
    }
    return parseSmf(bytes);
}

bool TMidiFile::parseSmf(std::span<const std::uint8_t> bytes)
{
    // A few files carry a short prefix (a MacBinary header, for one) before "MThd".
    std::size_t at = 0;
    const std::size_t searchLimit = std::min<std::size_t>(bytes.size(), 512);
    while (at < searchLimit && !hasId(bytes, at, "MThd"))
        ++at;
    if (!hasId(bytes, at, "MThd"))
        return fail(Error::NotMidi,
                    QStringLiteral("This is not a MIDI file (no \"MThd\" header)."));
    if (at > 0) repaired_ = true;
    if (bytes.size() - at < 14)
        return fail(Error::Truncated, QStringLiteral("The MIDI file's header is cut short."));

    const std::uint32_t headerLength = be32(&bytes[at + 4]);
    if (headerLength < 6)
        return fail(Error::NotMidi, QStringLiteral("The MIDI file's header is too short."));
    const int format = bytes[at + 8] << 8 | bytes[at + 9];
    const std::uint16_t division = std::uint16_t(bytes[at + 12] << 8 | bytes[at + 13]);
    if (format > 2)
        return fail(Error::Unsupported,
                    QStringLiteral("MIDI file format %1 is not supported.").arg(format));
    if (division & 0x8000) {
        const int fps = -int(std::int8_t(division >> 8));
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || (division & 0xFF) == 0)
            return fail(Error::Unsupported,
                        QStringLiteral("The MIDI file's SMPTE time division is not valid."));
    } else if (division == 0) {
        return fail(Error::Unsupported, QStringLiteral("The MIDI file's time division is zero."));
    }
    format_ = format;
    division_ = division;

    at += 8 + std::min<std::size_t>(headerLength, bytes.size() - at - 8);
    std::uint32_t tickBase = 0;
    int tracks = 0;
    while (at + 8 <= bytes.size()) {
        if (!isChunkId(bytes, at)) {
            repaired_ = true; // trailing garbage
            break;
        }
        const std::size_t declared = be32(&bytes[at + 4]);
        const std::size_t body = at + 8;
        std::size_t size = declared;
        if (size > bytes.size() - body) {
            size = bytes.size() - body;
            repaired_ = true;
        }
        if (hasId(bytes, at, "MTrk")) {
            if (tracks >= MaxTracks)
                return fail(Error::TooLarge, QStringLiteral("The MIDI file has too many tracks."));
            std::uint32_t lastTick = 0;
            if (!readTrack(bytes.subspan(body, size), std::uint16_t(tracks),
                           format == 2 ? tickBase : 0, lastTick))
                return false;
            if (format == 2) tickBase = lastTick;
            ++tracks;
        }
        at = body + size;
    }
    if (at < bytes.size()) repaired_ = true;
    if (tracks == 0)
        return fail(Error::Truncated, QStringLiteral("The MIDI file holds no tracks."));
    trackCount_ = tracks;

    buildTimes();
    if (lengthUs_ > MaxLengthUs)
        return fail(Error::TooLarge,
                    QStringLiteral("The MIDI file's times are out of range (it would last "
                                   "longer than a day)."));
    valid_ = true;
    return true;
}

bool TMidiFile::readTrack(std::span<const std::uint8_t> body, std::uint16_t track,
                          std::uint32_t tickBase, std::uint32_t &lastTick)
{
    TTrackReader in(body);
    std::uint64_t tick = tickBase;
    std::uint8_t running = 0;
    bool ended = false;
    auto tooMany = [this] {
        return fail(Error::TooLarge, QStringLiteral("The MIDI file has too many events."));
    };

    while (!in.atEnd()) {
        std::uint32_t delta;
        if (!in.vlq(delta)) break;
        tick += delta;
        if (tick > std::numeric_limits<std::uint32_t>::max()) break;

        std::uint8_t b;
        if (!in.peek(b)) break;
        std::uint8_t status;
        if (b & 0x80) {
            status = b;
            in.skip(1);
        } else if (running) {
            status = running; // running status: b is the first data byte
        } else {
            break; // a data byte with no status to run on
        }

        TMidiEvent event;
        event.tick = std::uint32_t(tick);
        event.track = track;
        event.status = status;

        if (status < 0xF0) {
            running = status;
            std::uint8_t d1, d2 = 0;
            if (!in.byte(d1) || (d1 & 0x80)) break;
            if (dataBytes(status) == 2 && (!in.byte(d2) || (d2 & 0x80))) break;
            event.data1 = d1;
            event.data2 = d2;
        } else if (status == 0xF0 || status == 0xF7) {
            std::uint32_t length;
            if (!in.vlq(length)) break;
            if (length > in.left()) {
                length = std::uint32_t(in.left());
                repaired_ = true;
            }
            event.dataOffset = std::uint32_t(pool_.size());
            event.dataLength = length;
            pool_.insert(pool_.end(), body.begin() + std::ptrdiff_t(in.pos()),
                         body.begin() + std::ptrdiff_t(in.pos() + length));
            in.skip(length);
        } else if (status == 0xFF) {
            std::uint8_t type;
            std::uint32_t length;
            if (!in.byte(type) || !in.vlq(length)) break;
            if (length > in.left()) {
                length = std::uint32_t(in.left());
                repaired_ = true;
            }
            const std::uint8_t *data = body.data() + in.pos();
            event.data1 = type;
            event.dataOffset = std::uint32_t(pool_.size());
            event.dataLength = length;
            pool_.insert(pool_.end(), data, data + length);
            in.skip(length);
            if (type == 0x51 && length >= 3) {
                const std::uint32_t us = std::uint32_t(data[0]) << 16 | data[1] << 8 | data[2];
                if (us > 0) tempo_.push_back({std::uint32_t(tick), 0, us});
            } else if (type >= 0x01 && type <= 0x0F) {
                texts_.push_back(
                    {std::uint32_t(tick), 0, track, type,
                     QByteArray(reinterpret_cast<const char *>(data), qsizetype(length))});
            }
        } else {
            break; // real-time and common messages have no place in a file
        }

        if (events_.size() >= MaxEvents) return tooMany();
        events_.push_back(event);
        if (status == 0xFF && event.data1 == 0x2F) {
            ended = true;
            break;
        }
    }

    if (!ended) {
        // Supply the missing end-of-track at the last time read.
        repaired_ = true;
        if (events_.size() >= MaxEvents) return tooMany();
        TMidiEvent eot;
        // At the last event read: a delta read before a break may belong to an event that
        // never came.
        eot.tick =
            events_.empty() || events_.back().track != track ? tickBase : events_.back().tick;
        eot.track = track;
        eot.status = 0xFF;
        eot.data1 = 0x2F;
        eot.dataOffset = std::uint32_t(pool_.size());
        events_.push_back(eot);
    } else if (!in.atEnd()) {
        repaired_ = true;
    }
    lastTick = events_.back().tick;
    return true;
}

void TMidiFile::buildTimes()
{
    std::stable_sort(events_.begin(), events_.end(),
                     [](const TMidiEvent &a, const TMidiEvent &b) { return a.tick < b.tick; });
    std::stable_sort(tempo_.begin(), tempo_.end(),
                     [](const TMidiTempo &a, const TMidiTempo &b) { return a.tick < b.tick; });
    std::stable_sort(texts_.begin(), texts_.end(),
                     [](const TMidiText &a, const TMidiText &b) { return a.tick < b.tick; });

    if (division_ & 0x8000) {
        tempo_.clear(); // frame-based time ignores tempo
    } else {
        // The map starts at tick 0 with the default tempo; of several tempos at one tick, the
        // last one counts.
        std::vector<TMidiTempo> map;
        map.reserve(tempo_.size() + 1);
        map.push_back(TMidiTempo{});
        for (const TMidiTempo &t : tempo_) {
            if (!map.empty() && map.back().tick == t.tick)
                map.back() = t;
            else
                map.push_back(t);
        }
        for (std::size_t i = 1; i < map.size(); ++i) {
            const TMidiTempo &p = map[i - 1];
            map[i].timeUs = p.timeUs + std::int64_t(map[i].tick - p.tick) * p.usPerQuarter /
                                           std::int64_t(division_);
        }
        tempo_ = std::move(map);
    }

    lengthUs_ = 0;
    for (TMidiEvent &e : events_) {
        e.timeUs = tickToUs(e.tick);
        lengthUs_ = std::max(lengthUs_, e.timeUs);
    }
    for (TMidiText &t : texts_)
        t.timeUs = tickToUs(t.tick);
}

std::int64_t TMidiFile::tickToUs(std::uint32_t tick) const
{
    if (division_ & 0x8000) {
        const int fps = -int(std::int8_t(division_ >> 8));
        const double framesPerSecond = fps == 29 ? 30000.0 / 1001.0 : double(fps);
        return std::llround(double(tick) * 1e6 / (framesPerSecond * double(division_ & 0xFF)));
    }
    if (tempo_.empty() || division_ == 0) return 0;
    auto it = std::upper_bound(tempo_.begin(), tempo_.end(), tick,
                               [](std::uint32_t t, const TMidiTempo &e) { return t < e.tick; });
    const TMidiTempo &seg = it == tempo_.begin() ? tempo_.front() : *(it - 1);
    return seg.timeUs + std::int64_t(tick - seg.tick) * seg.usPerQuarter / std::int64_t(division_);
}

std::span<const std::uint8_t> TMidiFile::payload(const TMidiEvent &event) const
{
    if (std::size_t(event.dataOffset) + event.dataLength > pool_.size()) return {};
    return std::span<const std::uint8_t>(pool_).subspan(event.dataOffset, event.dataLength);
}

std::uint32_t TMidiFile::lengthMs() const
{
    return std::uint32_t(std::min<std::int64_t>((lengthUs_ + 999) / 1000,
                                                std::numeric_limits<std::uint32_t>::max()));
}

void TMidiFile::clear()
{
    *this = TMidiFile();
}

bool TMidiFile::fail(Error error, const QString &text)
{
    clear();
    error_ = error;
    errorText_ = text;
    return false;
}
