#pragma once
// The common ground of the see-through controls (labels, the position bar, the meter bars):
// a widget that keeps a copy of its parent's background behind it, taken at the first paint
// after it was dropped.
//
// Threads: main thread only.

#include <QImage>
#include <QWidget>

class TSeeThrough : public QWidget {
    Q_OBJECT
public:
    explicit TSeeThrough(QWidget *parent = nullptr);

    // Drops the background copy and repaints at once.
    void ResetBackground();

protected:
    // The background copy, taken when missing.
    const QImage &Background();
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QImage background_;
};
