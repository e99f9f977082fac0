#include "presentation/skin/tskinform.h"

#include "presentation/skin/pixelops.h"
#include "presentation/skin/tdcdisruptor.h"
#include "presentation/skin/tformshaper.h"
#include "presentation/skin/tpiccol.h"

#include <QPaintEvent>
#include <QPainter>

TSkinForm::TSkinForm(TSkinKind kind, const QString &name, const QString &shaperName,
                     QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint), kind_(kind), shaper_(new TFormShaper(this))
{
    setObjectName(name);
    shaper_->setObjectName(shaperName);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TSkinForm::~TSkinForm()
{
    TPicColList::RemoveOwnedBy(this);
}

void TSkinForm::SetFlag(TDCDisruptor *flag)
{
    flag_ = flag;
    if (flag) {
        flag->AttachedBitmap = &Background;
        flag->Window = this;
    }
}

void TSkinForm::CreatePictureCollections()
{
    for (int i = 1; i <= 10; ++i) {
        const QString name = QStringLiteral("pcBtn%1").arg(i);
        auto *collection = findChild<TPicCol *>(name, Qt::FindDirectChildrenOnly);
        if (!collection) {
            collection = new TPicCol(this, 5);
            collection->setObjectName(name);
            collection->OnGenerate = &TPicCol::GenerateFiveCells;
        }
        TPicColList::Add(collection);
    }
}

void TSkinForm::ThemeBackgroundLoaded()
{
    shaper_->BuildRegion();
    shaper_->ClearMask();
    if (kind_ == TSkinKind::Display) {
        if (!Background.isNull()) {
            Background = ToDeviceFormat(Background);
            setGeometry(x(), y(), Background.width(), Background.height());
        }
    } else {
        if (!BackgroundTexture.isNull()) {
            BackgroundTexture = ToDeviceFormat(BackgroundTexture);
            setFixedHeight(BackgroundTexture.height());
        }
        RebuildTiledBackground();
    }
    ResetChildBackgrounds(*this);
    update();
}

void TSkinForm::RebuildTiledBackground()
{
    if (BackgroundTexture.isNull() || width() < 1 || height() < 1) return;
    QImage tiled(size(), QImage::Format_RGB32);
    TileImage(BackgroundTexture, tiled);
    TBevel bevel;
    bevel.W = tiled.width();
    bevel.H = tiled.height();
    bevel.Width = 1;
    PaintBevel(&tiled, &tiled, bevel);
    Background = tiled;
}

void TSkinForm::PaintBackgroundTo(QPainter &painter, const QRect &area) const
{
    if (Background.isNull())
        painter.fillRect(area, palette().color(QPalette::Window));
    else
        painter.drawImage(area.topLeft(), Background, area);
}

void TSkinForm::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    if (devicePixelRatioF() > 1) p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect area = event->rect();
    if (Background.isNull())
        p.fillRect(area, palette().color(QPalette::Window));
    else
        p.drawImage(area, Background, area);
    if (flag_) flag_->Paint(p);
}

void TSkinForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (kind_ == TSkinKind::Floatbar && !BackgroundTexture.isNull()) {
        RebuildTiledBackground();
        ResetChildBackgrounds(*this);
    }
}
