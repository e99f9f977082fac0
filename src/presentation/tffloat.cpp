#include "presentation/tffloat.h"

#include "core/displaytexts.h"
#include "core/jukebox.h"
#include "core/stationkeys.h"
#include "core/tonariaglobals.h"
#include "localisation/ui/localiseform.h"
#include "platform/ui/colourmap.h"
#include "presentation/edgesnapper.h"
#include "presentation/skin/applytheme.h"
#include "presentation/skin/tbmpbtn.h"
#include "presentation/skin/ttranslucentpanel.h"
#include "presentation/skin/ttransparentlabel.h"
#include "presentation/tfstation.h"
#include "settings/ui/fontconversion.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

// The height the bar has until a theme gives it its texture's.
constexpr int kInitialHeight = 17;
constexpr int kInitialWidth = 320;
// The width the bar takes the first time it opens.
constexpr int kFirstWidth = 320;
constexpr int kStripWidth = 4;

template <typename T> T *Named(QWidget *parent, const char *name)
{
    auto *widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QStringList LocalFiles(const QMimeData *data)
{
    QStringList paths;
    if (!data) return paths;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

} // namespace

TfFloat::TfFloat(TfStation &station)
    : TSkinForm(TSkinKind::Floatbar, QStringLiteral("fFloat"), QStringLiteral("fsFloat")),
      station_(station), jukebox_(station.Jukebox())
{
    // On top of everything, without a task-bar entry of its own.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::ClickFocus);
    resize(kInitialWidth, kInitialHeight);
    CreatePictureCollections();
    CreateComponents();
    ApplyTheme();
    // The theme has given the height; dragging cannot change it.
    setFixedHeight(height());
    Layout();

    snapper_ = new TEdgeSnapper(*this, jukebox_.Timers(),
                                [this] { return jukebox_.GlobalState().AutoSnap; });
    connect(&jukebox_, &TJukebox::preferencesApplied, this, &TfFloat::ApplyPreferences);
    // The bar carries the program's title, as the display window does.
    setWindowTitle(jukebox_.ApplicationTitle());
    connect(&jukebox_, &TJukebox::applicationTitleChanged, this, &QWidget::setWindowTitle);
    jukebox_.DisplayTexts().SetFloatingBar(this);
}

TfFloat::~TfFloat()
{
    if (jukebox_.DisplayTexts().FloatingBar() == this)
        jukebox_.DisplayTexts().SetFloatingBar(nullptr);
}

void TfFloat::CreateComponents()
{
    bbHide = AddButton("bbHide", nullptr);
    bbHide->setToolTip(QStringLiteral("Hide floatbar"));
    connect(bbHide, &TBmpBtn::Clicked, this, &QWidget::close);
    bbPlay = AddButton("bbPlay", station_.aPlay);
    bbPause = AddButton("bbPause", station_.aPlayPause);
    bbStop = AddButton("bbStop", station_.aPlayStop);
    bbPrev = AddButton("bbPrev", station_.aPlayPrev);
    bbRew = AddButton("bbRew", station_.aPlayRew);
    bbFB = AddButton("bbFB", station_.aPlayFB, false);
    bbFF = AddButton("bbFF", station_.aPlayFF, false);
    bbNext = AddButton("bbNext", station_.aPlayNext);
    // The seek buttons run while held down; the press makes the first step, so their click
    // adds none.
    for (TBmpBtn *button : {bbFB, bbFF}) {
        connect(button, &TBmpBtn::MousePressed, this, [this, button](Qt::MouseButton b, QPoint) {
            if (b == Qt::LeftButton) PressSeekButton(button, true);
        });
        connect(button, &TBmpBtn::MouseReleased, this, [this, button](Qt::MouseButton b, QPoint) {
            if (b == Qt::LeftButton) PressSeekButton(button, false);
        });
        connect(button, &TBmpBtn::MouseMoved, this,
                [this, button](QPoint pos) { SeekPointerMoved(button, pos); });
    }
    tpFloat = Named<TTranslucentPanel>(this, "tpFloat");
    tlCaption = Named<TTransparentLabel>(tpFloat, "tlCaption");
    tlCaption->SetAlignment(TTLAlignment::tlaMiddleCenter);
    tlCaption->SetEllipsis(true);
    tpTime = Named<TTranslucentPanel>(this, "tpTime");
    tpTime->resize(56, kInitialHeight - 2);
    tlTime = Named<TTransparentLabel>(tpTime, "tlTime");
    tlTime->SetAlignment(TTLAlignment::tlaMiddleCenter);
    tlTime->SetCaption(QStringLiteral("00:00:00"));
    const QString timeHint = QStringLiteral("Change time display mode");
    tpTime->setToolTip(timeHint);
    tlTime->setToolTip(timeHint);
    for (QWidget *panel : {static_cast<QWidget *>(tpFloat), static_cast<QWidget *>(tpTime)}) {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, Qt::black);
        panel->setPalette(palette);
    }

    sLeft = Named<QWidget>(this, "sLeft");
    sRight = Named<QWidget>(this, "sRight");
    for (QWidget *watched : {static_cast<QWidget *>(tpFloat), static_cast<QWidget *>(tlCaption),
                             static_cast<QWidget *>(tpTime), static_cast<QWidget *>(tlTime),
                             sLeft, sRight}) {
        watched->installEventFilter(this);
    }
    sLeft->setCursor(Qt::SizeHorCursor);
    sRight->setCursor(Qt::SizeHorCursor);
}

