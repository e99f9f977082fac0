#include "presentation/skin/pixelops.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int clampChannel(int v)
{
    return std::clamp(v, 0, 255);
}

int blendChannel(int a, int b, double f)
{
    // nearbyint rounds halves to even in the default rounding mode.
    return clampChannel(a + int(std::nearbyint((b - a) * f)));
}

} // namespace

QRgb MidpointColour(QRgb a, QRgb b)
{
    return qRgba((qRed(a) + qRed(b)) / 2, (qGreen(a) + qGreen(b)) / 2, (qBlue(a) + qBlue(b)) / 2,
                 qAlpha(a));
}

QRgb AddColour(QRgb c, int delta)
{
    return qRgba(clampChannel(qRed(c) + delta), clampChannel(qGreen(c) + delta),
                 clampChannel(qBlue(c) + delta), qAlpha(c));
}

QRgb BlendColour(QRgb a, QRgb b, double f)
{
    if (f == 0) return a;
    if (f == 1) return qRgba(qRed(b), qGreen(b), qBlue(b), qAlpha(a));
    return qRgba(blendChannel(qRed(a), qRed(b), f), blendChannel(qGreen(a), qGreen(b), f),
                 blendChannel(qBlue(a), qBlue(b), f), qAlpha(a));
}

double ColourSimilarity(QRgb a, QRgb b)
{
    const int d = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                  std::abs(qBlue(a) - qBlue(b));
    return 1.0 - d / 765.0;
}

QImage ToWorkFormat(const QImage &image)
{
    if (image.isNull()) return image;
    const QImage::Format want =
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    return image.format() == want ? image : image.convertToFormat(want);
}

QImage ToDeviceFormat(const QImage &image)
{
    if (image.isNull()) return image;
    const QImage::Format want =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    return image.format() == want ? image : image.convertToFormat(want);
}

void PaintBevel(const QImage *source, QImage *dest, const TBevel &bevel)
{
    if (!source || !dest || source->isNull() || dest->isNull()) return;
    if (bevel.H < 1) return;
    const int n = std::clamp(bevel.Width, 0, 10);

    const bool same = source == dest;
    const QImage::Format destFormat = dest->format();
    *dest = ToWorkFormat(*dest);
    const QImage src = same ? QImage() : ToWorkFormat(*source);
    const QImage &from = same ? *dest : src;

    int light[11] = {}, dark[11] = {};
    for (int i = 1; i <= n; ++i) {
        if (bevel.Sunken) {
            light[i] = -64 * i / n - 64;
            dark[i] = -32 * i / n + 64;
        } else {
            light[i] = 48 * i / n + 16;
            dark[i] = 64 * i / n - 128;
        }
    }

    const int x0 = bevel.X0, y0 = bevel.Y0, w = bevel.W, h = bevel.H;
    const int sw = from.width(), sh = from.height();
    const int dw = dest->width(), dh = dest->height();
    for (int y = y0; y < y0 + h; ++y) {
        const int sy = std::clamp(y + bevel.SourceOffset.y(), 0, sh - 1);
        const int dy = std::clamp(y + bevel.DestOffset.y(), 0, dh - 1);
        for (int x = x0; x < x0 + w; ++x) {
            const int sx = std::clamp(x + bevel.SourceOffset.x(), 0, sw - 1);
            QRgb c = reinterpret_cast<const QRgb *>(from.constScanLine(sy))[sx];
            if (bevel.Blend) c = BlendColour(c, bevel.BlendColour, bevel.BlendFactor);
            for (int i = 1; i <= n; ++i) {
                if ((y == y0 + i - 1 && x < x0 + w - i) || (x == x0 + i - 1 && y < y0 + h - i)) {
                    c = AddColour(c, light[i]);
                    break;
                }
                if ((y == y0 + h - i && x >= x0 + i - 1) || (x == x0 + w - i && y >= y0 + i - 1)) {
                    c = AddColour(c, dark[i]);
                    break;
                }
            }
            const int dx = std::clamp(x + bevel.DestOffset.x(), 0, dw - 1);
            reinterpret_cast<QRgb *>(dest->scanLine(dy))[dx] = c;
        }
    }
    if (dest->format() != destFormat) *dest = dest->convertToFormat(destFormat);
}

void TileImage(const QImage &source, QImage &dest)
{
    if (source.isNull() || dest.isNull()) return;
    QPainter p(&dest);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int y = 0; y < dest.height(); y += source.height())
        for (int x = 0; x < dest.width(); x += source.width())
            p.drawImage(x, y, source);
}

int BevelWidthFor(int width, int height)
{
    const int m = std::min(width, height);
    if (m <= 18) return 1;
    if (m <= 22) return 2;
    return 3;
}

QImage GenerateButtonStrip(const QImage &texture)
{
    if (texture.isNull() || texture.width() < 1 || texture.height() < 1) return QImage();
    const int w = texture.width(), h = texture.height();
    const QImage tex = ToWorkFormat(texture);
    QImage strip(w * 5, h, tex.format());
    strip.fill(0);
    {
        QPainter p(&strip);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, tex);
    }
    TBevel b;
    b.W = w;
    b.H = h;
    b.Width = BevelWidthFor(w, h);
    auto cell = [&](int index, bool sunken, bool blend, QRgb colour, double factor) {
        b.Sunken = sunken;
        b.SourceOffset = sunken ? QPoint(-1, -1) : QPoint(0, 0);
        b.DestOffset = QPoint(w * index, 0);
        b.Blend = blend;
        b.BlendColour = colour;
        b.BlendFactor = factor;
        PaintBevel(&strip, &strip, b);
    };
    // Each cell reads the untouched texture at the left end, so the up look comes last.
    cell(4, false, true, qRgb(0, 0, 0), 0.5);
    cell(3, true, false, 0, 0);
    cell(2, false, true, qRgb(255, 255, 255), 0.1);
    cell(1, true, true, qRgb(255, 255, 255), 0.1);
    cell(0, false, false, 0, 0);
    return ToDeviceFormat(strip);
}
