#pragma once
// A peak-meter bar: a vertical level over the background behind it, the lit part drawn from a
// picture of the whole bar lit. The level rises at once and falls by steps; a one-pixel peak
// marker holds the highest level for a while.
//
// Threads: main thread only.

#include "presentation/skin/tseethrough.h"

#include <QImage>

class TBmpLED : public TSeeThrough {
    Q_OBJECT
public:
    explicit TBmpLED(QWidget *parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);
    int Position() const { return level_; }
    // A new reading: the level rises to it at once or falls toward it by one step.
    void SetPosition(int value);
    int Peak() const { return peak_; }
    bool Falloff = true;
    int FallCountMax = 100;

    // The lit bar, stretched to the control's size (and again whenever the control resizes).
    const QImage &Picture() const { return picture_; }
    void SetPicture(const QImage &picture);
    bool LoadPicture(const QString &fileName, QString *error = nullptr);
    // Level and peak to the minimum.
    void Reset();

    // The row of a value in a bar of that height (the minimum is the bottom row).
    static int ValueToRow(int height, int min, int max, int value);

    // How the level falls, for all meters: per reading by the larger of MinFallStep and
    // (level - Min) * FallFactor, rounded.
    static double FallFactor;
    static int MinFallStep;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Stretch();

    int min_ = 0, max_ = 100;
    int level_ = 33;
    int peak_ = 0;
    int counter_ = 0;
    QImage source_;
    QImage picture_;
};
