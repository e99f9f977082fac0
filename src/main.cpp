// The program's entry: a first start becomes the running instance (splash, station, event loop);
// a second start hands its command line to the running one and ends.
#include "core/commandline.h"
#include "core/devicelisting.h"
#include "core/handoffreceiver.h"
#include "core/singleinstance.h"
#include "platform/audio/audiooutput.h"
#include "platform/mci/mcilayer.h"
#include "platform/midi/synthpool.h"
#include "platform/mpris/mprisservice.h"
#include "platform/system/displayprobe.h"
#include "platform/system/instancelock.h"
#include "platform/system/messageservice.h"
#include "platform/system/terminationsignals.h"
#include "platform/ui/qtmessageservice.h"
#include "presentation/tfsplash.h"
#include "presentation/tfstation.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// A skinned window places itself, which a native Wayland desktop does not allow: there the
// program runs on X11 through XWayland when it can. A platform the user chose stays.
void ChoosePlatform(TDisplayProbe &probe)
{
    const char *chosen = std::getenv("QT_QPA_PLATFORM");
    if (chosen && *chosen) return;
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    const char *x11 = std::getenv("DISPLAY");
    if (wayland && *wayland && x11 && *x11 && probe.XReachable()) qputenv("QT_QPA_PLATFORM", "xcb");
}

// Headless, the windows still exist without a screen; what the offscreen platform cannot do
// for them (raise, masks) is no news to the user, so its complaints stay off the console.
QtMessageHandler previousHandler = nullptr;

void QuietOffscreenHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg && text.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (previousHandler) previousHandler(type, context, text);
}

} // namespace

int main(int argc, char *argv[])
{
    // The command line is the program's own: Qt is given none of it, so that a file after "--"
    // may be called "-style" or "-platform".
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const TCommandLine commandLine = ParseCommandLine(arguments, QDir::currentPath());

    // Requests that are answered on the console, without the jukebox or a running instance.
    switch (commandLine.request) {
    case TCommandLine::Run:
        break;
    case TCommandLine::Help:
        std::fputs(qUtf8Printable(CommandLineUsage()), stdout);
        return 0;
    case TCommandLine::Version:
        std::fputs(qUtf8Printable(CommandLineVersion()), stdout);
        return 0;
    case TCommandLine::UnknownOption:
        std::fprintf(stderr, "tonaria: unknown option \"%s\"\n%s",
                     qUtf8Printable(commandLine.unknownOption), qUtf8Printable(CommandLineUsage()));
        return 2;
    case TCommandLine::Devices: {
        int coreArgc = 1;
        QCoreApplication core(coreArgc, argv);
        std::fputs(qUtf8Printable(ListPlayerDevices()), stdout);
        return 0;
    }
    }

    // Without a display Qt would abort; the jukebox plays on without windows instead.
    TDisplayProbe displayProbe;
    if (displayProbe.ChooseHeadless()) {
        std::fputs("tonaria: no X or Wayland display can be reached; playing without windows\n",
                   stderr);
        previousHandler = qInstallMessageHandler(QuietOffscreenHandler);
    } else
        ChoosePlatform(displayProbe);

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    displayProbe.Release();
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
    // The desktop's media controls reach the jukebox when there is a session bus.
    auto mpris = std::make_unique<TMprisService>(jukebox);
    mpris->Start();
    QTimer::singleShot(0, station.get(), &TfStation::FirstShow);
    const int status = app.exec();
    mpris.reset();
    station.reset();
    instance.release();
    return status;
}
