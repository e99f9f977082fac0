#include "platform/desktop/desktopassociations.h"

#include "desktopfiles.h"
#include "platform/desktop/mimeappslist.h"
#include "platform/system/atomicfile.h"
#include "platform/system/textdecoding.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

const QString kDefaultGroup = QStringLiteral("Default Applications");
const QString kAddedGroup = QStringLiteral("Added Associations");
const QString kRemovedGroup = QStringLiteral("Removed Associations");
const QString kMimePackageName = QStringLiteral("tonaria.xml");
// The types of the MIME package of our own: the system does not know them.
const QStringList kOwnTypes = {QStringLiteral("audio/x-rmi")};
constexpr qint64 kListLimit = 4 * 1024 * 1024;
// update-mime-database over the user's own few packages takes well under a second.
constexpr int kDatabaseWaitMs = 5000;

struct TFileType {
    const char *extensions; // blank-separated
    QStringList types;      // the canonical type first, then its aliases
    bool playable;
};

const QList<TFileType> &FileTypes()
{
    static const QList<TFileType> types = {
        {"wav", {QStringLiteral("audio/x-wav"), QStringLiteral("audio/wav")}, true},
        {"mid midi kar", {QStringLiteral("audio/midi"), QStringLiteral("audio/x-midi")}, true},
        {"rmi", {QStringLiteral("audio/x-rmi")}, true},
        {"aif aiff", {QStringLiteral("audio/x-aiff")}, true},
        {"flac", {QStringLiteral("audio/flac")}, true},
        {"ogg oga", {QStringLiteral("audio/ogg"), QStringLiteral("audio/x-vorbis+ogg")}, true},
        {"opus", {QStringLiteral("audio/x-opus+ogg")}, true},
        {"mp3", {QStringLiteral("audio/mpeg")}, true},
        {"zip", {QStringLiteral("application/zip")}, true},
        {"avi", {QStringLiteral("video/x-msvideo"), QStringLiteral("video/avi")}, false},
    };
    return types;
}

const TFileType *FindFileType(QString extension)
{
    if (extension.startsWith(u'.')) extension.remove(0, 1);
    extension = extension.toLower();
    if (extension.isEmpty()) return nullptr;
    for (const TFileType &type : FileTypes())
        if (QString::fromLatin1(type.extensions).split(u' ').contains(extension)) return &type;
    return nullptr;
}

// The XDG base folders; a relative path in a variable is ignored, as the rules ask.
QString HomeFolder(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QDir::homePath() + fallback;
}

QStringList FolderList(const char *variable, const QStringList &fallback)
{
    QStringList folders;
    for (const QString &folder : qEnvironmentVariable(variable).split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder)) folders.append(QDir::cleanPath(folder));
    return folders.isEmpty() ? fallback : folders;
}

