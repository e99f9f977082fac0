#include "library/registryexport.h"

#include "platform/system/registrystore.h"
#include "platform/system/textdecoding.h"

namespace {

bool HasExportHeader(const QString &text)
{
    // The header is the first line that holds anything.
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = QStringView(text).mid(start, end - start).trimmed();
        if (!line.isEmpty()) {
            return line == QLatin1String("REGEDIT4") ||
                   line == QLatin1String("Windows Registry Editor Version 5.00");
        }
        start = end + 1;
    }
    return false;
}

} // namespace

bool ReadRegistryExport(const QString &path, TRegistryStore &store, QString &error)
{
    store.clear();
    QByteArray bytes;
    QString reason;
    if (!ReadWholeFile(path, TRegistryStore::kMaxFileSize, bytes, reason)) {
        error = QStringLiteral("Cannot read the file \"%1\": %2").arg(path, reason);
        return false;
    }
    if (!HasExportHeader(DecodeText(bytes))) {
        error = QStringLiteral("The file \"%1\" is not a registry export file.").arg(path);
        return false;
    }
    store.parse(bytes);
    return true;
}
