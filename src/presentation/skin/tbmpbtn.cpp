#include "presentation/skin/tbmpbtn.h"

#include "presentation/skin/picturefile.h"
#include "presentation/skin/tpiccol.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

QString TBmpBtn::DefaultGlyphFolder;

TGlyphCell ChooseGlyphCell(TBmpBtnState state, int numGlyphs, int screenDepth, int glyphDepth)
{
    if (state == TBmpBtnState::Disabled && screenDepth > 8 && glyphDepth != 1 && glyphDepth != 4)
        return {0, true};
    auto has = [numGlyphs](int cell) { return cell < numGlyphs; };
    switch (state) {
    case TBmpBtnState::Disabled:
        return {has(1) ? 1 : 0, false};
    case TBmpBtnState::Pressed:
        return {has(2) ? 2 : 0, false};
    case TBmpBtnState::FlyOver:
        return {has(3) ? 3 : 0, false};
    case TBmpBtnState::Half:
        return {has(5) ? 5 : 0, false};
    case TBmpBtnState::Selected:
        return {has(4) ? 4 : has(2) ? 2 : 0, false};
    case TBmpBtnState::Up:
        break;
    }
    return {0, false};
}

TBmpBtn::TBmpBtn(QWidget *parent) : QWidget(parent)
{
    resize(32, 32);
    setMouseTracking(true);
    colour_ = palette().color(QPalette::Button);
}

TBmpBtn::~TBmpBtn() = default;

void TBmpBtn::SetBmpServer(TPicCol *server)
{
    if (server_ == server) return;
    disconnect(serverConnection_);
    server_ = server;
    if (server)
        serverConnection_ = connect(server, &TPicCol::Changed, this, qOverload<>(&QWidget::update));
    update();
}

void TBmpBtn::SetBmpIndices(int up, int down, int fly, int sel, int half, int dis)
{
    BmpUp = up;
    BmpDown = down;
    BmpFly = fly;
    BmpSel = sel;
    BmpHalf = half;
    BmpDis = dis;
    update();
}

void TBmpBtn::SetAllowFly(bool allow)
{
    if (allowFly_ == allow) return;
    allowFly_ = allow;
    if (visual_ == TBmpBtnState::Pressed || visual_ == TBmpBtnState::FlyOver) update();
}

void TBmpBtn::SetBtnType(TBmpBtnType type)
{
    if (type_ == type) return;
    type_ = type;
    UpdateState(visual_);
}

bool TBmpBtn::Latching() const
{
    return type_ == TBmpBtnType::bbtToggle || type_ == TBmpBtnType::bbtGroup;
}

std::vector<TBmpBtn *> TBmpBtn::GroupSiblings() const
{
    std::vector<TBmpBtn *> out;
    if (!parentWidget()) return out;
    for (QObject *child : parentWidget()->children()) {
        auto *b = qobject_cast<TBmpBtn *>(child);
        if (b && b != this && b->type_ == TBmpBtnType::bbtGroup && b->GroupIndex == GroupIndex)
            out.push_back(b);
    }
    return out;
}

void TBmpBtn::SetState(Qt::CheckState state)
{
    if (state == state_) return;
    const bool hovered = visual_ == TBmpBtnState::Pressed || visual_ == TBmpBtnState::FlyOver;
    TBmpBtnState look = visual_;
    switch (type_) {
    case TBmpBtnType::bbtGroup:
        if (state == Qt::Unchecked) {
            bool otherChecked = false;
            for (TBmpBtn *b : GroupSiblings())
                otherChecked = otherChecked || b->state_ == Qt::Checked;
            // The last button of a group stays down unless the group may be all up.
            if (!AllowAllUp && !otherChecked) return;
            state_ = state;
            down_ = false;
            look = hovered ? TBmpBtnState::FlyOver : TBmpBtnState::Up;
        } else if (state == Qt::Checked) {
            state_ = state;
            down_ = true;
            look = hovered ? TBmpBtnState::FlyOver : TBmpBtnState::Up;
            for (TBmpBtn *b : GroupSiblings())
                b->SetState(Qt::Unchecked);
        } else {
            state_ = state;
            down_ = false;
            look = TBmpBtnState::Half;
            for (TBmpBtn *b : GroupSiblings())
                b->SetState(Qt::Unchecked);
        }
        break;
    case TBmpBtnType::bbtToggle:
        state_ = state;
        down_ = state == Qt::Checked;
        if (state == Qt::PartiallyChecked)
            look = TBmpBtnState::Half;
        else
            look = hovered ? TBmpBtnState::FlyOver : TBmpBtnState::Up;
        break;
    default:
        state_ = Qt::Unchecked;
        down_ = false;
        break;
    }
    UpdateState(look);
}