QString ConfigHome()
{
    return HomeFolder("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}
QString DataHome()
{
    return HomeFolder("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}
QStringList ConfigDirs()
{
    return FolderList("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")});
}
QStringList DataDirs()
{
    return FolderList("XDG_DATA_DIRS",
                      {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
}
QStringList AllDataDirs()
{
    return QStringList{DataHome()} + DataDirs();
}

// The desktops of the session, in lower case, most specific first: their own lists come
// before the common one.
QStringList DesktopPrefixes()
{
    QStringList prefixes;
    for (const QString &desktop :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        prefixes.append(desktop.toLower() + u'-');
    prefixes.append(QString());
    return prefixes;
}

TMimeAppsList ReadList(const QString &path)
{
    QByteArray bytes;
    QString reason;
    if (!QFileInfo(path).isFile() || !ReadWholeFile(path, kListLimit, bytes, reason))
        return TMimeAppsList();
    return TMimeAppsList(bytes);
}

// Where an installed desktop entry of this id lives, "" when none: the user's folder first.
QString FindDesktopEntry(const QString &id)
{
    for (const QString &folder : AllDataDirs()) {
        const QString path = folder + QStringLiteral("/applications/") + id;
        if (QFileInfo(path).isFile()) return path;
    }
    return {};
}

QString FirstInstalled(const QStringList &ids)
{
    for (const QString &id : ids)
        if (id.endsWith(QLatin1String(".desktop")) && !id.contains(u'/') &&
            !FindDesktopEntry(id).isEmpty())
            return id;
    return {};
}

QString ProgramPath()
{
    const QString path = QCoreApplication::instance()
                             ? QCoreApplication::applicationFilePath()
                             : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return path;
}

// The value of a key of a desktop entry's main group with the string escapes undone.
QString EntryValue(const QString &text, const QString &key)
{
    bool inMain = false;
    for (const QString &line : SplitTextLines(text)) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[')) {
            inMain = trimmed == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMain || !trimmed.startsWith(key)) continue;
        const QString rest = trimmed.mid(key.size()).trimmed();
        if (!rest.startsWith(u'=')) continue;
        const QString raw = rest.mid(1).trimmed();
        QString value;
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] != u'\\' || i + 1 == raw.size()) {
                value += raw[i];
                continue;
            }
            const QChar next = raw[++i];
            value += next == u's'   ? QChar(u' ')
                     : next == u'n' ? QChar(u'\n')
                     : next == u't' ? QChar(u'\t')
                     : next == u'r' ? QChar(u'\r')
                                    : next;
        }
        return value;
    }
    return {};
}

// The program an Exec line starts: its first word, unquoted.
QString ExecProgram(const QString &exec)
{
    QString program;
    if (exec.startsWith(u'"')) {
        for (qsizetype i = 1; i < exec.size() && exec[i] != u'"'; ++i) {
            if (exec[i] == u'\\' && i + 1 < exec.size()) ++i;
            program += exec[i];
        }
        return program;
    }
    return exec.section(u' ', 0, 0);
}

QString CanonicalProgram(const QString &program)
{
    if (program.isEmpty()) return {};
    const QString path = program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

// The program as the first word of an Exec line: quoted when it holds a character the line
// reserves, with the characters a quoted word escapes escaped, and a percent sign doubled.
QString ExecWord(const QString &program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString word;
    bool quote = false;
    for (const QChar c : program) {
        if (reserved.contains(c)) quote = true;
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') word += u'\\';
        word += c;
    }
    word.replace(u'%', QStringLiteral("%%"));
    return quote ? u'"' + word + u'"' : word;
}

// A string value as a desktop entry writes it.
QString EscapeValue(const QString &value)
{
    QString escaped;
    for (const QChar c : value) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

// The user's desktop entry, written when the entry the desktop would use is missing or starts
// another program than this one.
bool EnsureDesktopEntry(QString *error)
{
    const QString program = ProgramPath();
    const QString inUse = FindDesktopEntry(TDesktopAssociations::DesktopId());
    if (!inUse.isEmpty()) {
        QString text, reason;
        if (ReadTextFile(inUse, kListLimit, text, reason)) {
            const QString exec = EntryValue(text, QStringLiteral("Exec"));
            const QString target = CanonicalProgram(ExecProgram(exec));
            if (!target.isEmpty() && target == QFileInfo(program).canonicalFilePath() &&
                exec.contains(QLatin1String("%f")))
                return true;
        }
    }
    const QString folder = DataHome() + QStringLiteral("/applications");
    const QString path = folder + u'/' + TDesktopAssociations::DesktopId();
    QString reason;
    if (!QDir().mkpath(folder) ||
        !WriteFileAtomically(path, TDesktopAssociations::DesktopEntryFor(program), reason)) {
        if (error)
            *error =
                QStringLiteral("The desktop entry %1 could not be written: %2")
                    .arg(QDir::toNativeSeparators(path),
                         reason.isEmpty() ? QStringLiteral("cannot create the folder") : reason);
        return false;
    }
    return true;
}

// Makes the types open with Tonaria in one mimeapps.list: first among the defaults and the
// added associations, no longer among the removed ones. Every other line stays.
bool SetDefaultsIn(const QString &path, const QStringList &types, bool onlyWhereNamed,
                   QString *error)
{
    QByteArray bytes;
    QString reason;
    if (QFileInfo::exists(path) && !ReadWholeFile(path, kListLimit, bytes, reason)) {
        if (error)
            *error = QStringLiteral("%1 could not be read: %2")
                         .arg(QDir::toNativeSeparators(path), reason);
        return false;
    }
    TMimeAppsList list(bytes);
    const QString id = TDesktopAssociations::DesktopId();
    bool changed = false;
    for (const QString &type : types) {
        if (onlyWhereNamed && !list.Has(kDefaultGroup, type)) continue;
        for (const QString &group : {kDefaultGroup, kAddedGroup}) {
            QStringList ids = list.Values(group, type);
            if (!ids.isEmpty() && ids.first() == id && list.Has(group, type)) continue;
            ids.removeAll(id);
            ids.prepend(id);
            list.SetValues(group, type, ids);
            changed = true;
        }
        QStringList removed = list.Values(kRemovedGroup, type);
        if (removed.removeAll(id) > 0) {
            list.SetValues(kRemovedGroup, type, removed);
            changed = true;
        }
    }
    if (!changed) return true;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) ||
        !WriteFileAtomically(path, list.Text(), reason)) {
        if (error)
            *error =
                QStringLiteral("%1 could not be written: %2")
                    .arg(QDir::toNativeSeparators(path),
                         reason.isEmpty() ? QStringLiteral("cannot create the folder") : reason);
        return false;
    }
    return true;
}

// Whether the system's own MIME database already has our package.
bool SystemHasMimePackage()
{
    for (const QString &folder : DataDirs())
        if (QFileInfo(folder + QStringLiteral("/mime/packages/") + kMimePackageName).isFile())
            return true;
    return false;
}

bool UserDatabaseKnows(const QString &mimeFolder, const QStringList &types)
{
    QString text, reason;
    if (!ReadTextFile(mimeFolder + QStringLiteral("/types"), kListLimit, text, reason))
        return false;
    const QStringList known = SplitTextLines(text);
    for (const QString &type : types)
        if (!known.contains(type)) return false;
    return true;
}

// Gives the user's MIME database the types of our own package.
bool EnsureMimePackage(QString *error)
{
    if (SystemHasMimePackage()) return true;
    const QString mimeFolder = DataHome() + QStringLiteral("/mime");
    const QString packages = mimeFolder + QStringLiteral("/packages");
    const QString path = packages + u'/' + kMimePackageName;
    const QByteArray package(kMimePackage);
    QByteArray present;
    QString reason;
    const bool current = QFileInfo(path).isFile() &&
                         ReadWholeFile(path, kListLimit, present, reason) && present == package;
    if (!current && (!QDir().mkpath(packages) || !WriteFileAtomically(path, package, reason))) {
        if (error)
            *error =
                QStringLiteral("The file type description %1 could not be written: %2")
                    .arg(QDir::toNativeSeparators(path),
                         reason.isEmpty() ? QStringLiteral("cannot create the folder") : reason);
        return false;
    }
    if (current && UserDatabaseKnows(mimeFolder, kOwnTypes)) return true;

    QProcess update;
    update.setProcessChannelMode(QProcess::MergedChannels);
    update.start(QStringLiteral("update-mime-database"), {mimeFolder});
    QString failure;
    if (!update.waitForStarted(kDatabaseWaitMs))
        failure = QStringLiteral("update-mime-database could not be started (%1); is "
                                 "shared-mime-info installed?")
                      .arg(update.errorString());
    else if (!update.waitForFinished(kDatabaseWaitMs)) {
        update.kill();
        update.waitForFinished(1000);
        failure = QStringLiteral("update-mime-database did not finish in time");
    } else if (update.exitStatus() != QProcess::NormalExit || update.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(update.readAll()).trimmed();
        failure = QStringLiteral("update-mime-database failed") +
                  (said.isEmpty() ? QString() : QStringLiteral(": ") + said.left(300));
    }
    if (failure.isEmpty()) return true;
    if (error)
        *error = QStringLiteral("Tonaria is now the default for these files, but the desktop "
                                "will recognise them only once its file type database is "
                                "updated: %1")
                     .arg(failure);
    return false;
}

} // namespace

