#pragma once
// The pixel routines the skinned controls are drawn with: the colour helpers, the bevel
// painter, the tiler and the generation of a five-picture button strip from one texture.
// Themes are drawn for exactly this arithmetic, so it must not drift.
//
// All work happens on 32-bit images whose colour bytes are the 24-bit colour (the "work
// format": RGB32, or ARGB32 when the picture carries an alpha channel, which is kept as it is).
//
// Threads: any (pure functions on the images given).

#include <QImage>
#include <QPoint>
#include <QRgb>

// Per channel the mean of the two, rounded down.
QRgb MidpointColour(QRgb a, QRgb b);
// Adds delta to each of red, green and blue, saturating at 0 and 255; alpha is kept.
QRgb AddColour(QRgb c, int delta);
// a toward b by f: f 0 gives a, f 1 gives b, otherwise each channel is a + round((b - a) * f)
// with halves rounded to even. Alpha is a's.
QRgb BlendColour(QRgb a, QRgb b, double f);
// 1 - (|dr| + |dg| + |db|) / 765.
double ColourSimilarity(QRgb a, QRgb b);

// The image in the work format (RGB32, or ARGB32 with an alpha channel).
QImage ToWorkFormat(const QImage &image);
// The image in the format the screen draws fastest (RGB32, or premultiplied ARGB32).
QImage ToDeviceFormat(const QImage &image);

struct TBevel {
    bool Sunken = false;
    int X0 = 0, Y0 = 0, W = 0, H = 0; // rectangle of the source that is painted
    int Width = 1;                    // bevel width, clamped to 0..10
    QPoint SourceOffset;              // read at (x, y) + SourceOffset, clamped to the source
    QPoint DestOffset;                // written at (x, y) + DestOffset, clamped to the target
    bool Blend = false;
    QRgb BlendColour = 0;
    double BlendFactor = 0;
};

// Paints the bevelled (and optionally tinted) rectangle of source onto dest. source and
// dest may be the same image. Nothing happens without both images; each keeps its format.
void PaintBevel(const QImage *source, QImage *dest, const TBevel &bevel);

// Covers dest from the top-left with copies of source, the last row and column cut.
void TileImage(const QImage &source, QImage &dest);

// The bevel width used for a texture of that size: 1, 2 or 3 by its shorter side.
int BevelWidthFor(int width, int height);
// The five-picture strip (up, pressed, fly-over, selected, disabled) generated from a texture;
// a null image for an empty texture.
QImage GenerateButtonStrip(const QImage &texture);
