// Cost of rendering a tracker module, block by block as the audio thread asks for it: the work
// the tracker-module plug-in's render call-back does per block of the mix.
#include "trackerfiles.h"
#include "trackermodule.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

namespace {

constexpr std::uint32_t Rate = 48000;
constexpr int BlockFrames = 512;

// Renders a module of `channels` busy channels; reports how much of real time it costs.
void RenderModule(benchmark::State &state)
{
    const int channels = int(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.xm");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the module");
        return;
    }
    file.write(TrackerFiles::Xm(64, 64, "bench", channels));
    file.close();
    MCIERROR error = 0;
    std::unique_ptr<TTrackerModule> module =
        TTrackerModule::Load(path.toStdString(), Rate, &error);
    if (!module) {
        state.SkipWithError("the module does not load");
        return;
    }
    module->Arm(-1);
    std::vector<float> block(BlockFrames * 2);
    std::int64_t frames = 0;
    for (auto _ : state) {
        std::fill(block.begin(), block.end(), 0.0f);
        if (!module->Render(block.data(), BlockFrames)) {
            state.PauseTiming();
            module->MoveTo(0);
            module->Arm(-1);
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(block.data());
        frames += BlockFrames;
    }
    // Seconds of sound per second of work: above 1000 means under 0.1% of one core.
    state.counters["realtime_x"] = benchmark::Counter(double(frames) / Rate,
                                                      benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(RenderModule)->Arg(4)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
