#include "platform/desktop/desktopassociations.h"

QString TDesktopAssociations::DesktopId() { return QStringLiteral("tonaria.desktop"); }
QStringList TDesktopAssociations::MimeTypesFor(const QString &) { return {}; }
bool TDesktopAssociations::Supported(const QString &) { return false; }
QString TDesktopAssociations::CurrentDefault(const QString &) { return {}; }
bool TDesktopAssociations::IsTonariaDefault(const QString &) { return false; }
bool TDesktopAssociations::Associate(const QString &, QString *error)
{
    if (error) *error = QStringLiteral("Not supported by this build.");
    return false;
}
