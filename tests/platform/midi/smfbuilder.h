#pragma once
// Builds Standard MIDI Files byte by byte for the tests.

#include <QByteArray>

#include <cstdint>
#include <initializer_list>
#include <vector>

class TSmfBuilder {
public:
    explicit TSmfBuilder(int format = 1, std::uint16_t division = 480)
        : format_(format), division_(division)
    {
    }

    // Starts a new track; events go to the last track started.
    TSmfBuilder &track()
    {
        tracks_.emplace_back();
        return *this;
    }
    // Any event: the delta time, then the bytes as they stand (running status is written by
    // leaving the status byte out).
    TSmfBuilder &event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes)
    {
        vlq(delta);
        tracks_.back().insert(tracks_.back().end(), bytes);
        return *this;
    }
    TSmfBuilder &noteOn(std::uint32_t delta, int ch, int key, int vel = 100)
    {
        return event(delta, {std::uint8_t(0x90 | ch), std::uint8_t(key), std::uint8_t(vel)});
    }
    TSmfBuilder &noteOff(std::uint32_t delta, int ch, int key)
    {
        return event(delta, {std::uint8_t(0x80 | ch), std::uint8_t(key), 0});
    }
    TSmfBuilder &tempo(std::uint32_t delta, std::uint32_t usPerQuarter)
    {
        return event(delta, {0xFF, 0x51, 3, std::uint8_t(usPerQuarter >> 16),
                             std::uint8_t(usPerQuarter >> 8), std::uint8_t(usPerQuarter)});
    }
    TSmfBuilder &meta(std::uint32_t delta, int type, const QByteArray &data)
    {
        vlq(delta);
        tracks_.back().push_back(0xFF);
        tracks_.back().push_back(std::uint8_t(type));
        vlq(std::uint32_t(data.size()));
        tracks_.back().insert(tracks_.back().end(), data.begin(), data.end());
        return *this;
    }
    // status F0 or F7, then the length, then `data`.
    TSmfBuilder &sysex(std::uint32_t delta, std::uint8_t status, std::vector<std::uint8_t> data)
    {
        vlq(delta);
        tracks_.back().push_back(status);
        vlq(std::uint32_t(data.size()));
        tracks_.back().insert(tracks_.back().end(), data.begin(), data.end());
        return *this;
    }
    TSmfBuilder &endOfTrack(std::uint32_t delta = 0) { return event(delta, {0xFF, 0x2F, 0}); }

    QByteArray build() const
    {
        QByteArray out("MThd", 4);
        be32(out, 6);
        be16(out, format_);
        be16(out, int(tracks_.size()));
        be16(out, division_);
        for (const auto &t : tracks_) {
            out.append("MTrk", 4);
            be32(out, std::uint32_t(t.size()));
            out.append(reinterpret_cast<const char *>(t.data()), qsizetype(t.size()));
        }
        return out;
    }

    // Wraps a Standard MIDI File in a RIFF RMID container.
    static QByteArray rmid(const QByteArray &smf)
    {
        QByteArray out("RIFF", 4);
        const auto dataSize = std::uint32_t(smf.size());
        le32(out, 4 + 8 + dataSize + (dataSize & 1));
        out.append("RMIDdata", 8);
        le32(out, dataSize);
        out.append(smf);
        if (dataSize & 1) out.append('\0');
        return out;
    }

private:
    void vlq(std::uint32_t v)
    {
        std::uint8_t buf[5];
        int n = 0;
        buf[n++] = v & 0x7F;
        while (v >>= 7)
            buf[n++] = std::uint8_t(0x80 | (v & 0x7F));
        while (n)
            tracks_.back().push_back(buf[--n]);
    }
    static void be16(QByteArray &out, int v) { out.append(char(v >> 8)).append(char(v)); }
    static void be32(QByteArray &out, std::uint32_t v)
    {
        out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
    }
    static void le32(QByteArray &out, std::uint32_t v)
    {
        out.append(char(v)).append(char(v >> 8)).append(char(v >> 16)).append(char(v >> 24));
    }

    int format_;
    std::uint16_t division_;
    std::vector<std::vector<std::uint8_t>> tracks_;
};
