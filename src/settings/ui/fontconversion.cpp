#include "settings/ui/fontconversion.h"

QFont FontFromPref(const TFontPref &pref)
{
    QFont font(pref.Name);
    if (pref.Size > 0) font.setPointSize(pref.Size);
    font.setBold(pref.Bold);
    font.setItalic(pref.Italic);
    return font;
}

TFontPref FontToPref(const QFont &font)
{
    // A font sized in pixels has no point size: take the pixels at 96 dots per inch.
    int size = font.pointSize();
    if (size <= 0) size = qMax(1, qRound(font.pixelSize() * 0.75));
    return TFontPref{font.family(), size, font.bold(), font.italic()};
}
