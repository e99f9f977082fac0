#include "presentation/skin/ttransprogressbar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kInset = 2;

} // namespace

TTransProgressBar::TTransProgressBar(QWidget *parent) : TSeeThrough(parent)
{
    resize(100, 20);
    setFocusPolicy(Qt::ClickFocus);
}

int TTransProgressBar::ValueToX(int width, int min, int max, int value)
{
    const int inner = width - 2 * kInset;
    const double fraction = max == min ? 0.0 : double(value - min) / double(max - min);
    return kInset + int(std::trunc(inner * fraction + 0.5));
}

int TTransProgressBar::XToValue(int width, int min, int max, int x)
{
    const int inner = width - 2 * kInset;
    if (inner == 0) return min;
    const double v = min + std::trunc(double(x - kInset) / inner * (max - min) + 0.5);
    return int(std::clamp(v, double(std::min(min, max)), double(std::max(min, max))));
}

void TTransProgressBar::SetRange(int min, int max)
{
    if (min_ == min && max_ == max) return;
    min_ = min;
    max_ = max;
    update();
}

void TTransProgressBar::SetPosition(int position)
{
    if (tracking_ || position == position_) return;
    const int oldX = ValueToX(width(), min_, max_, position_);
    position_ = position;
    const int newX = ValueToX(width(), min_, max_, position_);
    if (oldX != newX) repaint(std::min(oldX, newX), 0, std::abs(newX - oldX), height());
}

void TTransProgressBar::SetColor(const QColor &colour)
{
    if (colour_ == colour) return;
    colour_ = colour;
    update();
}

void TTransProgressBar::SetCaption(const QString &caption)
{
    if (caption_ == caption) return;
    caption_ = caption;
    update();
}

void TTransProgressBar::SetAlignment(TTLAlignment alignment)
{
    if (alignment_ == alignment) return;
    alignment_ = alignment;
    update();
}

void TTransProgressBar::SetFontColor(const QColor &colour)
{
    if (fontColour_ == colour) return;
    fontColour_ = colour;
    update();
}

void TTransProgressBar::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect area = event->rect();
    p.drawImage(area, Background(), area);
    const QRect inner = rect().adjusted(kInset, kInset, -kInset, -kInset);
    const int x = ValueToX(width(), min_, max_, position_);
    if (x > inner.left())
        p.fillRect(QRect(inner.left(), inner.top(), x - inner.left(), inner.height()), colour_);
    if (tracking_) {
        p.setPen(colour_);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (!caption_.isEmpty()) {
        p.setPen(fontColour_);
        p.drawText(rect(), TextFlagsFor(alignment_), caption_);
    }
}

void TTransProgressBar::mousePressEvent(QMouseEvent *event)
{
    if (tracking_) {
        if (event->button() != Qt::LeftButton) EndTracking();
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    tracking_ = true;
    savedPosition_ = position_;
    position_ = XToValue(width(), min_, max_, int(event->position().x()));
    repaint();
    emit TrackingMoved(position_);
}

void TTransProgressBar::mouseMoveEvent(QMouseEvent *event)
{
    if (!tracking_) return;
    position_ = XToValue(width(), min_, max_, int(event->position().x()));
    repaint();
    emit TrackingMoved(position_);
}

void TTransProgressBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (!tracking_) return;
    EndTracking();
    if (event->button() == Qt::LeftButton) {
        emit Changed(position_);
    } else {
        position_ = savedPosition_;
        repaint();
    }
}

void TTransProgressBar::keyPressEvent(QKeyEvent *event)
{
    if (tracking_ && event->key() == Qt::Key_Escape) {
        EndTracking();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TTransProgressBar::EndTracking()
{
    tracking_ = false;
    repaint();
}