QString TDesktopAssociations::DesktopId()
{
    return QStringLiteral("tonaria.desktop");
}

QStringList TDesktopAssociations::MimeTypesFor(const QString &extension)
{
    const TFileType *type = FindFileType(extension);
    return type ? type->types : QStringList();
}

bool TDesktopAssociations::Supported(const QString &extension)
{
    const TFileType *type = FindFileType(extension);
    return type && type->playable;
}

QString TDesktopAssociations::CurrentDefault(const QString &extension)
{
    const QStringList types = MimeTypesFor(extension);
    if (types.isEmpty()) return {};
    QStringList folders = QStringList{ConfigHome()} + ConfigDirs();
    for (const QString &folder : AllDataDirs())
        folders.append(folder + QStringLiteral("/applications"));
    const QStringList prefixes = DesktopPrefixes();
    for (const QString &folder : folders)
        for (const QString &prefix : prefixes) {
            const TMimeAppsList list =
                ReadList(folder + u'/' + prefix + QStringLiteral("mimeapps.list"));
            for (const QString &type : types) {
                const QString found = FirstInstalled(list.Values(kDefaultGroup, type));
                if (!found.isEmpty()) return found;
            }
        }
    // No default chosen: the system's cached choice, as the desktop falls back to it.
    for (const QString &folder : AllDataDirs())
        for (const auto &[name, group] :
             {std::pair{QStringLiteral("defaults.list"), kDefaultGroup},
              std::pair{QStringLiteral("mimeinfo.cache"), QStringLiteral("MIME Cache")}}) {
            const TMimeAppsList list = ReadList(folder + QStringLiteral("/applications/") + name);
            for (const QString &type : types) {
                const QString found = FirstInstalled(list.Values(group, type));
                if (!found.isEmpty()) return found;
            }
        }
    return {};
}