TBmpBtn *TfFloat::AddButton(const char *name, QAction *action, bool clickRuns)
{
    auto *button = Named<TBmpBtn>(this, name);
    button->SetBmpIndices(0, 1, 2, 3, 0, 4);
    button->setGeometry(0, 1, 16, kInitialHeight - 2);
    if (action) {
        // The button shows what the action says: its hint and whether it can run.
        const auto follow = [button, action] {
            button->setEnabled(action->isEnabled());
            button->setToolTip(action->toolTip());
        };
        follow();
        connect(action, &QAction::changed, button, follow);
        if (clickRuns) connect(button, &TBmpBtn::Clicked, action, &QAction::trigger);
    }
    return button;
}

void TfFloat::ApplyTheme()
{
    TTonariaGlobals &g = jukebox_.GlobalState();
    TThemeHost host;
    host.ThemesFolder = g.ThemesFolder;
    ApplyThemeToForm(g.UIMan, this, g.ThemeName, host);
}

void TfFloat::ApplyPreferences()
{
    const TTonariaGlobals &g = jukebox_.GlobalState();
    for (TBmpBtn *button : findChildren<TBmpBtn *>())
        button->SetAllowFly(g.AllowFly);
    tlCaption->setFont(FontFromPref(g.FFloatbarCaption));
    tlCaption->SetFontColor(ColourToQColor(g.CFloatbarCaption));
    tlTime->setFont(FontFromPref(g.FFloatbarTime));
    tlTime->SetFontColor(ColourToQColor(g.CFloatbarTime));
    LocaliseForm(this, false);
}

void TfFloat::Layout()
{
    if (!bbHide) return;
    const int w = width(), h = height();
    sLeft->setGeometry(0, 0, kStripWidth, h);
    sRight->setGeometry(w - kStripWidth, 0, kStripWidth, h);
    int x = bbHide->x() + bbHide->width() + 2;
    for (TBmpBtn *button : {bbPlay, bbPause, bbStop}) {
        button->move(x, button->y());
        x += button->width();
    }
    x += 2;
    for (TBmpBtn *button : {bbPrev, bbRew, bbFB, bbFF, bbNext}) {
        button->move(x, button->y());
        x += button->width();
    }
    tpTime->setGeometry(w - tpTime->width() - 4, 1, tpTime->width(), h - 2);
    const int left = x + 2;
    tpFloat->setGeometry(left, 1, std::max(0, tpTime->x() - left - 2), h - 2);
    tlCaption->setGeometry(tpFloat->rect());
    tlTime->setGeometry(tpTime->rect());
    sLeft->raise();
    sRight->raise();
    setMinimumWidth(left + 64);
    update();
}

