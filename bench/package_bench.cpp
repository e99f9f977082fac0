// The package manager against the user-interface thread: how long the event loop is held up
// while a large package unpacks, how soon hostile packages are refused, and how soon a stop
// ends an unpack. Prints its figures; run it on a quiet machine:
//   build/bench/bench_packages [scratch folder]
#include "packages/zipman.h"
#include "testarchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

// Runs the event loop with a 1 ms timer until `done` holds; returns the longest gap between
// two ticks, in milliseconds.
double WorstGap(const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 worst = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last);
        last = now;
    });
    timer.start(1);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return double(worst) / 1e6;
}

// Time until the manager answers a request for the first member of `package`.
double AnswerMs(TZipMan &man, const QString &package, bool *unpacked)
{
    QElapsedTimer clock;
    clock.start();
    bool answered = false;
    man.Prepare(package, 0, nullptr, [&](bool ok) {
        answered = true;
        *unpacked = ok;
    });
    WorstGap([&] { return answered; });
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir scratchDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/packages-XXXXXX")
                                      : QDir::tempPath() + QStringLiteral("/packages-XXXXXX"));
    const QString scratch = scratchDir.path() + QLatin1Char('/');
    const QString temp = scratch + QStringLiteral("temp");
    QDir().mkpath(temp);

    const QString big = scratch + QStringLiteral("big.zip");
    constexpr quint32 kBigSize = 256u << 20;
    WriteSparseZip(big, "long.wav", kBigSize);
    const QString fake = scratch + QStringLiteral("fake.zip");
    {
        QFile file(fake);
        file.open(QIODevice::WriteOnly);
        file.write("not an archive");
        file.resize(qint64(4) << 30);
    }
    const QString bomb = scratch + QStringLiteral("bomb.zip");
    {
        QFile file(bomb);
        file.open(QIODevice::WriteOnly);
        file.write(MakeZeroBomb("zeros.wav", quint32(1) << 31));
    }

    TZipMan man(temp);
    const double idle = WorstGap([start = QElapsedTimer()]() mutable {
        if (!start.isValid()) start.start();
        return start.elapsed() > 1000;
    });
    std::printf("event loop, idle for 1 s: worst gap %.2f ms\n", idle);

    for (int round = 0; round < 3; ++round) {
        bool answered = false, unpacked = false;
        QElapsedTimer clock;
        clock.start();
        man.Prepare(big, 0, nullptr, [&](bool ok) {
            answered = true;
            unpacked = ok;
        });
        const double gap = WorstGap([&] { return answered; });
        std::printf("unpacking %u MiB (%s) in %.0f ms: worst gap %.2f ms\n", kBigSize >> 20,
                    unpacked ? "unpacked" : "failed", double(clock.nsecsElapsed()) / 1e6, gap);
        man.ClosePackage();
    }

    bool unpacked = false;
    std::printf("4 GiB non-archive refused in %.1f ms\n", AnswerMs(man, fake, &unpacked));
    std::printf("2 GiB zip bomb refused in %.1f ms\n", AnswerMs(man, bomb, &unpacked));

    // A stop while the big member unpacks: Cancel, and the manager's end (the program's close).
    for (const bool destroy : {false, true}) {
        auto stopped = std::make_unique<TZipMan>(temp);
        stopped->Prepare(big, 0, nullptr, {});
        WorstGap([start = QElapsedTimer()]() mutable {
            if (!start.isValid()) start.start();
            return start.elapsed() > 300;
        });
        QElapsedTimer clock;
        clock.start();
        if (destroy) {
            stopped.reset();
        } else {
            stopped->Cancel();
            stopped->ClosePackage();
            stopped.reset(); // waits for the worker to finish what it was told
        }
        std::printf("%s during an unpack: done in %.1f ms\n",
                    destroy ? "closing the manager" : "cancelling", double(clock.nsecsElapsed()) / 1e6);
    }
    return 0;
}