bool TDesktopAssociations::IsTonariaDefault(const QString &extension)
{
    return Supported(extension) && CurrentDefault(extension) == DesktopId();
}

bool TDesktopAssociations::Associate(const QString &extension, QString *error)
{
    const TFileType *type = FindFileType(extension);
    QString shown = extension.startsWith(u'.') ? extension : u'.' + extension;
    if (!type) {
        if (error) *error = QStringLiteral("Tonaria does not know \"%1\" files.").arg(shown);
        return false;
    }
    if (!type->playable) {
        if (error)
            *error = QStringLiteral("\"%1\" files are not supported by this build: Tonaria "
                                    "plays no video.")
                         .arg(shown);
        return false;
    }
    if (!EnsureDesktopEntry(error)) return false;
    // The user's list, and a list of the session's own desktop that names a default of its
    // own for one of the types: it is read first and would keep the old choice.
    const QString configHome = ConfigHome();
    if (!SetDefaultsIn(configHome + QStringLiteral("/mimeapps.list"), type->types, false, error))
        return false;
    for (const QString &prefix : DesktopPrefixes()) {
        const QString path = configHome + u'/' + prefix + QStringLiteral("mimeapps.list");
        if (!prefix.isEmpty() && QFileInfo(path).isFile() &&
            !SetDefaultsIn(path, type->types, true, error))
            return false;
    }
    bool own = false;
    for (const QString &mime : type->types)
        own = own || kOwnTypes.contains(mime);
    return !own || EnsureMimePackage(error);
}

QByteArray TDesktopAssociations::DesktopEntryFor(const QString &program)
{
    const QString exec = EscapeValue(ExecWord(program)) + QStringLiteral(" /Play /Close %f");
    QStringList lines = SplitTextLines(QString::fromUtf8(kInstalledDesktopEntry));
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.startsWith(QLatin1String("Exec=")))
            line = QStringLiteral("Exec=") + exec;
        else if (line.startsWith(QLatin1String("TryExec=")))
            line = QStringLiteral("TryExec=") + EscapeValue(program);
    }
    return (lines.join(u'\n') + u'\n').toUtf8();
}