void TfFloat::SetCaption(const QString &caption)
{
    if (tlCaption->Caption() != caption) tlCaption->SetCaption(caption);
}

void TfFloat::SetTime(const QString &time)
{
    if (tlTime->Caption() != time) tlTime->SetCaption(time);
}

bool TfFloat::SnapPending() const
{
    return snapper_->CountingDown();
}

void TfFloat::showEvent(QShowEvent *event)
{
    TSkinForm::showEvent(event);
    if (event->spontaneous()) return;
    TTonariaGlobals &g = jukebox_.GlobalState();
    g.FloatShow = true;
    if (g.FloatWidth == -1 && g.FloatX == -1 && g.FloatY == -1) {
        // The first opening: centred at the top edge, then made 320 wide.
        const QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
        const QRect area = shown ? shown->geometry() : QRect(0, 0, 1024, 768);
        g.FloatWidth = kFirstWidth;
        g.FloatX = area.x() + (area.width() - width()) / 2;
        g.FloatY = area.y();
    }
    setGeometry(g.FloatX, g.FloatY, g.FloatWidth, height());
    Layout();
    // The bar's own share of the preferences: applying them all again would reload the theme
    // and make the player's next open send its MIDI reset once more.
    ApplyPreferences();
    g.UpdateControls();
    // The texts at once, not at the next refresh (a stopped jukebox has none).
    g.UpdateDisplay();
    setAcceptDrops(true);
}

void TfFloat::resizeEvent(QResizeEvent *event)
{
    TSkinForm::resizeEvent(event);
    Layout();
}

void TfFloat::moveEvent(QMoveEvent *event)
{
    TSkinForm::moveEvent(event);
    if (isVisible() && snapper_) snapper_->Moved();
}

void TfFloat::closeEvent(QCloseEvent *event)
{
    setAcceptDrops(false);
    TTonariaGlobals &g = jukebox_.GlobalState();
    g.FloatWidth = width();
    g.FloatX = x();
    g.FloatY = y();
    // A bar closed by the user stays closed at the next start; one open at exit comes back.
    if (!g.ShuttingDown) g.FloatShow = false;
    if (jukebox_.DisplayTexts().FloatingBar() == this)
        jukebox_.DisplayTexts().SetFloatingBar(nullptr);
    event->accept();
    emit closed();
}

// ---- Mouse ----

void TfFloat::DragPress(TDrag kind, QMouseEvent *event)
{
    pressGlobal_ = event->globalPosition().toPoint();
    pressGeometry_ = geometry();
    drag_ = kind;
    QWindow *window = windowHandle();
    if (!window) return;
    if (kind == TDrag::ResizeLeft && window->startSystemResize(Qt::LeftEdge)) drag_ = TDrag::None;
    if (kind == TDrag::ResizeRight && window->startSystemResize(Qt::RightEdge))
        drag_ = TDrag::None;
    if (kind == TDrag::Move && window->startSystemMove()) drag_ = TDrag::None;
}

bool TfFloat::DragMove(QMouseEvent *event)
{
    if (drag_ == TDrag::None || !(event->buttons() & Qt::LeftButton)) return false;
    const QPoint delta = event->globalPosition().toPoint() - pressGlobal_;
    switch (drag_) {
    case TDrag::None:
        return false;
    case TDrag::Pending:
        // A press on a panel is a click until the pointer goes somewhere.
        if (delta.manhattanLength() < QApplication::startDragDistance()) return true;
        drag_ = TDrag::Move;
        if (windowHandle() && windowHandle()->startSystemMove()) {
            drag_ = TDrag::None;
            return true;
        }
        [[fallthrough]];
    case TDrag::Move:
        move(pressGeometry_.topLeft() + delta);
        return true;
    case TDrag::ResizeRight:
        resize(std::max(minimumWidth(), pressGeometry_.width() + delta.x()), height());
        return true;
    case TDrag::ResizeLeft: {
        const int newWidth = std::max(minimumWidth(), pressGeometry_.width() - delta.x());
        setGeometry(pressGeometry_.right() + 1 - newWidth, y(), newWidth, height());
        return true;
    }
    }
    return false;
}

