#include "presentation/skin/ttransparentlabel.h"

#include <QMouseEvent>
#include <QPainter>

int TextFlagsFor(TTLAlignment alignment)
{
    static const int vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    static const int horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    const int a = int(alignment);
    return vertical[a / 3] | horizontal[a % 3] | Qt::TextSingleLine | Qt::TextExpandTabs;
}

TTransparentLabel::TTransparentLabel(QWidget *parent) : TSeeThrough(parent)
{
    resize(100, 20);
}

void TTransparentLabel::SetCaption(const QString &caption)
{
    if (caption_ == caption) return;
    caption_ = caption;
    update();
}

void TTransparentLabel::SetAlignment(TTLAlignment alignment)
{
    if (alignment_ == alignment) return;
    alignment_ = alignment;
    update();
}

void TTransparentLabel::SetEllipsis(bool on)
{
    if (ellipsis_ == on) return;
    ellipsis_ = on;
    update();
}

void TTransparentLabel::SetShadowColor(const QColor &colour)
{
    if (shadowColour_ == colour) return;
    shadowColour_ = colour;
    update();
}

void TTransparentLabel::SetShadow(int x, int y)
{
    if (shadowX_ == x && shadowY_ == y) return;
    shadowX_ = x;
    shadowY_ = y;
    update();
}

void TTransparentLabel::SetFontColor(const QColor &colour)
{
    if (fontColour_ == colour) return;
    fontColour_ = colour;
    update();
}

void TTransparentLabel::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect area = event->rect();
    p.drawImage(area, Background(), area);
    if (caption_.isEmpty()) return;
    // Text is drawn straight onto the widget, so it stays sharp at any device-pixel ratio.
    p.setFont(font());
    const QRect box = rect();
    const QString text =
        ellipsis_ ? fontMetrics().elidedText(caption_, Qt::ElideRight, box.width()) : caption_;
    const int flags = TextFlagsFor(alignment_);
    if (shadowX_ != 0 || shadowY_ != 0) {
        p.setPen(shadowColour_);
        p.drawText(box.translated(shadowX_, shadowY_), flags, text);
    }
    p.setPen(fontColour_);
    p.drawText(box, flags, text);
}

void TTransparentLabel::mousePressEvent(QMouseEvent *event)
{
    pressed_ = event->button() == Qt::LeftButton;
    emit MousePressed(event->button(), event->position().toPoint());
}

void TTransparentLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(pos);
    if (event->button() == Qt::LeftButton) pressed_ = false;
    emit MouseReleased(event->button(), pos);
    if (click) emit Clicked();
}
