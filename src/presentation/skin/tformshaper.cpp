#include "presentation/skin/tformshaper.h"

#include <QWidget>

#include <vector>

TFormShaper::TFormShaper(QWidget *window) : QObject(window), window_(window) {}

QRegion TFormShaper::RegionOf(const QImage &mask, const QColor &transparent)
{
    const QImage image = mask.convertToFormat(QImage::Format_RGB32);
    const QRgb key = transparent.rgb() & 0xFFFFFFu;
    // Rows with the same runs as the row above extend its rectangles, so the rectangles come
    // out in the fewest bands, the form a region keeps.
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> row, previous;
    size_t previousFirst = 0;
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        row.clear();
        int start = -1;
        for (int x = 0; x < w; ++x) {
            const bool outside = (line[x] & 0xFFFFFFu) == key;
            if (start < 0 && !outside) {
                start = x;
            } else if (start >= 0 && outside) {
                row.emplace_back(start, x);
                start = -1;
            }
        }
        if (start >= 0) row.emplace_back(start, w);
        if (!row.empty() && row == previous) {
            for (size_t i = previousFirst; i < rects.size(); ++i)
                rects[i].setBottom(y);
            continue;
        }
        previousFirst = rects.size();
        for (const auto &[from, to] : row)
            rects.emplace_back(from, y, to - from, 1);
        previous = row;
    }
    QRegion region;
    if (!rects.empty()) region.setRects(rects.data(), int(rects.size()));
    return region;
}

void TFormShaper::BuildRegion()
{
    if (Mask.isNull() || Mask.width() == 0 || Mask.height() == 0 || !window_) return;
    const QRegion region = RegionOf(Mask, TransparentColor);
    // An empty mask region would lift the mask altogether: keep the window invisible instead.
    window_->setMask(region.isEmpty() ? QRegion(-1, -1, 1, 1) : region);
    window_->update();
}
