#pragma once
// A translucent panel: shows the background behind it darkened to half brightness, with an
// optional two-pixel bevel, and hosts the see-through labels, bars and meters of a skinned
// window, which look through it.
//
// Threads: main thread only.

#include "presentation/skin/skinbackground.h"

#include <QWidget>

enum class TTPBordered { tpbNone, tpbDown, tpbUp };
// tpmDirectDC would read the screen; without native child windows both modes ask the parent
// to paint its background.
enum class TTPMode { tpmParentPaint, tpmDirectDC };

class TTranslucentPanel : public QWidget, public TBackgroundPainter {
    Q_OBJECT
public:
    explicit TTranslucentPanel(QWidget *parent = nullptr);

    TTPBordered Bordered() const { return bordered_; }
    void SetBordered(TTPBordered bordered);
    TTPMode TPMode = TTPMode::tpmParentPaint;

    // Drops the darkened image, repaints at once and resets the see-through children.
    void ResetBackground();

    // The darkened image of the background (built when missing).
    const QImage &Image();

    // The darkened background with the bevel for a captured background.
    static QImage Darken(const QImage &background, TTPBordered bordered);

    void PaintBackgroundTo(QPainter &painter, const QRect &area) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    TTPBordered bordered_ = TTPBordered::tpbNone;
    QImage image_;
};
