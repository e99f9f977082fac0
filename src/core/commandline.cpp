#include "core/commandline.h"

#include "platform/system/asciicase.h"

#include <QDir>

#include <algorithm>

namespace {

bool hasItem(const std::vector<TCommandLineItem> &items, TCommandLineItem::TKind kind)
{
    return std::any_of(items.begin(), items.end(),
                       [kind](const TCommandLineItem &item) { return item.kind == kind; });
}

// "/" and a name of letters and digits ("/play", "/Close", "/loop", a lone "/"). Anything
// else that begins with "/" is an absolute path: "/home/me/song.mid" is a file, not an option.
bool isOption(const QString &argument)
{
    if (argument.front() != u'/') return false;
    for (qsizetype i = 1; i < argument.size(); ++i) {
        const char16_t c = argument[i].unicode();
        const bool alnum =
            (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (!alnum) return false;
    }
    return true;
}

// The request a dash option makes; UnknownOption for every option not known.
TCommandLine::TRequest dashRequest(const QString &argument)
{
    if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
        return TCommandLine::Help;
    if (argument == QLatin1String("--version")) return TCommandLine::Version;
    if (argument == QLatin1String("--devices")) return TCommandLine::Devices;
    return TCommandLine::UnknownOption;
}

} // namespace

QStringList TCommandLine::files() const
{
    QStringList out;
    for (const auto &item : items)
        if (item.kind == TCommandLineItem::File) out.append(item.fileName);
    return out;
}

bool TCommandLine::play() const
{
    return hasItem(items, TCommandLineItem::Play);
}

bool TCommandLine::close() const
{
    return hasItem(items, TCommandLineItem::Close);
}

TCommandLine ParseCommandLine(const QStringList &arguments, const QString &workingFolder)
{
    const QDir folder(workingFolder);
    TCommandLine line;
    bool dashOptions = true;
    for (const QString &argument : arguments) {
        if (dashOptions && argument == QLatin1String("--")) {
            dashOptions = false;
            continue;
        }
        line.hasArguments = true;
        if (argument.isEmpty()) continue;
        if (dashOptions && argument.front() == u'-') {
            const TCommandLine::TRequest request = dashRequest(argument);
            if (request == TCommandLine::UnknownOption) {
                if (line.request != TCommandLine::UnknownOption) line.unknownOption = argument;
                line.request = TCommandLine::UnknownOption;
            } else if (line.request == TCommandLine::Run) {
                line.request = request;
            }
            continue;
        }
        if (isOption(argument)) {
            const QStringView name = QStringView(argument).mid(1);
            // Only ASCII letters fold: "/PLAY" is "/play", a look-alike letter is not.
            if (SameAsciiNoCase(name, u"play"))
                line.items.push_back({TCommandLineItem::Play, {}});
            else if (SameAsciiNoCase(name, u"close"))
                line.items.push_back({TCommandLineItem::Close, {}});
            continue;
        }
        const bool relative = !workingFolder.isEmpty() && QDir::isRelativePath(argument);
        line.items.push_back(
            {TCommandLineItem::File,
             relative ? QDir::cleanPath(folder.absoluteFilePath(argument)) : argument});
    }
    return line;
}

QString CommandLineUsage()
{
    return QStringLiteral(
        "Usage: tonaria [OPTION]... [/play] [/close] [FILE]...\n"
        "Tonaria, a MIDI jukebox. The files named go into the \"Temporary\" album; when Tonaria\n"
        "is running already, they and the switches are handed to it.\n"
        "\n"
        "  /play          start playing once the files are in\n"
        "  /close         close Tonaria when the title being played ends\n"
        "  -h, --help     show this help and end\n"
        "  --version      show the version and end\n"
        "  --devices      list the playback devices (device name, product name, whether it\n"
        "                 opens files) and end; an album binds a title to a device by its name\n"
        "  --             end the options: every argument after it that is no switch is a file,\n"
        "                 even one beginning with \"-\"\n"
        "\n"
        "Environment:\n"
        "  TONARIA_HOME       the program folder (albums, languages, themes, plug-ins)\n"
        "  TONARIA_CONFIG     the preferences file instead of ~/.config/tonaria/registry.reg\n"
        "  TONARIA_AUDIO      sdl (the sound card, the default), null (no sound) or wav:PATH\n"
        "                     (the sound is written to a WAV file)\n"
        "  TONARIA_SOUNDFONT  the SoundFont (.sf2) for MIDI files\n"
        "\n"
        "When no X or Wayland display can be reached, Tonaria plays without windows.\n"
        "Exit status: 0 when all went well, 1 when Tonaria could not start, 2 for an unknown\n"
        "option.\n");
}

QString CommandLineVersion()
{
    return QStringLiteral("Tonaria " TONARIA_VERSION "\n");
}
