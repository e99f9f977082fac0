#include "packages/zipman.h"

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

TZipMan::TZipMan(QString tempFolder) : tempFolder_(std::move(tempFolder)) {}

TZipMan::~TZipMan()
{
    CleanUp();
}

QString TZipMan::NamePart(const QString &entry)
{
    return FileNamePart(entry).toString();
}

void TZipMan::SetPackage(const QString &path)
{
    package_ = path;
}

bool TZipMan::OpenPackage()
{
    currentIndex_ = -1;
    currentFile_.clear();
    currentCaption_.clear();
    currentSubCaption_.clear();
    entries_.clear();
    storedNames_.clear();

    directory_.Read(package_);
    for (const TZipDirectoryRecord &record : directory_.Records()) {
        const QString name = QString::fromUtf8(record.Name);
        const QString namePart = NamePart(name);
        if (IsBlank(namePart) || IsPackageName(namePart)) continue;
        entries_.append(name);
        storedNames_.append(record.Name);
    }
    if (!entries_.isEmpty()) currentIndex_ = 0;
    return !entries_.isEmpty();
}

void TZipMan::SetIndex(int index)
{
    currentIndex_ = index;
}

bool TZipMan::UnpackCurrent()
{
    CleanUp();
    if (currentIndex_ < 0 || currentIndex_ >= entries_.size()) return false;

    const QString namePart = NamePart(entries_[currentIndex_]);
    if (!TZipExtractor::IsPlainFileName(namePart)) return false;
    const int unpacked =
        extractor_.Extract(package_, storedNames_[currentIndex_], tempFolder_, namePart);
    const QString expected = QDir(tempFolder_).filePath(namePart);
    const QFileInfo info(expected);
    if (unpacked != 1 || !info.isFile() || info.isSymLink()) return false;

    currentFile_ = expected;
    unpackedFiles_.append(expected);
    currentCaption_ = MakeTitleCaption(namePart, true);
    currentSubCaption_ = entries_[currentIndex_];
    return true;
}

void TZipMan::ClosePackage()
{
    CleanUp();
    entries_.clear();
    storedNames_.clear();
    currentIndex_ = -1;
}

QString TZipMan::OpenTitle(const QString &path)
{
    SetPackage(path);
    if (!OpenPackage() || !UnpackCurrent()) throw EZipStreamError(QStringLiteral("Error"));
    return currentFile_;
}

void TZipMan::CleanUp()
{
    // A file that is already gone is not an error.
    for (const QString &file : std::as_const(unpackedFiles_))
        QFile::remove(file);
    unpackedFiles_.clear();
    currentFile_.clear();
    currentCaption_.clear();
    currentSubCaption_.clear();
}
