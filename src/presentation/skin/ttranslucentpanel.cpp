#include "presentation/skin/ttranslucentpanel.h"

#include "presentation/skin/pixelops.h"

#include <QPaintEvent>
#include <QPainter>

TTranslucentPanel::TTranslucentPanel(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTranslucentPanel::SetBordered(TTPBordered bordered)
{
    if (bordered_ == bordered) return;
    bordered_ = bordered;
    ResetBackground();
}

void TTranslucentPanel::ResetBackground()
{
    image_ = QImage();
    repaint();
    ResetChildBackgrounds(*this);
}

QImage TTranslucentPanel::Darken(const QImage &background, TTPBordered bordered)
{
    QImage image = background.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    int a = 0, b = 0, c = 0, d = 0;
    if (bordered == TTPBordered::tpbDown) {
        a = -32, b = -64, c = 64, d = 32;
    } else if (bordered == TTPBordered::tpbUp) {
        a = 64, b = 128, c = -128, d = -64;
    }
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            QRgb px = MidpointColour(line[x], black);
            if (bordered != TTPBordered::tpbNone) {
                if ((y == 0 && x < w - 1) || (x == 0 && y < h - 1))
                    px = AddColour(px, a);
                else if ((y == 1 && x < w - 2) || (x == 1 && y < h - 2))
                    px = AddColour(px, b);
                else if (y == h - 1 || x == w - 1)
                    px = AddColour(px, c);
                else if ((y == h - 2 && x >= 1) || (x == w - 2 && y >= 1))
                    px = AddColour(px, d);
            }
            line[x] = px;
        }
    }
    return image;
}

const QImage &TTranslucentPanel::Image()
{
    if (image_.isNull() && width() > 0 && height() > 0)
        image_ = Darken(CaptureBackground(*this), bordered_);
    return image_;
}

void TTranslucentPanel::PaintBackgroundTo(QPainter &painter, const QRect &area) const
{
    // Children ask while the panel paints, so the image exists unless it was just dropped.
    const QImage &image = const_cast<TTranslucentPanel *>(this)->Image();
    painter.drawImage(area.topLeft(), image, area);
}

void TTranslucentPanel::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    if (devicePixelRatioF() > 1) p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect area = event->rect();
    p.drawImage(area, Image(), area);
}

void TTranslucentPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    image_ = QImage();
    ResetChildBackgrounds(*this);
}

void TTranslucentPanel::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    image_ = QImage();
    ResetChildBackgrounds(*this);
}
