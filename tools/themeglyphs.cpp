#include "themeglyphs.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

// Shapes are drawn on a 24-unit grid and scaled to the glyph's size.
constexpr double kGrid = 24.0;

QPainterPath triangle(double x, double y, double w, double h, bool right)
{
    QPainterPath p;
    if (right) {
        p.moveTo(x, y);
        p.lineTo(x + w, y + h / 2);
        p.lineTo(x, y + h);
    } else {
        p.moveTo(x + w, y);
        p.lineTo(x, y + h / 2);
        p.lineTo(x + w, y + h);
    }
    p.closeSubpath();
    return p;
}

QPainterPath star(double cx, double cy, double outer, double inner)
{
    QPainterPath p;
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5;
        const double r = i % 2 ? inner : outer;
        const QPointF pt(cx + r * std::cos(a), cy + r * std::sin(a));
        if (i == 0)
            p.moveTo(pt);
        else
            p.lineTo(pt);
    }
    p.closeSubpath();
    return p;
}

void list(QPainter &p, double x, double y, double w)
{
    for (int i = 0; i < 3; ++i) {
        p.drawEllipse(QRectF(x, y + i * 6 - 1, 2.6, 2.6));
        p.drawRoundedRect(QRectF(x + 5, y + i * 6 - 0.5, w - 5, 2), 1, 1);
    }
}

void disc(QPainter &p, double cx, double cy, double r)
{
    QPainterPath d;
    d.addEllipse(QPointF(cx, cy), r, r);
    QPainterPath hole;
    hole.addEllipse(QPointF(cx, cy), r * 0.28, r * 0.28);
    p.drawPath(d.subtracted(hole));
}

void note(QPainter &p, double x, double y)
{
    p.drawEllipse(QRectF(x, y + 11, 6.5, 5));
    p.drawRect(QRectF(x + 4.6, y, 1.9, 14));
    QPainterPath flag;
    flag.moveTo(x + 6.5, y);
    flag.cubicTo(x + 9, y + 2, x + 12, y + 3, x + 10, y + 8);
    flag.cubicTo(x + 10.5, y + 5, x + 9, y + 4, x + 6.5, y + 3.5);
    flag.closeSubpath();
    p.drawPath(flag);
}

void pencil(QPainter &p, double x, double y)
{
    // A small pencil in the lower right corner, cut out of what lies below.
    p.save();
    p.translate(x, y);
    p.rotate(-45);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawRoundedRect(QRectF(-2.2, -5.8, 16.4, 7.6), 2, 2);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setBrush(p.pen().color());
    p.drawRect(QRectF(2.5, -3.6, 9, 3.2));
    QPainterPath tip;
    tip.moveTo(2.5, -3.6);
    tip.lineTo(-1, -2);
    tip.lineTo(2.5, -0.4);
    tip.closeSubpath();
    p.drawPath(tip);
    p.restore();
}

void plusMinus(QPainter &p, double cx, double cy, bool plus)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawEllipse(QPointF(cx, cy), 6.2, 6.2);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawEllipse(QPointF(cx, cy), 4.8, 4.8);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawRect(QRectF(cx - 3, cy - 0.9, 6, 1.8));
    if (plus) p.drawRect(QRectF(cx - 0.9, cy - 3, 1.8, 6));
    p.restore();
}

} // namespace

