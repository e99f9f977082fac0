// The library editors with an album of 100,000 titles: how long each editor takes to open
// (created, shown and painted once) and how long the albums editor takes to sort the album.
#include "core/commandline.h"
#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "library/listorder.h"
#include "library/ui/libraryeditors.h"
#include "library/ui/sortmenu.h"
#include "library/ui/tfalbums.h"
#include "library/ui/tfprograms.h"
#include "library/ui/tftitles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kTitles = 100000;

// A program folder whose only album holds kTitles titles in no particular order.
class TLibrary {
public:
    TLibrary()
    {
        const QString home = dir_.path() + QStringLiteral("/home/");
        QDir().mkpath(home + QStringLiteral("Albums"));
        QByteArray text = "[Album]\r\nCaption=Large\r\n[Titles]\r\n";
        for (int t = 0; t < kTitles; ++t) {
            const QByteArray n = QByteArray::number((t * 7919) % kTitles);
            text += "\"Title " + n + "\",\"/music/piece " + n + ".mid\",-1,\r\n";
        }
        QFile album(home + QStringLiteral("Albums/large.tal"));
        album.open(QIODevice::WriteOnly);
        album.write(text);
        qputenv("TONARIA_HOME", home.toUtf8());
        qputenv("TONARIA_CONFIG", (dir_.path() + QStringLiteral("/registry.reg")).toUtf8());
        qputenv("TONARIA_AUDIO", "null");
        jukebox_ = std::make_unique<TJukebox>(QStringLiteral("/nonexistent/tonaria"));
        jukebox_->StartUp(TCommandLine{});
        TTonariaGlobals &g = jukebox_->GlobalState();
        for (const auto &a : g.Albums)
            if (a->Caption == QLatin1String("Large")) g.SetCurrentAlbum(a.get());
        editors_ = std::make_unique<TLibraryEditors>(*jukebox_);
    }
    TLibraryEditors &Editors() { return *editors_; }
    TAlbum &Album() { return *jukebox_->GlobalState().CurrentAlbum; }

private:
    QTemporaryDir dir_;
    std::unique_ptr<TJukebox> jukebox_;
    std::unique_ptr<TLibraryEditors> editors_;
};

TLibrary &Library()
{
    static TLibrary library;
    return library;
}

template <class TForm>
void BM_Open(benchmark::State &state)
{
    TLibrary &library = Library();
    if (library.Album().Titles.size() != kTitles) state.SkipWithError("album not loaded");
    for (auto _ : state) {
        TForm form(library.Editors());
        form.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.grab());
        state.PauseTiming();
        form.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Open<TfTitles>)->Name("BM_OpenTitlesEditor")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Open<TfPrograms>)->Name("BM_OpenProgramsEditor")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Open<TfAlbums>)->Name("BM_OpenAlbumsEditor")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SortAlbum(benchmark::State &state)
{
    TLibrary &library = Library();
    TfAlbums form(library.Editors());
    form.show();
    QApplication::processEvents();
    const auto order = static_cast<TTitleOrder>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        ShuffleList(library.Album().Titles);
        state.ResumeTiming();
        emit form.SortMenu()->sortRequested(order, 1);
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.grab());
    }
}
BENCHMARK(BM_SortAlbum)
    ->Arg(int(TTitleOrder::Caption))
    ->Arg(int(TTitleOrder::FullFileName))
    ->Arg(int(TTitleOrder::FileSize))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
