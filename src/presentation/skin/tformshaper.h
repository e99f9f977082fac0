#pragma once
// The window shaper: cuts a borderless window to the outline of a mask picture. Pixels of the
// transparent colour lie outside the window; every other pixel is inside.
//
// Threads: main thread only.

#include <QColor>
#include <QImage>
#include <QObject>
#include <QRegion>

class QWidget;

class TFormShaper : public QObject {
    Q_OBJECT
public:
    // The window is the shaper's owner.
    explicit TFormShaper(QWidget *window);

    QImage Mask;
    QColor TransparentColor = Qt::white;

    // Applies the mask to the window; an empty mask leaves the window's outline as it is.
    void BuildRegion();
    // The mask becomes empty (the outline stays).
    void ClearMask() { Mask = QImage(); }

    // The region of a mask: one rectangle per run of pixels not of the transparent colour.
    static QRegion RegionOf(const QImage &mask, const QColor &transparent);

private:
    QWidget *window_;
};
