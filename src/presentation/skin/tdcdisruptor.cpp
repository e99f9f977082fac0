#include "presentation/skin/tdcdisruptor.h"

#include "presentation/skin/pixelops.h"

#include <QPainter>

TDCDisruptor::TDCDisruptor(QObject *owner) : QObject(owner) {}

void TDCDisruptor::SetBitmap(const QImage &flag)
{
    flag_ = flag;
    snapshot_ = QImage();
    frame_ = QImage();
    phase_ = 0;
}

void TDCDisruptor::Capture()
{
    if (!AttachedBitmap || AttachedBitmap->isNull() || flag_.isNull()) return;
    snapshot_ = AttachedBitmap->copy(FlagRect()).convertToFormat(QImage::Format_RGB32);
    flag_ = flag_.convertToFormat(QImage::Format_RGB32);
}

void TDCDisruptor::Step()
{
    if (!AttachedBitmap || AttachedBitmap->isNull() || !Window || flag_.isNull() ||
        snapshot_.isNull())
        return;
    const int w = flag_.width(), h = flag_.height();
    if (frame_.size() != flag_.size()) frame_ = QImage(w, h, QImage::Format_RGB32);
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < h; ++y) {
        const auto *under = reinterpret_cast<const QRgb *>(snapshot_.constScanLine(y));
        const auto *flag = reinterpret_cast<const QRgb *>(flag_.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(frame_.scanLine(y));
        int k = phase_;
        for (int x = 0; x < w; ++x) {
            const QRgb g = under[x];
            const double s = ColourSimilarity(white, g);
            out[x] = s >= 0.6 ? BlendColour(g, flag[k], s) : g;
            if (++k == w) k = 0;
        }
    }
    if (++phase_ >= w) phase_ = 0;
    Window->repaint(FlagRect());
}

void TDCDisruptor::Paint(QPainter &painter) const
{
    if (!frame_.isNull()) painter.drawImage(PosX, PosY, frame_);
}

void TDCDisruptor::ClearFrame()
{
    frame_ = QImage();
    if (Window) Window->update(FlagRect());
}
