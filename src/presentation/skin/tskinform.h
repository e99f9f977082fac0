#pragma once
// The ground of the two skinned windows: a borderless window whose look comes from a theme. It
// owns its background picture, its window shaper and its ten button collections ("pcBtn1" to
// "pcBtn10"), paints the background and the waving flag, and lets its see-through controls copy
// the background behind them.
//
// The display window shows its background picture as it is and takes its size; the floating
// bar tiles a texture over its whole width, with a raised one-pixel bevel round it, and takes
// the texture's height.
//
// Threads: main thread only.

#include "presentation/skin/skinbackground.h"

#include <QImage>
#include <QWidget>

class TDCDisruptor;
class TFormShaper;
class TPicCol;

enum class TSkinKind { Display, Floatbar };

class TSkinForm : public QWidget, public TBackgroundPainter {
    Q_OBJECT
public:
    // name is the window's name in theme keys ("fDisplay", "fFloat"); shaperName the shaper's.
    TSkinForm(TSkinKind kind, const QString &name, const QString &shaperName,
              QWidget *parent = nullptr);
    ~TSkinForm() override;

    TSkinKind Kind() const { return kind_; }

    // The picture shown behind everything.
    QImage Background;
    // Floating bar: the theme's texture that Background is tiled from.
    QImage BackgroundTexture;
    // The picture a theme's "Bkg" entry loads: Background, or the floating bar's texture.
    QImage &ThemeBackground()
    {
        return kind_ == TSkinKind::Display ? Background : BackgroundTexture;
    }

    TFormShaper &Shaper() const { return *shaper_; }
    // The flag painter drawn over the background, if the window has one (not owned here).
    TDCDisruptor *Flag() const { return flag_; }
    void SetFlag(TDCDisruptor *flag);

    // Creates the ten button collections (five pictures each, generated from a texture when
    // the theme says so) and registers them in the program-wide list.
    void CreatePictureCollections();

    // After a theme loaded the background: cut the window to the mask, take the picture's size
    // (display) or height (floating bar), rebuild, and let the see-through controls copy the
    // new background.
    void ThemeBackgroundLoaded();
    // Floating bar: Background becomes the texture tiled over the window with a bevel.
    void RebuildTiledBackground();

    void PaintBackgroundTo(QPainter &painter, const QRect &area) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    TSkinKind kind_;
    TFormShaper *shaper_;
    TDCDisruptor *flag_ = nullptr;
};
