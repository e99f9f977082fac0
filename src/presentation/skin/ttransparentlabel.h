#pragma once
// A see-through label: one line of text, with a shadow copy offset below it, drawn over the
// background behind the label.
//
// Threads: main thread only.

#include "presentation/skin/tseethrough.h"

#include <QColor>
#include <QString>

enum class TTLAlignment {
    tlaTopLeft,
    tlaTopCenter,
    tlaTopRight,
    tlaMiddleLeft,
    tlaMiddleCenter,
    tlaMiddleRight,
    tlaBottomLeft,
    tlaBottomCenter,
    tlaBottomRight
};

// The Qt text flags of an alignment (single line, tabs expanded).
int TextFlagsFor(TTLAlignment alignment);

class TTransparentLabel : public TSeeThrough {
    Q_OBJECT
public:
    explicit TTransparentLabel(QWidget *parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString &caption);
    TTLAlignment Alignment() const { return alignment_; }
    void SetAlignment(TTLAlignment alignment);
    bool Ellipsis() const { return ellipsis_; }
    void SetEllipsis(bool on);
    QColor ShadowColor() const { return shadowColour_; }
    void SetShadowColor(const QColor &colour);
    int ShadowX() const { return shadowX_; }
    int ShadowY() const { return shadowY_; }
    void SetShadow(int x, int y);
    // The colour of the text (the font's colour).
    QColor FontColor() const { return fontColour_; }
    void SetFontColor(const QColor &colour);

signals:
    void Clicked();
    void MousePressed(Qt::MouseButton button, QPoint pos);
    void MouseReleased(Qt::MouseButton button, QPoint pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString caption_;
    TTLAlignment alignment_ = TTLAlignment::tlaMiddleCenter;
    bool ellipsis_ = false;
    QColor shadowColour_ = Qt::black;
    int shadowX_ = 1, shadowY_ = 1;
    QColor fontColour_ = Qt::white;
    bool pressed_ = false;
};
