// What the display window costs: the program in process with the null sound output and the
// display window shown, measured on the real timers. Offscreen unless QT_QPA_PLATFORM says
// otherwise (xcb on an X server counts the flushes to the server too).
//
//   bench_display [seconds]            (default 5 seconds per phase)
//
// Phases:
//   - stopped: a title is loaded, nothing plays; the window should not repaint at all and the
//     process should use next to no CPU;
//   - playing, window shown: paints and the time spent in them (painting and flushing the
//     window), and the process's CPU;
//   - playing, window in the tray: the process's CPU without the window, so the difference to
//     the phase before is what the window costs.
#include "core/jukebox.h"
#include "core/ticker.h"
#include "core/tonariaglobals.h"
#include "presentation/tfdisplay.h"
#include "presentation/tfstation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Counts paint and flush events and the time spent delivering them.
class TCountingApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Paint && type != QEvent::UpdateRequest)
            return QApplication::notify(receiver, event);
        QElapsedTimer timer;
        timer.start();
        const bool result = QApplication::notify(receiver, event);
        paintNs += timer.nsecsElapsed();
        if (type == QEvent::Paint) ++paints;
        return result;
    }

    qint64 paintNs = 0;
    int paints = 0;
};

QByteArray MidiBytes(int seconds)
{
    // Format 0, 480 ticks a quarter at 120 bpm: a chord every quarter.
    auto var = [](quint32 n) {
        QByteArray out(1, char(n & 0x7F));
        while (n >>= 7)
            out.prepend(char((n & 0x7F) | 0x80));
        return out;
    };
    QByteArray track("\x00\xC0\x00", 3);
    for (int i = 0; i < seconds * 2; ++i) {
        track += var(i ? 40 : 0) + QByteArray("\x90\x3C\x64\x00\x90\x40\x64", 7);
        track += var(440) + QByteArray("\x80\x3C\x00\x00\x80\x40\x00", 7);
    }
    track += QByteArray("\x00\xFF\x2F\x00", 4);
    QByteArray file("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xE0", 14);
    const quint32 size = quint32(track.size());
    file += "MTrk";
    for (int shift = 24; shift >= 0; shift -= 8)
        file += char((size >> shift) & 0xFF);
    return file + track;
}

struct TPhase {
    int paints;
    double paintMs;
    double cpuPercent;
    double paintPercent;
};

TPhase Measure(TCountingApplication &app, int seconds)
{
    app.paints = 0;
    app.paintNs = 0;
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = CpuSeconds() - cpu0;
    return {app.paints, double(app.paintNs) / 1e6, 100.0 * cpu / elapsed,
            100.0 * (double(app.paintNs) / 1e9) / elapsed};
}

void Report(const char *name, const TPhase &p)
{
    // The paint time is wall time (on X it includes waiting for the server); the process CPU is
    // what the machine spends.
    std::printf(
        "%-26s %6d paints %9.2f ms in paints (%5.2f %% of the time)  process CPU %6.2f %%\n", name,
        p.paints, p.paintMs, p.paintPercent, p.cpuPercent);
}

} // namespace

int main(int argc, char *argv[])
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir work;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TONARIA_AUDIO")) qputenv("TONARIA_AUDIO", "null");
    qputenv("TONARIA_HOME", (work.path() + QStringLiteral("/home/")).toUtf8());
    qputenv("TONARIA_CONFIG", (work.path() + QStringLiteral("/config.ini")).toUtf8());
    TCountingApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    const QString midi = work.path() + QStringLiteral("/piece.mid");
    QFile file(midi);
    if (!file.open(QIODevice::WriteOnly) || file.write(MidiBytes(seconds * 4)) < 0) return 1;
    file.close();

    TfStation station(QCoreApplication::applicationFilePath(), 24);
    station.StartUp(ParseCommandLine({midi}));
    QElapsedTimer shown;
    shown.start();
    station.FirstShow();
    const double showMs = double(shown.nsecsElapsed()) / 1e6;
    if (!station.Display()) {
        std::fprintf(stderr, "the display window did not show\n");
        return 1;
    }
    const TTonariaGlobals &g = station.Jukebox().GlobalState();
    std::printf("display window %dx%d, display refresh every %d ms, meter every %d ms (%s), "
                "flag %s\n",
                station.Display()->width(), station.Display()->height(),
                station.Jukebox().Ticker().DisplayInterval(), g.APMInterval,
                g.APMActive ? "on" : "off", g.DisplayFlag ? "on" : "off");
    std::printf("first showing (display window created, themed and shown): %.1f ms\n", showMs);
    Measure(app, 1); // the first paints and the theme settle
    Report("stopped, window shown", Measure(app, seconds));
    station.aPlay->trigger();
    Measure(app, 1);
    Report("playing, window shown", Measure(app, seconds));
    station.Jukebox().SetCloaked(true);
    Measure(app, 1);
    Report("playing, window in tray", Measure(app, seconds));
    station.Jukebox().RequestClose();
    return 0;
}
