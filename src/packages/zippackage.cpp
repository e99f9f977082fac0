#include "packages/zippackage.h"

#include "library/pathparts.h"
#include "library/titlecaption.h"
#include "packages/zipstreamerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

// Blanks and control characters do not make a name.
bool IsBlank(const QString &name)
{
    for (const QChar c : name)
        if (c.unicode() > u' ') return false;
    return true;
}

bool IsPackageName(QStringView name)
{
    return FileExtension(name).compare(u".zip", Qt::CaseInsensitive) == 0;
}

} // namespace

TZipPackage::TZipPackage(QString tempFolder, TZipLimits limits)
    : tempFolder_(std::move(tempFolder)), limits_(limits)
{
}

TZipPackage::~TZipPackage()
{
    CleanUp();
}

QString TZipPackage::NamePart(const QString &entry)
{
    return FileNamePart(entry).toString();
}

void TZipPackage::SetPackage(const QString &path)
{
    package_ = path;
    listed_ = false;
}

bool TZipPackage::OpenPackage(std::stop_token stop)
{
    CleanUp();
    ForgetEntries();

    directory_.Read(package_, stop);
    std::uint64_t declared = 0;
    for (const TZipDirectoryRecord &record : directory_.Records()) {
        const QString name = QString::fromUtf8(record.Name);
        const QString namePart = NamePart(name);
        if (IsBlank(namePart) || IsPackageName(namePart)) continue;
        entries_.append(name);
        storedNames_.append(record.Name);
        declared += record.UncompressedSize;
    }
    if (declared > limits_.MaxPackageSize) {
        ForgetEntries();
        throw EZipStreamError(QStringLiteral("Zip file too large to unpack"));
    }
    listed_ = true;
    if (!entries_.isEmpty()) currentIndex_ = 0;
    return !entries_.isEmpty();
}

void TZipPackage::ForgetEntries()
{
    listed_ = false;
    entries_.clear();
    storedNames_.clear();
    currentIndex_ = -1;
}

void TZipPackage::SetIndex(int index)
{
    currentIndex_ = index;
}

bool TZipPackage::UnpackCurrent(std::stop_token stop)
{
    CleanUp();
    lastError_ = QStringLiteral("no such member");
    if (currentIndex_ < 0 || currentIndex_ >= entries_.size()) return false;

    const QString namePart = NamePart(entries_[currentIndex_]);
    lastError_ = QStringLiteral("no plain file name");
    if (!TZipExtractor::IsPlainFileName(namePart)) return false;
    const int unpacked = extractor_.Extract(package_, storedNames_[currentIndex_], tempFolder_,
                                            namePart, limits_, stop);
    lastError_ = extractor_.LastError();
    const QString expected = QDir(tempFolder_).filePath(namePart);
    const QFileInfo info(expected);
    if (unpacked != 1 || !info.isFile() || info.isSymLink()) {
        if (lastError_.isEmpty()) lastError_ = QStringLiteral("member not unpacked");
        return false;
    }
    lastError_.clear();

    currentFile_ = expected;
    unpackedFiles_.append(expected);
    currentCaption_ = MakeTitleCaption(namePart, true);
    currentSubCaption_ = entries_[currentIndex_];
    return true;
}

void TZipPackage::ClosePackage()
{
    CleanUp();
    ForgetEntries();
}

QString TZipPackage::OpenTitle(const QString &path)
{
    SetPackage(path);
    if (!OpenPackage() || !UnpackCurrent()) throw EZipStreamError(QStringLiteral("Error"));
    return currentFile_;
}

void TZipPackage::CleanUp()
{
    // A file that is already gone is not an error.
    for (const QString &file : std::as_const(unpackedFiles_))
        QFile::remove(file);
    unpackedFiles_.clear();
    currentFile_.clear();
    currentCaption_.clear();
    currentSubCaption_.clear();
}
