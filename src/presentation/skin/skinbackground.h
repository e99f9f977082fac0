#pragma once
// How a see-through control learns what lies behind it. A widget that hosts such controls (a
// skinned window, a translucent panel) paints its own background into any painter on request;
// a control keeps a copy of its part of that background and draws itself over it. The copy is
// taken at the first paint after it was dropped (ResetBackground), so a control shows exactly
// its parent's background, never the other controls.
//
// Threads: main thread only.

#include <QImage>
#include <QRect>

class QPainter;
class QWidget;

class TBackgroundPainter {
public:
    virtual ~TBackgroundPainter() = default;
    // Paints the background of area (in the host's own coordinates) into painter, whose origin
    // is the host's top-left corner.
    virtual void PaintBackgroundTo(QPainter &painter, const QRect &area) const = 0;
};

// The part of the parent's background behind control, as an image of the control's size
// (RGB32). A parent that cannot paint its background gives its window colour.
QImage CaptureBackground(const QWidget &control);

// Drops the cached background of every see-through control directly inside host and repaints
// them; translucent panels pass it on to their own children.
void ResetChildBackgrounds(QWidget &host);
