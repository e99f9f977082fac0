#include "trackerfiles.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int SampleBytes = 64;
constexpr double Pi = 3.14159265358979323846;

// One cycle of a sine, 8-bit signed.
QByteArray Cycle()
{
    QByteArray bytes(SampleBytes, '\0');
    for (int i = 0; i < SampleBytes; ++i)
        bytes[i] = char(std::lround(100.0 * std::sin(2 * Pi * i / SampleBytes)));
    return bytes;
}

void Text(QByteArray &out, const char *text, int size)
{
    QByteArray field(size, '\0');
    std::memcpy(field.data(), text, std::min<std::size_t>(std::strlen(text), std::size_t(size)));
    out += field;
}

void Byte(QByteArray &out, int value)
{
    out += char(value & 0xFF);
}

void WordBe(QByteArray &out, int value)
{
    Byte(out, value >> 8);
    Byte(out, value);
}

void WordLe(QByteArray &out, int value)
{
    Byte(out, value);
    Byte(out, value >> 8);
}

void DwordLe(QByteArray &out, std::uint32_t value)
{
    WordLe(out, int(value & 0xFFFF));
    WordLe(out, int(value >> 16));
}

// The note struck on every fourth row: one pitch (about 130 Hz), so that a recording tells a
// module from other sounds by its pitch.
constexpr int ModPeriod = 428; // C-2 in ProTracker's naming
constexpr int XmNote = 49;     // C-4

} // namespace

namespace TrackerFiles {

QByteArray Mod(int patterns, int rows, const char *title)
{
    QByteArray out;
    Text(out, title, 20);
    // Sample 1: the looped cycle at full volume; samples 2 to 31 empty.
    Text(out, "sine", 22);
    WordBe(out, SampleBytes / 2);
    Byte(out, 0);
    Byte(out, 64);
    WordBe(out, 0);
    WordBe(out, SampleBytes / 2);
    for (int i = 1; i < 31; ++i) {
        Text(out, "", 22);
        WordBe(out, 0);
        Byte(out, 0);
        Byte(out, 0);
        WordBe(out, 0);
        WordBe(out, 1);
    }
    Byte(out, patterns);
    Byte(out, 127);
    for (int i = 0; i < 128; ++i)
        Byte(out, i < patterns ? i : 0);
    out += "M.K.";
    for (int p = 0; p < patterns; ++p) {
        for (int row = 0; row < 64; ++row) {
            for (int channel = 0; channel < 4; ++channel) {
                int period = 0, sample = 0, effect = 0, param = 0;
                if (channel == 0 && row % 4 == 0 && row < rows) {
                    period = ModPeriod;
                    sample = 1;
                }
                if (channel == 2 && row == 0) {
                    effect = 0xF; // speed 3
                    param = 3;
                }
                if (channel == 3 && row == rows - 1 && rows < 64) effect = 0xD; // next pattern
                Byte(out, (sample & 0xF0) | (period >> 8));
                Byte(out, period);
                Byte(out, ((sample & 0x0F) << 4) | effect);
                Byte(out, param);
            }
        }
    }
    out += Cycle();
    return out;
}

QByteArray Xm(int patterns, int rows, const char *title, int channels)
{
    const int Channels = channels;
    QByteArray out;
    out += "Extended Module: ";
    Text(out, title, 20);
    Byte(out, 0x1A);
    Text(out, "tonaria tests", 20);
    WordLe(out, 0x0104);
    DwordLe(out, 276); // the header from here: 20 bytes of fields and the order table
    WordLe(out, patterns);
    WordLe(out, 0);        // restart position
    WordLe(out, Channels); //
    WordLe(out, patterns);
    WordLe(out, 1);   // instruments
    WordLe(out, 1);   // linear frequencies
    WordLe(out, 3);   // speed
    WordLe(out, 125); // beats per minute
    for (int i = 0; i < 256; ++i)
        Byte(out, i < patterns ? i : 0);
    for (int p = 0; p < patterns; ++p) {
        QByteArray data;
        for (int row = 0; row < rows; ++row) {
            for (int channel = 0; channel < Channels; ++channel) {
                const bool note = row % 4 == 0;
                Byte(data, note ? XmNote : 0);
                Byte(data, note ? 1 : 0);
                Byte(data, 0); // volume column
                Byte(data, 0); // effect
                Byte(data, 0);
            }
        }
        DwordLe(out, 9);
        Byte(out, 0);
        WordLe(out, rows);
        WordLe(out, int(data.size()));
        out += data;
    }
    // Instrument 1 with one sample.
    QByteArray instrument;
    DwordLe(instrument, 263);
    Text(instrument, "sine", 22);
    Byte(instrument, 0);
    WordLe(instrument, 1);
    DwordLe(instrument, 40); // sample header size
    instrument += QByteArray(263 - instrument.size(), '\0'); // key map, envelopes: all off
    out += instrument;
    DwordLe(out, SampleBytes);
    DwordLe(out, 0);           // loop start
    DwordLe(out, SampleBytes); // loop length
    Byte(out, 64);             // volume
    Byte(out, 0);              // fine tune
    Byte(out, 1);              // forward loop, 8-bit
    Byte(out, 128);            // panning
    Byte(out, 0);              // relative note
    Byte(out, 0);
    Text(out, "sine", 22);
    // Sample data as deltas.
    const QByteArray cycle = Cycle();
    int previous = 0;
    for (char c : cycle) {
        Byte(out, int(c) - previous);
        previous = int(c);
    }
    return out;
}

} // namespace TrackerFiles
