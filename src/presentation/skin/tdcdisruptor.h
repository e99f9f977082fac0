#pragma once
// The flag painter: a flag picture that waves across the bright parts of a window's background
// picture. Each step scrolls the flag one column sideways and blends it into the background by
// how bright the background is there; dark parts show no flag.
//
// Threads: main thread only.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>

class TDCDisruptor : public QObject {
    Q_OBJECT
public:
    explicit TDCDisruptor(QObject *owner = nullptr);

    // The flag picture.
    const QImage &Bitmap() const { return flag_; }
    void SetBitmap(const QImage &flag);
    // The window's background picture (not owned; must outlive the painter's use).
    const QImage *AttachedBitmap = nullptr;
    int PosX = 0, PosY = 0;
    // The window the frames show on.
    QPointer<QWidget> Window;

    // Takes the part of the background under the flag, when both pictures are there.
    void Capture();
    // One frame: builds it, has the window repaint the flag's rectangle, advances the phase.
    void Step();
    // Draws the latest frame (the window calls this from its paint).
    void Paint(QPainter &painter) const;
    // Forgets the frame (the flag disappears at the next repaint of its rectangle).
    void ClearFrame();

    QRect FlagRect() const { return QRect(PosX, PosY, flag_.width(), flag_.height()); }
    const QImage &Frame() const { return frame_; }
    const QImage &Snapshot() const { return snapshot_; }
    int Phase() const { return phase_; }

private:
    QImage flag_;
    QImage snapshot_;
    QImage frame_;
    int phase_ = 0;
};
