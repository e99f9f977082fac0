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
    line.hasArguments = !arguments.isEmpty();
    for (const QString &argument : arguments) {
        if (argument.isEmpty()) continue;
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