void TBmpBtn::SetDown(bool down)
{
    if (!Latching()) {
        down_ = false;
        return;
    }
    SetState(down ? Qt::Checked : Qt::Unchecked);
}

void TBmpBtn::SetGlyph(const QImage &glyph, int bitDepth)
{
    glyph_ = glyph;
    glyphDepth_ = bitDepth;
    // An automatic transparent colour is the bottom-left pixel of the glyph.
    cachedCell_ = -1;
    update();
}

void TBmpBtn::SetNumGlyphs(int count)
{
    if (count < 1) count = 1;
    if (numGlyphs_ == count) return;
    numGlyphs_ = count;
    cachedCell_ = -1;
    update();
}

bool TBmpBtn::LoadGlyph(QString *error)
{
    if (GlyphName.isEmpty()) {
        if (error) *error = QStringLiteral("No glyph name provided.");
        return false;
    }
    const QString folder = DefaultGlyphFolder.isEmpty()
                               ? QCoreApplication::applicationDirPath() + u'/'
                               : DefaultGlyphFolder;
    const QString path = GlyphType == TBmpBtnGlyphType::bgtFile
                             ? folder + GlyphName + QStringLiteral(".bmp")
                             : QStringLiteral(":/glyphs/") + GlyphName;
    TPictureFile picture;
    if (!LoadPictureFile(path, picture, error)) return false;
    SetGlyph(picture.Image, picture.BitDepth);
    return true;
}

void TBmpBtn::SetTransparent(bool on)
{
    if (transparent_ == on) return;
    transparent_ = on;
    cachedCell_ = -1;
    update();
}

void TBmpBtn::SetTransparentAuto(bool on)
{
    if (transparentAuto_ == on) return;
    transparentAuto_ = on;
    cachedCell_ = -1;
    update();
}

void TBmpBtn::SetTransparentColor(const QColor &colour)
{
    if (transparentColour_ == colour) return;
    transparentColour_ = colour;
    cachedCell_ = -1;
    update();
}

void TBmpBtn::SetColor(const QColor &colour)
{
    if (colour_ == colour) return;
    colour_ = colour;
    update();
}

int TBmpBtn::PaintedIndex() const
{
    int index = BmpUp;
    switch (visual_) {
    case TBmpBtnState::Disabled:
        index = BmpDis;
        break;
    case TBmpBtnState::Pressed:
        index = BmpDown;
        break;
    case TBmpBtnState::FlyOver:
        index = BmpFly;
        break;
    case TBmpBtnState::Half:
        index = BmpHalf;
        break;
    case TBmpBtnState::Selected:
        index = BmpSel;
        break;
    case TBmpBtnState::Up:
        break;
    }
    // Without fly-over, hovering shows the idle picture and pressing the selected one.
    if (!allowFly_) {
        if (index == BmpFly)
            index = BmpUp;
        else if (index == BmpDown)
            index = BmpSel;
    }
    return index;
}

const QImage &TBmpBtn::GlyphCellImage(const TGlyphCell &cell)
{
    if (cachedCell_ == cell.Cell && cachedDark_ == cell.Darkened) return cellCache_;
    const int cellWidth = glyph_.width() / numGlyphs_;
    QImage image = glyph_.copy(cellWidth * cell.Cell, 0, cellWidth, glyph_.height())
                       .convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparentAuto_ ? glyph_.pixel(0, glyph_.height() - 1) | 0xFF000000u
                                      : transparentColour_.rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            QRgb c = line[x];
            if (transparent_ && (c | 0xFF000000u) == key) {
                line[x] = 0;
                continue;
            }
            if (cell.Darkened) c = qRgba(qRed(c) / 2, qGreen(c) / 2, qBlue(c) / 2, qAlpha(c));
            line[x] = c;
        }
    }
    cellCache_ = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    cachedCell_ = cell.Cell;
    cachedDark_ = cell.Darkened;
    return cellCache_;
}

