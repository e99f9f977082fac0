#include "platform/midi/soundfontlocator.h"

QString TSoundFontLocator::locate()
{
    return {};
}
QString TSoundFontLocator::locate(const QString &, const QString &)
{
    return {};
}
