// The program's entry: a first start becomes the running instance (splash, station, event loop);
// a second start hands its command line to the running one and ends.
#include "core/commandline.h"
#include "core/handoffreceiver.h"
#include "core/singleinstance.h"
#include "platform/audio/audiooutput.h"
#include "platform/mci/mcilayer.h"
#include "platform/midi/synthpool.h"
#include "platform/system/instancelock.h"
#include "platform/system/messageservice.h"
#include "platform/system/terminationsignals.h"
#include "platform/ui/qtmessageservice.h"
#include "presentation/tfsplash.h"
#include "presentation/tfstation.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// A skinned window places itself, which a native Wayland desktop does not allow: there the
// program runs on X11 through XWayland when it can. A platform the user chose stays.
void ChoosePlatform()
{
    if (std::getenv("QT_QPA_PLATFORM")) return;
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    const char *x11 = std::getenv("DISPLAY");
    if (wayland && *wayland && x11 && *x11) qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace

int main(int argc, char *argv[])
{
    // The command line is read before Qt takes out the options it knows: a file may be called
    // "-style".
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const TCommandLine commandLine = ParseCommandLine(arguments, QDir::currentPath());

    ChoosePlatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tonaria"));
    QApplication::setQuitOnLastWindowClosed(false);

    // On a real desktop message boxes are windows; headless runs answer them on the console.
    TQtMessageService boxes;
    const QString platform = QGuiApplication::platformName();
    const bool headless =
        platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    if (!headless) setMessageService(&boxes);

    TSingleInstance instance(PrepareInstanceFolder(), messageService());
    switch (instance.start(commandLine)) {
    case TSingleInstance::First:
        break;
    case TSingleInstance::HandedOff:
    case TSingleInstance::NothingToDo:
        return 0;
    case TSingleInstance::Failed:
        std::fprintf(stderr, "tonaria: %s\n", qUtf8Printable(instance.errorString()));
        return 1;
    }

    // The synthesizer and its SoundFont load in the background while the program starts, so
    // that the first title does not wait for them.
    if (TAudioOutput *output = TMciLayer::instance().audioOutput())
        TSynthPool::shared().prepare(output->sampleRate());

    // Termination signals close the program as "Exit" does.
    TTerminationSignals terminationSignals;

    std::unique_ptr<TfSplash> splash = headless ? nullptr : std::make_unique<TfSplash>();
    const QScreen *screen = QGuiApplication::primaryScreen();
    auto station = std::make_unique<TfStation>(QCoreApplication::applicationFilePath(),
                                               screen ? screen->depth() : 24);
    TJukebox &jukebox = station->Jukebox();
    QObject::connect(&jukebox, &TJukebox::statusChanged, [&splash](const QString &text) {
        if (splash) splash->SetStatus(text);
    });
    QObject::connect(&jukebox, &TJukebox::started, [&splash] { splash.reset(); });
    QObject::connect(&jukebox, &TJukebox::closing, [&instance] { instance.closeChannel(); });
    terminationSignals.OnSignal = [&station](int) { station->CloseForSignal(); };
    // Second starts are answered from here on; what they ask waits for the event loop.
    THandoffReceiver receiver(jukebox);
    instance.attach(receiver);
    station->StartUp(commandLine);
    QTimer::singleShot(0, station.get(), &TfStation::FirstShow);
    const int status = app.exec();
    station.reset();
    instance.release();
    return status;
}
