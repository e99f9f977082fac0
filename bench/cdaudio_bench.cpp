// What the "cdaudio" device costs a start-up on a machine with no drive and no image: the
// media-control layer made and the devices analysed (the drive is not looked for there), and,
// for comparison, the first open of the device, where the drive is looked for.
#include "platform/mci/mcilayer.h"
#include "playback/sonoricplayer.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// The layer and the device analysis, as the station runs them while the splash shows.
void BM_StartUpDeviceAnalysis(benchmark::State &state)
{
    for (auto _ : state) {
        TMciLayer::shutdown();
        TSonoricPlayer player;
        player.AnalyzeMCIDevices();
        benchmark::DoNotOptimize(player.FindDeviceByName(QStringLiteral("cdaudio")));
    }
    TMciLayer::shutdown();
}
BENCHMARK(BM_StartUpDeviceAnalysis)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The first open of the device with no drive: the search for one, then "no media".
void BM_FirstOpenWithoutDrive(benchmark::State &state)
{
    TMciLayer &layer = TMciLayer::instance();
    for (auto _ : state) {
        TMciOpenRequest request;
        request.flags = MCI_OPEN_TYPE | MCI_WAIT;
        request.deviceType = QStringLiteral("cdaudio");
        MCIDEVICEID id = 0;
        if (layer.open(request, id) != 0) {
            state.SkipWithError("the device did not open");
            break;
        }
        std::uintptr_t present = 0;
        layer.status(id, MCI_STATUS_ITEM | MCI_WAIT, MCI_STATUS_MEDIA_PRESENT, 0, present);
        benchmark::DoNotOptimize(present);
        layer.generic(id, MCI_CLOSE, MCI_WAIT, nullptr);
    }
    TMciLayer::shutdown();
}
BENCHMARK(BM_FirstOpenWithoutDrive)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("TONARIA_HOME", home.path().toUtf8());
    qputenv("TONARIA_CONFIG", (home.path() + QStringLiteral("/config.reg")).toUtf8());
    qputenv("TONARIA_AUDIO", "null");
    qunsetenv("TONARIA_CDROM");
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
