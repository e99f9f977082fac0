#include "presentation/skin/tseethrough.h"

#include "presentation/skin/skinbackground.h"

TSeeThrough::TSeeThrough(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TSeeThrough::ResetBackground()
{
    background_ = QImage();
    repaint();
}

const QImage &TSeeThrough::Background()
{
    if (background_.isNull() && width() > 0 && height() > 0) background_ = CaptureBackground(*this);
    return background_;
}

void TSeeThrough::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    background_ = QImage();
}

void TSeeThrough::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    background_ = QImage();
}