void TBmpBtn::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect area = event->rect();
    const QImage *picture = server_ ? server_->GetPicture(PaintedIndex()) : nullptr;
    if (picture && !picture->isNull()) {
        // A picture with an alpha channel lets the window's background show at its edges.
        if (devicePixelRatioF() > 1) p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(area, *picture, area);
    } else {
        p.fillRect(area, colour_);
    }
    if (glyph_.isNull() || glyph_.width() < numGlyphs_) return;
    const TGlyphCell cell = ChooseGlyphCell(visual_, numGlyphs_, ScreenColourDepth(), glyphDepth_);
    const QImage &image = GlyphCellImage(cell);
    const int d = visual_ == TBmpBtnState::Pressed || visual_ == TBmpBtnState::Selected ? 1 : 0;
    const int x = int(std::trunc((width() - image.width()) / 2.0 + 0.5)) + d;
    const int y = int(std::trunc((height() - image.height()) / 2.0 + 0.5)) + d;
    p.drawImage(x, y, image);
}

void TBmpBtn::UpdateState(TBmpBtnState wanted)
{
    TBmpBtnState s;
    if (!isEnabled())
        s = TBmpBtnState::Disabled;
    else if (wanted == TBmpBtnState::Disabled)
        s = underMouse() ? TBmpBtnState::FlyOver : TBmpBtnState::Up;
    else
        s = wanted;
    // Nothing lights up under a modal dialog.
    const QWidget *modal = QApplication::activeModalWidget();
    const bool parentDisabled =
        (parentWidget() && !parentWidget()->isEnabled()) || (modal && modal != window());
    if (s == TBmpBtnState::FlyOver && parentDisabled) s = TBmpBtnState::Up;
    // A latched button shows its selected picture when idle and its pressed one when hovered.
    if (Latching() && down_) {
        switch (s) {
        case TBmpBtnState::Pressed:
            s = TBmpBtnState::FlyOver;
            break;
        case TBmpBtnState::FlyOver:
            s = TBmpBtnState::Pressed;
            break;
        case TBmpBtnState::Selected:
            s = TBmpBtnState::Up;
            break;
        case TBmpBtnState::Up:
            s = TBmpBtnState::Selected;
            break;
        default:
            break;
        }
    }
    if (s == visual_) return;
    visual_ = s;
    update();
}

void TBmpBtn::MouseLeaveNotice()
{
    if (!pressed_) UpdateState(TBmpBtnState::Up);
}

void TBmpBtn::mousePressEvent(QMouseEvent *event)
{
    emit MousePressed(event->button(), event->position().toPoint());
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    UpdateState(TBmpBtnState::Pressed);
}

void TBmpBtn::mouseMoveEvent(QMouseEvent *event)
{
    const bool inside = rect().contains(event->position().toPoint());
    if (pressed_)
        UpdateState(inside ? TBmpBtnState::Pressed : TBmpBtnState::FlyOver);
    else if (inside)
        UpdateState(TBmpBtnState::FlyOver);
    emit MouseMoved(event->position().toPoint());
}

void TBmpBtn::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const bool inside = rect().contains(pos);
    const bool wasPressed = pressed_ && event->button() == Qt::LeftButton;
    if (wasPressed) {
        pressed_ = false;
        if (inside) {
            if (Latching()) {
                if (state_ == Qt::Unchecked)
                    SetState(AllowGrayed ? Qt::PartiallyChecked : Qt::Checked);
                else if (state_ == Qt::Checked)
                    SetState(Qt::Unchecked);
                else
                    SetState(Qt::Checked);
            }
            if (type_ == TBmpBtnType::bbtPopup && PopupMenuClicked)
                PopupMenuClicked->popup(mapToGlobal(QPoint(0, height())));
        }
        UpdateState(inside ? TBmpBtnState::FlyOver : TBmpBtnState::Up);
    }
    emit MouseReleased(event->button(), pos);
    if (wasPressed && inside) emit Clicked();
}

void TBmpBtn::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    if (pressed_) return;
    // At most one button of a parent shows its fly-over look.
    if (parentWidget()) {
        for (QObject *child : parentWidget()->children()) {
            auto *b = qobject_cast<TBmpBtn *>(child);
            if (b && b != this && b->isEnabled()) b->MouseLeaveNotice();
        }
    }
    UpdateState(TBmpBtnState::FlyOver);
}

void TBmpBtn::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (!pressed_) UpdateState(TBmpBtnState::Up);
}

void TBmpBtn::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) UpdateState(visual_);
}
