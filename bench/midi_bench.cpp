// Cost of reading a long MIDI file and of the player's work per audio block.
#include "platform/midi/midifile.h"
#include "platform/midi/midifileplayer.h"
#include "platform/midi/synth.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

#include <vector>

namespace {

// A dense format 1 file: 16 tracks of fast notes with controller sweeps, ~96k events.
QByteArray denseFile()
{
    auto be32 = [](QByteArray &out, std::uint32_t v) {
        out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
    };
    QByteArray out("MThd\0\0\0\x06\0\x01\0\x10\x01\xE0", 14);
    for (int t = 0; t < 16; ++t) {
        QByteArray track;
        for (int i = 0; i < 2000; ++i) {
            track.append(char(30))
                .append(char(0x90 | t))
                .append(char(40 + i % 40))
                .append(char(100));
            track.append(char(0)).append(char(0xB0 | t)).append(char(7)).append(char(i % 128));
            track.append(char(30)).append(char(0x80 | t)).append(char(40 + i % 40)).append(char(0));
        }
        track.append("\0\xFF\x2F\0", 4);
        out.append("MTrk", 4);
        be32(out, std::uint32_t(track.size()));
        out.append(track);
    }
    return out;
}

class TNullSink : public TMidiSink {
public:
    void send(std::uint32_t m) noexcept override { benchmark::DoNotOptimize(m); }
    void sendSysEx(std::span<const std::uint8_t>) noexcept override {}
    void allNotesOff() noexcept override {}
    void render(float *, int) noexcept override {}
};

void BM_ParseDenseFile(benchmark::State &state)
{
    const QByteArray bytes = denseFile();
    for (auto _ : state) {
        TMidiFile f;
        benchmark::DoNotOptimize(f.parse(bytes));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * bytes.size());
}
BENCHMARK(BM_ParseDenseFile);

// The player's own dispatch work for one 256-frame block (the sink does nothing).
void BM_PlayerBlockDispatch(benchmark::State &state)
{
    auto file = std::make_shared<TMidiFile>();
    file->parse(denseFile());
    TNullSink sink;
    TMidiFilePlayer player(file, sink);
    std::vector<float> buf(512);
    player.play();
    for (auto _ : state) {
        player.mixInto(buf.data(), 256, 44100);
        if (!player.isPlaying()) player.play(0);
    }
}
BENCHMARK(BM_PlayerBlockDispatch);

// A seek in the middle of the dense file: silence, chase, position.
void BM_SeekChase(benchmark::State &state)
{
    auto file = std::make_shared<TMidiFile>();
    file->parse(denseFile());
    TNullSink sink;
    TMidiFilePlayer player(file, sink);
    std::vector<float> buf(2);
    std::int64_t target = 0;
    for (auto _ : state) {
        target = (target + 7919) % file->lengthMs();
        player.seek(target);
        player.mixInto(buf.data(), 1, 44100);
    }
}
BENCHMARK(BM_SeekChase);

// The synthesizer rendering one 256-frame block with the dense file playing on it.
void BM_SynthBlock(benchmark::State &state)
{
    TSynth synth(44100);
    if (!synth.isValid()) {
        state.SkipWithError("no SoundFont");
        return;
    }
    auto file = std::make_shared<TMidiFile>();
    file->parse(denseFile());
    TMidiFilePlayer player(file, synth);
    std::vector<float> buf(512);
    player.play();
    for (auto _ : state) {
        player.mixInto(buf.data(), 256, 44100);
        if (!player.isPlaying()) player.play(0);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * 256);
}
BENCHMARK(BM_SynthBlock);

} // namespace

BENCHMARK_MAIN();
