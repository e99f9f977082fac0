#include "presentation/skin/tbmpled.h"

#include "presentation/skin/picturefile.h"
#include "presentation/skin/pixelops.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

double TBmpLED::FallFactor = 0.05;
int TBmpLED::MinFallStep = 100;

TBmpLED::TBmpLED(QWidget *parent) : TSeeThrough(parent)
{
    resize(20, 100);
}

int TBmpLED::ValueToRow(int height, int min, int max, int value)
{
    const double fraction = max == min ? 0.0 : double(value - min) / double(max - min);
    return height - int(std::trunc(height * fraction + 0.5));
}

void TBmpLED::SetRange(int min, int max)
{
    if (min_ == min && max_ == max) return;
    min_ = min;
    max_ = max;
    update();
}

void TBmpLED::SetPosition(int value)
{
    if (level_ == min_ && value == min_ && !Falloff) return;
    const int oldLevel = level_, oldPeak = peak_;
    if (value > level_) {
        level_ = value;
    } else {
        const int step = std::max(MinFallStep, int(std::trunc((level_ - min_) * FallFactor + 0.5)));
        level_ = std::max({level_ - step, value, min_});
    }
    if (Falloff) {
        if (++counter_ > FallCountMax) {
            counter_ = 0;
            peak_ = level_;
        }
        if (level_ > peak_) peak_ = level_;
    }
    if ((level_ == oldLevel && peak_ == oldPeak) || !isVisible()) return;
    const int h = height();
    const int oldRow = ValueToRow(h, min_, max_, oldLevel);
    const int newRow = ValueToRow(h, min_, max_, level_);
    QRegion dirty(0, std::min(oldRow, newRow), width(), std::abs(newRow - oldRow));
    if (peak_ != oldPeak) {
        dirty += QRect(0, ValueToRow(h, min_, max_, oldPeak), width(), 1);
        dirty += QRect(0, ValueToRow(h, min_, max_, peak_), width(), 1);
    }
    repaint(dirty);
}

void TBmpLED::SetPicture(const QImage &picture)
{
    source_ = picture;
    Stretch();
    update();
}

bool TBmpLED::LoadPicture(const QString &fileName, QString *error)
{
    TPictureFile file;
    if (!LoadPictureFile(fileName, file, error)) return false;
    SetPicture(file.Image);
    return true;
}

void TBmpLED::Reset()
{
    level_ = min_;
    peak_ = min_;
    counter_ = 0;
    update();
}

void TBmpLED::Stretch()
{
    if (source_.isNull() || width() < 1 || height() < 1) {
        picture_ = QImage();
        return;
    }
    picture_ =
        ToDeviceFormat(source_.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void TBmpLED::resizeEvent(QResizeEvent *event)
{
    TSeeThrough::resizeEvent(event);
    Stretch();
}

void TBmpLED::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect area = event->rect();
    p.drawImage(area, Background(), area);
    if (picture_.isNull()) return;
    const int h = height();
    const int row = ValueToRow(h, min_, max_, level_);
    const QRect lit = QRect(0, row, width(), h - row) & area;
    if (!lit.isEmpty()) p.drawImage(lit, picture_, lit);
    if (Falloff) {
        const int peakRow = ValueToRow(h, min_, max_, peak_);
        if (peakRow < row) {
            const QRect marker = QRect(0, peakRow, width(), 1) & area;
            if (!marker.isEmpty()) p.drawImage(marker, picture_, marker);
        }
    }
}
