// The skinned display window with every animated control moving: one frame is a new meter
// reading on both bars, one flag step and one step of the position bar, painted through the
// window system's backing store (offscreen platform). The default theme gives the pictures.
#include "presentation/skin/tbmpbtn.h"
#include "presentation/skin/tbmpled.h"
#include "presentation/skin/tdcdisruptor.h"
#include "presentation/skin/tskinform.h"
#include "presentation/skin/ttranslucentpanel.h"
#include "presentation/skin/ttransparentlabel.h"
#include "presentation/skin/ttransprogressbar.h"
#include "presentation/skin/applytheme.h"
#include "presentation/theme/tuiman.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <random>

namespace {

template <typename T> T *named(QWidget *parent, const char *name)
{
    auto *w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

struct TDisplayBench {
    TSkinForm window{TSkinKind::Display, QStringLiteral("fDisplay"), QStringLiteral("fsDisplay")};
    TBmpLED *left, *right;
    TTransProgressBar *bar;
    TDCDisruptor *flag;

    TDisplayBench()
    {
        window.CreatePictureCollections();
        for (const char *name : {"bbPower",
                                 "bbHide",
                                 "bbPlay",
                                 "bbPause",
                                 "bbStop",
                                 "bbPrev",
                                 "bbRew",
                                 "bbFB",
                                 "bbFF",
                                 "bbNext",
                                 "bbOpen",
                                 "bbEject",
                                 "bbClose",
                                 "bbMenu",
                                 "bb1",
                                 "bb2",
                                 "bb3",
                                 "bb4",
                                 "bb5",
                                 "bb6",
                                 "bb7",
                                 "bb8",
                                 "bb9",
                                 "bb0",
                                 "bbModeLoad",
                                 "bbModeStore",
                                 "bbTitles",
                                 "bbPrograms",
                                 "bbAlbums",
                                 "bbEditTitle",
                                 "bbEditProgram",
                                 "bbEditAlbum",
                                 "bbAddToProgram",
                                 "bbRemoveFromProgram",
                                 "bbRemoveFromAlbum",
                                 "bbView"})
            named<TBmpBtn>(&window, name)->SetBmpIndices(0, 1, 2, 3, 4, 0);
        auto *panel = named<TTranslucentPanel>(&window, "tpDisplay");
        for (const char *name : {"tlTime", "tlTime2", "tlTimeTotal", "tlCaption"})
            named<TTransparentLabel>(panel, name)->SetCaption(QStringLiteral("01:23:45"));
        bar = named<TTransProgressBar>(panel, "tpbDisplay");
        bar->SetRange(0, 1000);
        left = named<TBmpLED>(panel, "blL");
        right = named<TBmpLED>(panel, "blR");
        left->SetRange(0, 32768);
        right->SetRange(0, 32768);
        flag = named<TDCDisruptor>(&window, "dcdFlag");
        flag->PosX = 412;
        flag->PosY = 8;
        window.SetFlag(flag);

        TUIMan man;
        const QString themes = QStringLiteral(TONARIA_SOURCE_DIR "/data/Themes/");
        man.LoadChosenTheme(QStringLiteral("Default"), themes);
        TThemeHost host;
        host.ThemesFolder = themes;
        host.ScreenDepth = 24;
        ApplyTheme(man, &window, host);
        window.show();
        QApplication::processEvents();
    }
};

void BM_DisplayFrame(benchmark::State &state)
{
    TDisplayBench bench;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> level(0, 32768);
    int position = 0;
    for (auto _ : state) {
        bench.left->SetPosition(level(random));
        bench.right->SetPosition(level(random));
        bench.bar->SetPosition(position = (position + 3) % 1000);
        bench.flag->Step();
        QApplication::processEvents();
    }
    state.counters["width"] = bench.window.width();
    state.counters["height"] = bench.window.height();
}
BENCHMARK(BM_DisplayFrame)->Unit(benchmark::kMicrosecond);

// The whole window painted at once (what a theme change or an uncovered window costs).
void BM_DisplayFullRepaint(benchmark::State &state)
{
    TDisplayBench bench;
    QImage target(bench.window.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        bench.window.render(&target);
}
BENCHMARK(BM_DisplayFullRepaint)->Unit(benchmark::kMicrosecond);

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
