#pragma once
// The glyphs of the shipped themes, drawn as vector shapes: one per button of the skinned
// windows, light on a transparent ground so that any face shows through.
#include <QColor>
#include <QImage>
#include <QString>

// The glyph of a button by its name ("bbPlay", "bb7", ...), of that size and colour. The
// bottom-left pixel is always left transparent: it is the glyph's transparent colour.
QImage DrawGlyph(const QString &button, int size, const QColor &colour);

// A monochrome copy for 256-colour screens: white where the glyph is mostly opaque.
QImage MonochromeGlyph(const QImage &glyph);
