#pragma once
// A see-through position bar: a fill of one colour over the background behind it, with an
// optional caption. The user drags it with the left button; the right button (or Escape)
// during a drag cancels.
//
// Threads: main thread only.

#include "presentation/skin/tseethrough.h"
#include "presentation/skin/ttransparentlabel.h"

#include <QColor>

class TTransProgressBar : public TSeeThrough {
    Q_OBJECT
public:
    explicit TTransProgressBar(QWidget *parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);
    int Position() const { return position_; }
    // Ignored while the user drags; repaints only the strip between the old and new fill.
    void SetPosition(int position);
    QColor Color() const { return colour_; }
    void SetColor(const QColor &colour);
    QString Caption() const { return caption_; }
    void SetCaption(const QString &caption);
    TTLAlignment Alignment() const { return alignment_; }
    void SetAlignment(TTLAlignment alignment);
    QColor FontColor() const { return fontColour_; }
    void SetFontColor(const QColor &colour);
    bool Tracking() const { return tracking_; }

    // The x of a value and the value of an x, for a bar of that width.
    static int ValueToX(int width, int min, int max, int value);
    static int XToValue(int width, int min, int max, int x);

signals:
    // The position changed during a drag.
    void TrackingMoved(int position);
    // A drag was committed.
    void Changed(int position);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void EndTracking();

    int min_ = 0, max_ = 100, position_ = 33;
    int savedPosition_ = 0;
    QColor colour_ = QColor(0, 255, 255);
    QString caption_;
    TTLAlignment alignment_ = TTLAlignment::tlaMiddleCenter;
    QColor fontColour_ = Qt::white;
    bool tracking_ = false;
};