bool TfFloat::DragRelease(QMouseEvent *)
{
    const bool click = drag_ == TDrag::Pending;
    drag_ = TDrag::None;
    return click;
}

void TfFloat::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) DragPress(TDrag::Move, event);
    TSkinForm::mousePressEvent(event);
}

void TfFloat::mouseMoveEvent(QMouseEvent *event)
{
    if (!DragMove(event)) TSkinForm::mouseMoveEvent(event);
}

void TfFloat::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) DragRelease(event);
    TSkinForm::mouseReleaseEvent(event);
}

bool TfFloat::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return TSkinForm::eventFilter(watched, event);
    auto *mouse = static_cast<QMouseEvent *>(event);
    const bool strip = watched == sLeft || watched == sRight;
    const bool time = watched == tpTime || watched == tlTime;
    if (type == QEvent::MouseButtonPress) {
        if (mouse->button() != Qt::LeftButton) return false;
        DragPress(watched == sLeft    ? TDrag::ResizeLeft
                  : watched == sRight ? TDrag::ResizeRight
                                      : TDrag::Pending,
                  mouse);
        return strip;
    }
    if (type == QEvent::MouseMove) return DragMove(mouse) && strip;
    // The release.
    if (mouse->button() == Qt::RightButton && watched == tlCaption &&
        tlCaption->rect().contains(mouse->position().toPoint())) {
        station_.PopupTitlesAt(tpFloat->mapToGlobal(QPoint(0, tpFloat->height())));
        return false;
    }
    if (mouse->button() == Qt::LeftButton && DragRelease(mouse) && time) ToggleTimeSwap();
    return strip;
}

void TfFloat::PressSeekButton(TBmpBtn *button, bool down)
{
    const TSeekDirection direction =
        button == bbFB ? TSeekDirection::Backward : TSeekDirection::Forward;
    if (down) {
        seekOutside_ = false;
        jukebox_.SeekButtonDown(direction);
    } else {
        if (!seekOutside_) jukebox_.SeekButtonUp(direction);
        seekOutside_ = false;
    }
}

void TfFloat::SeekPointerMoved(TBmpBtn *button, QPoint pos)
{
    if (!(QApplication::mouseButtons() & Qt::LeftButton)) return;
    // The run rests while the pointer is off the button it was started from.
    const bool inside = button->rect().contains(pos);
    const TSeekDirection direction =
        button == bbFB ? TSeekDirection::Backward : TSeekDirection::Forward;
    if (!inside && !seekOutside_) {
        seekOutside_ = true;
        jukebox_.SeekButtonUp(direction);
    } else if (inside && seekOutside_) {
        seekOutside_ = false;
        jukebox_.SeekButtonDown(direction);
    }
}

void TfFloat::ToggleTimeSwap()
{
    TTonariaGlobals &g = jukebox_.GlobalState();
    g.TimeSwap = !g.TimeSwap;
    g.UpdateDisplay();
}

// ---- Keys and drops ----

void TfFloat::keyPressEvent(QKeyEvent *event)
{
    if (!jukebox_.Keys().KeyPressed(event->key(), event->modifiers(), event->text()))
        TSkinForm::keyPressEvent(event);
}

void TfFloat::dragEnterEvent(QDragEnterEvent *event)
{
    if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TfFloat::dropEvent(QDropEvent *event)
{
    const QStringList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    jukebox_.DropFiles(paths);
}