QImage DrawGlyph(const QString &button, int size, const QColor &colour)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const QString b = button.mid(2);

    if (b == u"Play") {
        p.drawPath(triangle(7, 4, 13, 16, true));
    } else if (b == u"Pause") {
        p.drawRoundedRect(QRectF(6, 4.5, 4.2, 15), 1, 1);
        p.drawRoundedRect(QRectF(13.8, 4.5, 4.2, 15), 1, 1);
    } else if (b == u"Stop") {
        p.drawRoundedRect(QRectF(5.5, 5.5, 13, 13), 2, 2);
    } else if (b == u"Prev") {
        p.drawRoundedRect(QRectF(4.5, 5, 2.6, 14), 1, 1);
        p.drawPath(triangle(7.5, 5, 12, 14, false));
    } else if (b == u"Next") {
        p.drawPath(triangle(4.5, 5, 12, 14, true));
        p.drawRoundedRect(QRectF(17, 5, 2.6, 14), 1, 1);
    } else if (b == u"Rew") {
        // Back to the start of the title: a curved arrow.
        QPen pen(colour, 2.6, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(5, 5, 14, 14), 100 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(triangle(5.5, 1.5, 7, 8, false).translated(-0.5, 0.5));
    } else if (b == u"FB") {
        p.drawPath(triangle(2.5, 6, 9.5, 12, false));
        p.drawPath(triangle(11.5, 6, 9.5, 12, false));
    } else if (b == u"FF") {
        p.drawPath(triangle(3, 6, 9.5, 12, true));
        p.drawPath(triangle(12, 6, 9.5, 12, true));
    } else if (b == u"Eject") {
        QPainterPath up;
        up.moveTo(12, 4.5);
        up.lineTo(20, 13);
        up.lineTo(4, 13);
        up.closeSubpath();
        p.drawPath(up);
        p.drawRoundedRect(QRectF(4, 15.5, 16, 3.2), 1, 1);
    } else if (b == u"Open") {
        QPainterPath folder;
        folder.moveTo(3, 6.5);
        folder.lineTo(9, 6.5);
        folder.lineTo(11, 8.5);
        folder.lineTo(21, 8.5);
        folder.lineTo(21, 18.5);
        folder.lineTo(3, 18.5);
        folder.closeSubpath();
        p.drawPath(folder);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.drawRect(QRectF(4.6, 11, 14.8, 1.4));
    } else if (b == u"Close") {
        QPen pen(colour, 2.8, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(QPointF(7, 7), QPointF(17, 17));
        p.drawLine(QPointF(17, 7), QPointF(7, 17));
    } else if (b == u"Power") {
        QPen pen(colour, 2.6, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(5, 5.5, 14, 14), 125 * 16, 290 * 16);
        p.drawLine(QPointF(12, 3.5), QPointF(12, 11));
    } else if (b == u"Hide") {
        p.drawRoundedRect(QRectF(5, 15, 14, 3), 1.2, 1.2);
    } else if (b == u"Menu") {
        for (int i = 0; i < 3; ++i)
            p.drawRoundedRect(QRectF(4.5, 6 + i * 5.2, 15, 2.6), 1.2, 1.2);
    } else if (b == u"View") {
        QPen pen(colour, 2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(3.5, 5, 17, 14), 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRect(QRectF(3.5, 5, 17, 4));
    } else if (b == u"Titles") {
        note(p, 6, 4);
    } else if (b == u"Programs") {
        list(p, 4, 6, 16);
    } else if (b == u"Albums") {
        disc(p, 12, 12, 8.5);
    } else if (b == u"EditTitle") {
        note(p, 3, 2);
        pencil(p, 12, 20);
    } else if (b == u"EditProgram") {
        list(p, 2, 4, 14);
        pencil(p, 12, 20);
    } else if (b == u"EditAlbum") {
        disc(p, 10, 10, 7.5);
        pencil(p, 12, 20);
    } else if (b == u"AddToProgram") {
        list(p, 2, 4, 15);
        plusMinus(p, 17, 17, true);
    } else if (b == u"RemoveFromProgram") {
        list(p, 2, 4, 15);
        plusMinus(p, 17, 17, false);
    } else if (b == u"RemoveFromAlbum") {
        disc(p, 10, 10, 7.5);
        plusMinus(p, 17, 17, false);
    } else if (b == u"ModeLoad") {
        QPen pen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(star(12, 12.5, 8.5, 3.8));
    } else if (b == u"ModeStore") {
        p.drawPath(star(12, 12.5, 8.5, 3.8));
    } else if (b.size() == 1 && b[0].isDigit()) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(17);
        font.setBold(true);
        p.setFont(font);
        p.setPen(colour);
        p.drawText(QRectF(0, 0, kGrid, kGrid - 1), Qt::AlignCenter, b);
    }
    p.end();
    // The bottom-left pixel names the transparent colour: keep it clear.
    image.setPixel(0, size - 1, 0);
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage MonochromeGlyph(const QImage &glyph)
{
    QImage mono(glyph.size(), QImage::Format_Mono);
    mono.fill(0);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x)
            mono.setPixel(x, y, qAlpha(glyph.pixel(x, y)) >= 128 ? 1 : 0);
    mono.setPixel(0, glyph.height() - 1, 0);
    return mono;
}
