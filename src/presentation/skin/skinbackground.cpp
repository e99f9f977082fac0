#include "presentation/skin/skinbackground.h"

#include "presentation/skin/tseethrough.h"
#include "presentation/skin/ttranslucentpanel.h"

#include <QPainter>
#include <QWidget>

QImage CaptureBackground(const QWidget &control)
{
    QImage image(control.size(), QImage::Format_RGB32);
    const QWidget *parent = control.parentWidget();
    const auto *host = dynamic_cast<const TBackgroundPainter *>(parent);
    if (!host) {
        image.fill(parent ? parent->palette().color(QPalette::Window)
                          : control.palette().color(QPalette::Window));
        return image;
    }
    image.fill(Qt::black);
    QPainter p(&image);
    p.translate(-control.pos());
    host->PaintBackgroundTo(p, control.geometry());
    return image;
}

void ResetChildBackgrounds(QWidget &host)
{
    for (QObject *child : host.children()) {
        if (auto *panel = qobject_cast<TTranslucentPanel *>(child))
            panel->ResetBackground();
        else if (auto *control = qobject_cast<TSeeThrough *>(child))
            control->ResetBackground();
    }
}
