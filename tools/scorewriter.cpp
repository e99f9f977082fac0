#include "scorewriter.h"

#include <algorithm>
#include <fstream>

namespace {

void PutBigEndian(TScoreWriter::Bytes &out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

void PutVariableLength(TScoreWriter::Bytes &out, std::uint32_t value)
{
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = std::uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(std::uint8_t(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

} // namespace

int TScoreWriter::AddTrack()
{
    tracks_.emplace_back();
    return int(tracks_.size()) - 1;
}

void TScoreWriter::Add(int track, std::uint32_t tick, Bytes bytes, bool early)
{
    // Note offs sort before everything else of their tick, so a note repeated on the same key
    // is released before it sounds again.
    const int order = early ? -1 - sequence_ : sequence_;
    ++sequence_;
    tracks_.at(std::size_t(track)).push_back({tick, order, std::move(bytes)});
}

void TScoreWriter::Meta(int track, std::uint32_t tick, std::uint8_t type, const Bytes &data)
{
    Bytes bytes = {0xFF, type};
    PutVariableLength(bytes, std::uint32_t(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    Add(track, tick, std::move(bytes));
}

void TScoreWriter::Text(int track, std::uint32_t tick, std::uint8_t type, const std::string &text)
{
    Meta(track, tick, type, Bytes(text.begin(), text.end()));
}

void TScoreWriter::Tempo(int track, std::uint32_t tick, std::uint32_t microsecondsPerQuarter)
{
    Bytes data;
    PutBigEndian(data, microsecondsPerQuarter, 3);
    Meta(track, tick, 0x51, data);
}

void TScoreWriter::Channel(int track, std::uint32_t tick, std::uint8_t status, std::uint8_t data1,
                           int data2)
{
    Bytes bytes = {status, std::uint8_t(data1 & 0x7F)};
    if (data2 >= 0) bytes.push_back(std::uint8_t(data2 & 0x7F));
    Add(track, tick, std::move(bytes));
}

void TScoreWriter::Note(int track, std::uint32_t tick, std::uint8_t channel, std::uint8_t key,
                        std::uint8_t velocity, std::uint32_t length)
{
    Add(track, tick, {std::uint8_t(0x90 | (channel & 0x0F)), key, velocity});
    Add(track, tick + length, {std::uint8_t(0x80 | (channel & 0x0F)), key, 0}, true);
}

void TScoreWriter::SysEx(int track, std::uint32_t tick, const Bytes &body)
{
    Bytes bytes = {0xF0};
    PutVariableLength(bytes, std::uint32_t(body.size()));
    bytes.insert(bytes.end(), body.begin(), body.end());
    Add(track, tick, std::move(bytes));
}

TScoreWriter::Bytes TScoreWriter::Build() const
{
    Bytes file = {'M', 'T', 'h', 'd'};
    PutBigEndian(file, 6, 4);
    PutBigEndian(file, tracks_.size() == 1 ? 0 : 1, 2);
    PutBigEndian(file, std::uint32_t(tracks_.size()), 2);
    PutBigEndian(file, division_, 2);
    for (std::vector<TEvent> events : tracks_) {
        std::stable_sort(events.begin(), events.end(), [](const TEvent &a, const TEvent &b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        Bytes track;
        std::uint32_t now = 0;
        for (const TEvent &event : events) {
            PutVariableLength(track, event.tick - now);
            now = event.tick;
            track.insert(track.end(), event.bytes.begin(), event.bytes.end());
        }
        PutVariableLength(track, std::max(end_, now) - now);
        track.insert(track.end(), {0xFF, 0x2F, 0x00});
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        PutBigEndian(file, std::uint32_t(track.size()), 4);
        file.insert(file.end(), track.begin(), track.end());
    }
    return file;
}

bool TScoreWriter::Write(const std::string &path) const
{
    const Bytes bytes = Build();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}
