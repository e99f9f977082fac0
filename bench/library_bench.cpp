// Album operations on a large album: 100,000 titles and a custom program of 100,000 links.
#include "library/album.h"
#include "library/albumfile.h"
#include "library/randomgenerator.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kTitles = 100'000;

std::unique_ptr<TAlbum> LargeAlbum()
{
    ProcessRandom().SetSeed(1);
    auto album = TAlbum::CreateAlbum();
    album->Caption = QStringLiteral("Large");
    for (int i = 0; i < kTitles; ++i) {
        TTitle *title = album->AddTitle();
        title->Caption = QStringLiteral("Title number %1").arg(i);
        title->FileName =
            QStringLiteral("/home/user/Music/Collection %1/song_%2.mid").arg(i / 100).arg(i);
    }
    auto custom = album->CreateProgram();
    custom->Caption = QStringLiteral("Favourites");
    TRandomGenerator pick(2);
    for (int i = 0; i < kTitles; ++i)
        custom->Titles.push_back(album->Titles[pick.Random(kTitles)]);
    album->CustomPrograms.push_back(std::move(custom));
    album->RefreshInternalPrograms();
    album->CurrentTitle = album->Titles[kTitles / 2];
    return album;
}

TAlbumFile Files(const QTemporaryDir &dir)
{
    return TAlbumFile({dir.path() + QStringLiteral("/"), {}, {}});
}

void BM_SaveLargeAlbum(benchmark::State &state)
{
    QTemporaryDir dir;
    const auto album = LargeAlbum();
    const TAlbumFile files = Files(dir);
    const QString path = dir.path() + QStringLiteral("/large.tal");
    for (auto _ : state)
        benchmark::DoNotOptimize(files.SaveToFile(*album, path));
}
BENCHMARK(BM_SaveLargeAlbum)->Unit(benchmark::kMillisecond);

void BM_LoadLargeAlbum(benchmark::State &state)
{
    QTemporaryDir dir;
    const TAlbumFile files = Files(dir);
    const QString path = files.SaveToFile(*LargeAlbum(), dir.path() + QStringLiteral("/large.tal"));
    TAlbum album;
    for (auto _ : state) {
        files.LoadFromFile(album, path);
        benchmark::DoNotOptimize(album.Titles.data());
    }
    state.counters["titles"] = static_cast<double>(album.Titles.size());
}
BENCHMARK(BM_LoadLargeAlbum)->Unit(benchmark::kMillisecond);

void BM_RefreshInternalPrograms(benchmark::State &state)
{
    const auto album = LargeAlbum();
    for (auto _ : state) {
        album->RefreshInternalPrograms();
        benchmark::DoNotOptimize(album->InternalPrograms[1]->Titles.data());
    }
}
BENCHMARK(BM_RefreshInternalPrograms)->Unit(benchmark::kMillisecond);

void BM_RegenerateInternalPrograms(benchmark::State &state)
{
    const auto album = LargeAlbum();
    for (auto _ : state) {
        album->RegenerateInternalPrograms();
        benchmark::DoNotOptimize(album->InternalPrograms[1]->Titles.data());
    }
}
BENCHMARK(BM_RegenerateInternalPrograms)->Unit(benchmark::kMillisecond);

void BM_RemoveTitle(benchmark::State &state)
{
    const auto album = LargeAlbum();
    for (auto _ : state) {
        DisposeTitle(album->RemoveTitle(album->Titles[album->Titles.size() / 2]));
        state.PauseTiming();
        if (album->Titles.size() < kTitles / 2) state.SkipWithError("album ran out of titles");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RemoveTitle)->Unit(benchmark::kMicrosecond)->Iterations(200);

} // namespace

BENCHMARK_MAIN();
