// The engine with a large library: start-up to ready with 1,000 albums of 100 titles (the
// current one loaded and its current title opened), and a hand-off: how soon the second start
// is answered, and how soon its file is open.
#include "core/commandline.h"
#include "core/jukebox.h"
#include "core/tonariaglobals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kAlbums = 1000;
constexpr int kTitles = 100;

// A one-track Standard MIDI File holding one note of two seconds.
QByteArray MidiBytes()
{
    const QByteArray track = QByteArray::fromHex("00903c60") + QByteArray::fromHex("8f00") +
                             QByteArray::fromHex("803c00") + QByteArray::fromHex("00ff2f00");
    QByteArray bytes = QByteArray::fromHex("4d546864000000060000000101e0") + "MTrk";
    const quint32 size = quint32(track.size());
    bytes.append(char(size >> 24)).append(char(size >> 16)).append(char(size >> 8)).append(char(size));
    return bytes + track;
}

// A program folder of its own with the library in it, for the whole run.
class TLibrary {
public:
    TLibrary()
    {
        home_ = dir_.path() + QStringLiteral("/home/");
        QDir().mkpath(home_ + QStringLiteral("Albums"));
        midi_ = home_ + QStringLiteral("piece.mid");
        QFile midi(midi_);
        midi.open(QIODevice::WriteOnly);
        midi.write(MidiBytes());
        for (int a = 0; a < kAlbums; ++a) {
            QByteArray text = "[Album]\r\nCaption=Album " + QByteArray::number(a) +
                              "\r\nCurTitle=" + QByteArray::number(kTitles / 2) + "\r\n[Titles]\r\n";
            for (int t = 0; t < kTitles; ++t)
                text += "\"Title " + QByteArray::number(t) + "\",\"" + midi_.toUtf8() + "\"\r\n";
            QFile album(home_ + QStringLiteral("Albums/A%1.tal").arg(a, 7, 10, QLatin1Char('0')));
            album.open(QIODevice::WriteOnly);
            album.write(text);
        }
        qputenv("TONARIA_HOME", home_.toUtf8());
        qputenv("TONARIA_CONFIG", (dir_.path() + QStringLiteral("/config.ini")).toUtf8());
        qputenv("TONARIA_AUDIO", "null");
    }
    const QString &Midi() const { return midi_; }

private:
    QTemporaryDir dir_;
    QString home_;
    QString midi_;
};

TLibrary &Library()
{
    static TLibrary library;
    return library;
}

void BM_StartUpToReady(benchmark::State &state)
{
    Library();
    for (auto _ : state) {
        auto jukebox = std::make_unique<TJukebox>(QStringLiteral("/nonexistent/tonaria"));
        jukebox->StartUp(TCommandLine{});
        jukebox->FinishStartUp();
        state.PauseTiming();
        jukebox.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToReady)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HandoffAnswered(benchmark::State &state)
{
    const QString midi = Library().Midi();
    TJukebox jukebox(QStringLiteral("/nonexistent/tonaria"));
    jukebox.StartUp(TCommandLine{});
    jukebox.FinishStartUp();
    for (auto _ : state) {
        jukebox.handoffAddFile(midi);
        jukebox.handoffCommit();
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HandoffAnswered)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_HandoffCarriedOut(benchmark::State &state)
{
    const QString midi = Library().Midi();
    TJukebox jukebox(QStringLiteral("/nonexistent/tonaria"));
    jukebox.StartUp(TCommandLine{});
    jukebox.FinishStartUp();
    for (auto _ : state) {
        jukebox.setPlayRequested();
        jukebox.handoffAddFile(midi);
        jukebox.handoffCommit();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(jukebox.GlobalState().LoadedTitle);
    }
}
BENCHMARK(BM_HandoffCarriedOut)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
