// tonaria-render: plays a media file through the media-control layer into a WAV file, as fast as
// the machine allows. The WAV holds exactly the medium's length (plus, with --tail, that many
// milliseconds of the synthesizer's release and reverb after the end).
//
//   tonaria-render [--rate 44100|48000] [--tail MS] [--] INPUT OUTPUT.wav
//   tonaria-render --help | --version

#include "tonaria/mci.h"

#include "platform/audio/renderaudiooutput.h"
#include "platform/mci/mcilayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <sndfile.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

const char *const kUsage =
    "Usage: tonaria-render [--rate 44100|48000] [--tail MS] [--] INPUT OUTPUT.wav\n"
    "Plays a MIDI or sound file through Tonaria's sound system into a WAV file, as fast as the\n"
    "machine allows.\n"
    "\n"
    "  --rate HZ     the sample rate of the WAV file: 44100 (the default) or 48000\n"
    "  --tail MS     keep this many milliseconds (up to 60000) of the release and reverb\n"
    "                after the end\n"
    "  -h, --help    show this help and end\n"
    "  --version     show the version and end\n"
    "  --            end the options, so that INPUT may begin with \"-\"\n"
    "\n"
    "Exit status: 0 when the file was rendered, 1 when it could not be opened, played or\n"
    "written, 2 for a wrong command line.\n";

int usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

int fail(MCIERROR error, const char *what)
{
    char text[300];
    mciGetErrorString(error, text, sizeof text);
    std::fprintf(stderr, "tonaria-render: %s: %s (error %u)\n", what, text, unsigned(error));
    return 1;
}

// Cuts the file to `frames` frames (the render thread may have gone on a little past the end).
bool truncateWav(const QString &path, std::int64_t frames)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_RDWR, &info);
    if (!file) return false;
    bool ok = true;
    if (info.frames > frames) {
        sf_count_t count = frames;
        ok = sf_command(file, SFC_FILE_TRUNCATE, &count, sizeof count) == 0;
    }
    sf_close(file);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    // The arguments are read as given: Qt takes none of them for itself.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int coreArgc = 1;
    QCoreApplication app(coreArgc, argv);
    int rate = TRenderAudioOutput::DefaultSampleRate;
    int tailMs = 0;
    while (!args.isEmpty() && args.first().startsWith(u'-')) {
        const QString option = args.takeFirst();
        if (option == QStringLiteral("--")) break;
        if (option == QStringLiteral("--help") || option == QStringLiteral("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (option == QStringLiteral("--version")) {
            std::fputs("tonaria-render " TONARIA_VERSION "\n", stdout);
            return 0;
        }
        if (args.isEmpty()) return usage();
        bool ok = false;
        const int value = args.takeFirst().toInt(&ok);
        if (option == QStringLiteral("--rate") && ok && (value == 44100 || value == 48000))
            rate = value;
        else if (option == QStringLiteral("--tail") && ok && value >= 0 && value <= 60000)
            tailMs = value;
        else
            return usage();
    }
    if (args.size() != 2) return usage();
    const QString input = args.at(0);
    const QString outputPath = args.at(1);

    QString error;
    std::unique_ptr<TRenderAudioOutput> created =
        TRenderAudioOutput::open(outputPath, &error, rate);
    if (!created) {
        std::fprintf(stderr, "tonaria-render: %s\n", qPrintable(error));
        return 1;
    }
    TRenderAudioOutput *output = created.get();
    TMciLayer &layer = TMciLayer::instance();
    layer.setAudioOutput(std::move(created));

    QElapsedTimer timer;
    timer.start();
    const QByteArray element = input.toUtf8();
    MCI_OPEN_PARMS open{};
    open.lpstrElementName = element.constData();
    MCIERROR result = mciSendCommand(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT,
                                     reinterpret_cast<std::uintptr_t>(&open));
    if (result != 0) return fail(result, qPrintable(input));
    const MCIDEVICEID id = open.wDeviceID;
    MCI_SET_PARMS set{0, MCI_FORMAT_MILLISECONDS, 0};
    mciSendCommand(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT,
                   reinterpret_cast<std::uintptr_t>(&set));
    MCI_STATUS_PARMS status{0, 0, MCI_STATUS_LENGTH, 0};
    result = mciSendCommand(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                            reinterpret_cast<std::uintptr_t>(&status));
    if (result != 0) return fail(result, "length");
    const auto lengthMs = std::int64_t(status.dwReturn);
    const double loadSeconds = timer.nsecsElapsed() / 1e9;

    MCI_PLAY_PARMS play{};
    result = mciSendCommand(id, MCI_PLAY, MCI_WAIT, reinterpret_cast<std::uintptr_t>(&play));
    if (result != 0) return fail(result, "play");

    const std::int64_t start = output->startFrame(layer.sourceOf(id));
    const std::int64_t wanted = lengthMs * rate / 1000 + std::int64_t(tailMs) * rate / 1000;
    // The tail: let the render thread go on past the end until it has made enough.
    while (tailMs > 0 && output->isRunning() && output->framesRendered() < start + wanted)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    mciSendCommand(id, MCI_CLOSE, MCI_WAIT, 0);
    output->stop();
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!output->errorString().isEmpty()) {
        std::fprintf(stderr, "tonaria-render: %s\n", qPrintable(output->errorString()));
        return 1;
    }
    if (!truncateWav(outputPath, std::max<std::int64_t>(start, 0) + wanted)) {
        std::fprintf(stderr, "tonaria-render: cannot trim %s\n", qPrintable(outputPath));
        return 1;
    }
    const double music = double(lengthMs) / 1000.0;
    std::printf("%s: %.3f s of sound rendered in %.3f s (%.3f s opening), %.1f times real time\n",
                qPrintable(input), music, seconds, loadSeconds,
                seconds > 0 ? music / seconds : 0.0);
    return 0;
}
