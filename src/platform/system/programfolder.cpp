#include "platform/system/programfolder.h"

#include "platform/system/atomicfile.h"
#include "platform/system/installlayout.h"
#include "platform/system/textdecoding.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(u'/')) folder += u'/';
    return folder;
}

// Copies a file through a temporary file in the target's folder, so that a target is either
// whole or absent (or still the old copy). The shipped files are small. The copy is not flushed
// by itself: the seeding flushes the disk once, before it records what it gave.
QString copyFile(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) return in.errorString();
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) return in.errorString();
    if (!QDir().mkpath(QFileInfo(to).absolutePath()))
        return QStringLiteral("cannot create the folder");
    QString reason;
    return WriteFileAtomically(to, bytes, reason, -1, false) ? QString() : reason;
}

// What a file holds, as a SHA-256 in hexadecimal; empty when it cannot be read.
QByteArray ContentHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return {};
    return hash.result().toHex();
}

// The shipped files as the program gave them before it kept a record of them: a program
// folder that holds one of these unchanged has a copy the user never touched.
const QSet<QByteArray> &EarlierShippedHashes()
{
    static const QSet<QByteArray> hashes = {
        "9b8bc83e7ef8eaddaab1546ae4413d20a31767142342aeb4013b8129b66feb80", // Lang/English.tlg
        "d339f4d45df0947efba50a1ac5b2f6a80159bb3af4122edbc9daf817c206aa54", // mci.ini
        "68b16cd573f39949663cb86fd00819a794d4d91db8e9931da515c485c6dc6ca3", // Reset/GM Reset.mid
        "26487a92e29d59b609f14782ba60ea3577f8f4b0ae6b4e74e2e4ed2ff14a3eb8", // Reset/GS Reset.mid
        "658380cec7555235bad33169a56403218959da85971c78ca1bbc3ef42a6f63b4", // Reset/XG Reset.mid
        "73f830d0103704a77d34765cb981d556b2252cb0343a22063774ebfc089a5634", // Help/index.html
    };
    return hashes;
}

// The record: one line per file, its hash, a blank and its name relative to the folder.
QHash<QString, QByteArray> ReadShippedRecord(const QString &path)
{
    QHash<QString, QByteArray> record;
    QString text, reason;
    if (!ReadTextFile(path, 1024 * 1024, text, reason)) return record;
    for (const QString &line : SplitTextLines(text)) {
        const qsizetype blank = line.indexOf(u' ');
        if (blank > 0) record.insert(line.mid(blank + 1), line.left(blank).toLatin1());
    }
    return record;
}

bool WriteShippedRecord(const QString &path, const QHash<QString, QByteArray> &record)
{
    QStringList names = record.keys();
    names.sort();
    QByteArray text;
    for (const QString &name : names)
        text += record.value(name) + ' ' + name.toUtf8() + "\r\n";
    QString reason;
    return WriteFileAtomically(path, text, reason);
}

} // namespace

QString LocateProgramFolder(const QString &executableFolder)
{
    const QString home = qEnvironmentVariable("TONARIA_HOME");
    if (!home.isEmpty()) return withSlash(QDir(home).absolutePath());
    if (!executableFolder.isEmpty() &&
        QFileInfo(withSlash(executableFolder) + QStringLiteral("Lang/English.tlg")).isFile())
        return withSlash(QDir(executableFolder).absolutePath());
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return withSlash(data) + QStringLiteral("tonaria/");
}

QString ShippedDataFolder()
{
    // An installed program ships from its share folder; one in a build tree from the sources.
    const QString installed = InstalledDataFolder();
    return installed.isEmpty() ? withSlash(QStringLiteral(TONARIA_DATA_DIR)) : installed;
}

bool IsFirstStartFile(const QString &relativeName)
{
    return relativeName.startsWith(QLatin1String("Albums/")) ||
           relativeName.startsWith(QLatin1String("Demo/"));
}

TSeedResult SeedProgramFolder(const QString &programFolder, const QString &shippedFolder)
{
    TSeedResult result;
    const QFileInfo shipped(shippedFolder);
    if (!shipped.isDir()) return result;
    const QString target = withSlash(programFolder);
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && targetInfo.canonicalFilePath() == shipped.canonicalFilePath())
        return result;

    // The demo album and its pieces are a first start's welcome: a program folder that already
    // has an albums folder has a library of its own, and an album the user deleted stays gone.
    const bool firstStart = !QFileInfo(target + QStringLiteral("Albums")).exists();

    const QString recordPath = target + QLatin1String(kShippedRecordName);
    QHash<QString, QByteArray> record = ReadShippedRecord(recordPath);
    const QHash<QString, QByteArray> recordAtStart = record;

    const QDir source(shippedFolder);
    QDirIterator it(shippedFolder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString name = source.relativeFilePath(from);
        if (!firstStart && IsFirstStartFile(name)) continue;
        const QString to = target + name;
        const QFileInfo existing(to);
        const QByteArray shippedHash = ContentHash(from);
        bool replace = false;
        if (existing.exists() || existing.isSymLink()) {
            // A first start's file is the user's from the moment it is given.
            if (IsFirstStartFile(name) || existing.isSymLink() || !existing.isFile()) continue;
            const QByteArray present = ContentHash(to);
            if (present.isEmpty() || shippedHash.isEmpty()) continue;
            if (present == shippedHash) {
                record.insert(name, shippedHash);
                continue;
            }
            const auto given = record.constFind(name);
            // No shipped file is empty: an empty one the record does not know is a copy that a
            // crash cut short before the disk was flushed.
            const bool asShipped = given != record.cend()
                                       ? *given == present
                                       : EarlierShippedHashes().contains(present) ||
                                             existing.size() == 0;
            if (!asShipped) continue; // the user changed it: it stays
            replace = true;
        }
        const QString why = copyFile(from, to);
        if (!why.isEmpty()) {
            result.failed.append(name + QStringLiteral(": ") + why);
            continue;
        }
        (replace ? result.updated : result.copied).append(name);
        if (!shippedHash.isEmpty()) record.insert(name, shippedHash);
    }
    if (!result.copied.isEmpty() || !result.updated.isEmpty()) FlushFileSystemOf(target);
    if (record != recordAtStart && !WriteShippedRecord(recordPath, record))
        result.failed.append(QLatin1String(kShippedRecordName));
    result.copied.sort();
    result.updated.sort();
    return result;
}
