#include "presentation/tfdisplay.h"

#include "core/displaytexts.h"
#include "core/jukebox.h"
#include "core/stationkeys.h"
#include "core/timersource.h"
#include "core/tonariaglobals.h"
#include "localisation/showmessage.h"
#include "localisation/ui/localiseform.h"
#include "platform/ui/colourmap.h"
#include "presentation/skin/applytheme.h"
#include "presentation/skin/tbmpbtn.h"
#include "presentation/skin/tbmpled.h"
#include "presentation/skin/tdcdisruptor.h"
#include "presentation/skin/ttranslucentpanel.h"
#include "presentation/skin/ttransparentlabel.h"
#include "presentation/skin/ttransprogressbar.h"
#include "presentation/tfstation.h"
#include "presentation/titleedits.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <functional>

namespace {

// Edges this close to the screen's edges snap to them.
constexpr int kSnapDistance = 10;
// The snap follows the last move by this long.
constexpr int kSnapDelayMs = 250;

// The bitmap buttons, each at a place of its own until the theme moves it.
struct TButtonPlace {
    const char *name;
    const char *hint;
    int x, y, w, h;
};
constexpr TButtonPlace kButtons[] = {
    {"bbPower", "Power", 456, 8, 20, 20},
    {"bbHide", "Hide", 432, 8, 20, 20},
    {"bb1", "1", 368, 33, 38, 20},
    {"bb2", "2", 411, 33, 38, 20},
    {"bb3", "3", 454, 33, 38, 20},
    {"bb4", "4", 368, 57, 38, 20},
    {"bb5", "5", 411, 57, 38, 20},
    {"bb6", "6", 454, 57, 38, 20},
    {"bb7", "7", 368, 81, 38, 20},
    {"bb8", "8", 411, 81, 38, 20},
    {"bb9", "9", 454, 81, 38, 20},
    {"bb0", "0", 411, 105, 38, 20},
    {"bbOpen", "Open...", 16, 142, 46, 30},
    {"bbPlay", nullptr, 130, 142, 46, 30},
    {"bbPause", nullptr, 178, 142, 46, 30},
    {"bbStop", nullptr, 226, 142, 46, 30},
    {"bbPrev", nullptr, 66, 142, 30, 30},
    {"bbRew", nullptr, 98, 142, 30, 30},
    {"bbFB", nullptr, 274, 142, 30, 30},
    {"bbFF", nullptr, 306, 142, 30, 30},
    {"bbNext", nullptr, 338, 142, 30, 30},
    {"bbAddToProgram", "Add curent title to this program", 244, 182, 34, 22},
    {"bbRemoveFromProgram", "Remove current title from this program", 280, 182, 34, 22},
    {"bbRemoveFromAlbum", "Remove current title from this album", 316, 182, 34, 22},
    {"bbModeLoad", "Load favorite title mode", 368, 129, 38, 10},
    {"bbModeStore", "Store favorite title mode", 454, 129, 38, 10},
    {"bbEject", "Eject", 382, 142, 34, 30},
    {"bbClose", "Close", 420, 142, 34, 30},
    {"bbMenu", "Menu", 352, 182, 34, 22},
    {"bbTitles", "Select title", 16, 182, 34, 22},
    {"bbPrograms", "Select program", 52, 182, 34, 22},
    {"bbAlbums", "Select album", 88, 182, 34, 22},
    {"bbEditTitle", nullptr, 130, 182, 34, 22},
    {"bbEditProgram", nullptr, 166, 182, 34, 22},
    {"bbEditAlbum", nullptr, 202, 182, 34, 22},
    {"bbView", "Show/hide window", 388, 182, 34, 22},
};

const char *ControlName(TDisplayControl control)
{
    switch (control) {
    case TDisplayControl::bbAddToProgram:
        return "bbAddToProgram";
    case TDisplayControl::bbRemoveFromAlbum:
        return "bbRemoveFromAlbum";
    case TDisplayControl::bbRemoveFromProgram:
        return "bbRemoveFromProgram";
    case TDisplayControl::bbModeLoad:
        return "bbModeLoad";
    case TDisplayControl::bbModeStore:
        return "bbModeStore";
    case TDisplayControl::bb0:
        return "bb0";
    case TDisplayControl::bb1:
        return "bb1";
    case TDisplayControl::bb2:
        return "bb2";
    case TDisplayControl::bb3:
        return "bb3";
    case TDisplayControl::bb4:
        return "bb4";
    case TDisplayControl::bb5:
        return "bb5";
    case TDisplayControl::bb6:
        return "bb6";
    case TDisplayControl::bb7:
        return "bb7";
    case TDisplayControl::bb8:
        return "bb8";
    case TDisplayControl::bb9:
        return "bb9";
    case TDisplayControl::tpbDisplay:
        return "tpbDisplay";
    case TDisplayControl::bbEject:
        return "bbEject";
    }
    return "";
}

QFont FontOf(const TFontPref &pref, const QFont &base)
{
    QFont font = base;
    if (!pref.Name.isEmpty()) font.setFamily(pref.Name);
    if (pref.Size > 0) font.setPointSize(pref.Size);
    font.setBold(pref.Bold);
    font.setItalic(pref.Italic);
    return font;
}

// A time font too big for its label (the theme's panel is smaller than the font was chosen
// for) is scaled down until a time fits, so that no digit is cut.
QFont FitTime(QFont font, const QSize &room)
{
    const QString sample = QStringLiteral("00:00:00");
    for (int i = 0; i < 40 && font.pointSizeF() > 4; ++i) {
        const QFontMetrics metrics(font);
        if (metrics.height() <= room.height() && metrics.horizontalAdvance(sample) <= room.width())
            break;
        font.setPointSizeF(font.pointSizeF() * 0.9);
    }
    return font;
}

template <typename T> T *Named(QWidget *parent, const char *name)
{
    auto *w = new T(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

// Clicks on a control without a click signal of its own.
class TClickFilter : public QObject {
public:
    TClickFilter(QObject *owner, std::function<void()> onClick)
        : QObject(owner), onClick_(std::move(onClick))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            onClick_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onClick_;
};

} // namespace

TfDisplay::TfDisplay(TfStation &station, TTimerSource &timers)
    : TSkinForm(TSkinKind::Display, QStringLiteral("fDisplay"), QStringLiteral("fsDisplay")),
      station_(station), snapTimer_(timers.CreateTimer())
{
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(Jukebox().ApplicationTitle());
    setFocusPolicy(Qt::StrongFocus);
    resize(500, 214);
    TTonariaGlobals &g = Jukebox().GlobalState();
    TBmpBtn::DefaultGlyphFolder = g.DefaultThemeFolder;
    CreatePictureCollections();
    CreateComponents();
    CreateMenus();
    ConnectButtons();
    connect(snapTimer_.get(), &TTimer::timeout, this, &TfDisplay::Snap);

    TJukebox &j = Jukebox();
    connect(&j, &TJukebox::preferencesApplied, this, &TfDisplay::ApplyPreferences);
    connect(&j, &TJukebox::applicationTitleChanged, this, &QWidget::setWindowTitle);
    connect(&j, &TJukebox::controlsChanged, this, &TfDisplay::FollowPlaying);
    j.DisplayTexts().SetDisplay(this);

    // The flag waves over the background picture.
    dcdFlag->Capture();

    TThemeHost host;
    host.ThemesFolder = g.ThemesFolder;
    host.DisplayFlag = [&g] { return g.DisplayFlag; };
    host.SetDisplayFlag = [&g](bool on) { g.DisplayFlag = on; };
    host.ApplyPreferences = [&j] { j.ApplyPreferences(); };
    ApplyThemeToForm(g.UIMan, this, g.ThemeName, host);
    ApplyPreferences();
    FollowPlaying();
}

TfDisplay::~TfDisplay()
{
    TJukebox &j = Jukebox();
    j.SetMovingContentsShown(false);
    if (j.DisplayTexts().Display() == this) j.DisplayTexts().SetDisplay(nullptr);
}

TJukebox &TfDisplay::Jukebox() const
{
    return station_.Jukebox();
}

TBmpBtn *TfDisplay::Button(const QString &name) const
{
    return findChild<TBmpBtn *>(name, Qt::FindDirectChildrenOnly);
}

void TfDisplay::CreateComponents()
{
    for (const TButtonPlace &place : kButtons) {
        auto *b = Named<TBmpBtn>(this, place.name);
        b->setGeometry(place.x, place.y, place.w, place.h);
        b->SetBmpIndices(0, 1, 2, 3, 0, 4);
        if (place.hint) b->setToolTip(QLatin1String(place.hint));
    }
    for (const char *name : {"bbModeLoad", "bbModeStore"}) {
        TBmpBtn *b = Button(QLatin1String(name));
        b->SetBtnType(TBmpBtnType::bbtGroup);
        b->GroupIndex = 1;
        b->AllowAllUp = true;
        b->setEnabled(false);
    }
    for (const char *name : {"bbOpen", "bbMenu", "bbView"})
        Button(QLatin1String(name))->SetBtnType(TBmpBtnType::bbtPopup);

    tpDisplay = Named<TTranslucentPanel>(this, "tpDisplay");
    tpDisplay->setGeometry(16, 34, 340, 94);
    tlCaption = Named<TTransparentLabel>(tpDisplay, "tlCaption");
    tlCaption->setGeometry(10, 6, 296, 18);
    tlCaption->SetCaption(QStringLiteral("(no title)"));
    tlCaption->SetEllipsis(true);
    tlCaption->SetAlignment(TTLAlignment::tlaMiddleLeft);
    tlCaption->setToolTip(QStringLiteral("Media information"));
    tlTime = Named<TTransparentLabel>(tpDisplay, "tlTime");
    tlTime->setGeometry(10, 26, 150, 36);
    tlTime2 = Named<TTransparentLabel>(tpDisplay, "tlTime2");
    tlTime2->setGeometry(166, 28, 140, 16);
    tlTimeTotal = Named<TTransparentLabel>(tpDisplay, "tlTimeTotal");
    tlTimeTotal->setGeometry(166, 46, 140, 16);
    for (TTransparentLabel *label : {tlTime, tlTime2, tlTimeTotal}) {
        label->SetCaption(QStringLiteral("00:00:00"));
        label->setToolTip(QStringLiteral("Change time display mode"));
        connect(label, &TTransparentLabel::Clicked, this, &TfDisplay::TimeClick);
    }
    tpbDisplay = Named<TTransProgressBar>(tpDisplay, "tpbDisplay");
    tpbDisplay->setGeometry(10, 70, 296, 14);
    tpbDisplay->SetRange(0, 100);
    tpbDisplay->SetPosition(0);
    tpbDisplay->setToolTip(QStringLiteral("Media position"));
    connect(tpbDisplay, &TTransProgressBar::Changed, this, &TfDisplay::SeekBarChanged);
    blL = Named<TBmpLED>(tpDisplay, "blL");
    blL->setGeometry(314, 8, 8, 78);
    blR = Named<TBmpLED>(tpDisplay, "blR");
    blR->setGeometry(324, 8, 8, 78);
    auto *apm = new TClickFilter(this, [this] { APMClick(); });
    for (TBmpLED *led : {blL, blR}) {
        led->SetRange(0, 32768);
        led->FallCountMax = 100;
        led->Falloff = true;
        led->Reset();
        led->setToolTip(QStringLiteral("Toggle Audio Peak Meter mode"));
        led->installEventFilter(apm);
    }
    dcdFlag = new TDCDisruptor(this);
    dcdFlag->setObjectName(QStringLiteral("dcdFlag"));
    dcdFlag->PosX = 412;
    dcdFlag->PosY = 8;
    SetFlag(dcdFlag);
}

void TfDisplay::CreateMenus()
{
    TfStation &s = station_;
    pmMenu = new QMenu(this);
    pmMenu->setObjectName(QStringLiteral("pmMenu"));
    pmMenu->addAction(s.aMiscPref);
    pmMenu->addSeparator();
    QAction *news = pmMenu->addAction(QStringLiteral("RozedAdivid News manager..."));
    news->setObjectName(QStringLiteral("RozedAdividNewsmanager1"));
    connect(news, &QAction::triggered, &s, &TfStation::ShowNewsManager);
    QAction *check = pmMenu->addAction(QStringLiteral("Invoke RozedAdivid News check"));
    check->setObjectName(QStringLiteral("InvokeRozedAdividNewscheck1"));
    connect(check, &QAction::triggered, &s, &TfStation::CheckNewsNow);
    pmMenu->addSeparator();
    pmMenu->addAction(s.aHelpTopics);
    pmMenu->addSeparator();
    QAction *about = pmMenu->addAction(QStringLiteral("About..."));
    about->setObjectName(QStringLiteral("About1"));
    connect(about, &QAction::triggered, this, &TfDisplay::About);
    Button(QStringLiteral("bbMenu"))->PopupMenuClicked = pmMenu;

    pmView = new QMenu(this);
    pmView->setObjectName(QStringLiteral("pmView"));
    connect(pmView, &QMenu::aboutToShow, this, &TfDisplay::BuildViewMenu);
    Button(QStringLiteral("bbView"))->PopupMenuClicked = pmView;
    BuildViewMenu();

    if (auto *devices = dynamic_cast<QMenu *>(Jukebox().Player().DeviceMenu()))
        Button(QStringLiteral("bbOpen"))->PopupMenuClicked = devices;
}

void TfDisplay::BuildViewMenu()
{
    pmView->clear();
    QAction *floatbar = pmView->addAction(GetMessageText(QStringLiteral("UIFloatbar")));
    floatbar->setObjectName(QStringLiteral("Floatbar1"));
    floatbar->setCheckable(true);
    floatbar->setChecked(station_.FloatbarExists());
    connect(floatbar, &QAction::triggered, &station_, &TfStation::ToggleFloatbar);

    // The plug-ins' views, each asked for its caption and whether it shows. A view may go (or
    // another come) while the menu is built: one that is gone is left out, and a click on an
    // item whose view has gone since does nothing.
    TPIHost &host = Jukebox().PluginHost();
    const std::vector<int> views = host.ViewIDs();
    if (views.empty()) return;
    pmView->addSeparator();
    for (const int view : views) {
        const QString caption = host.ViewCaption(view);
        if (!host.Lists().ViewOwner(view)) continue;
        const bool shown = host.ViewVisible(view);
        QAction *item = pmView->addAction(caption);
        item->setObjectName(QStringLiteral("ViewCuwin%1").arg(view));
        item->setData(view);
        item->setCheckable(true);
        item->setChecked(shown);
        connect(item, &QAction::triggered, this, [this, view, shown] {
            Jukebox().PluginHost().SetViewVisible(view, !shown);
        });
    }
}

void TfDisplay::BindAction(const char *button, QAction *action)
{
    TBmpBtn *b = Button(QLatin1String(button));
    auto follow = [b, action] {
        b->setEnabled(action->isEnabled());
        b->setToolTip(action->toolTip());
    };
    follow();
    connect(action, &QAction::changed, b, follow);
    connect(b, &TBmpBtn::Clicked, action, &QAction::trigger);
}

void TfDisplay::ConnectButtons()
{
    TfStation &s = station_;
    BindAction("bbPlay", s.aPlay);
    BindAction("bbPause", s.aPlayPause);
    BindAction("bbStop", s.aPlayStop);
    BindAction("bbPrev", s.aPlayPrev);
    BindAction("bbRew", s.aPlayRew);
    BindAction("bbNext", s.aPlayNext);
    BindAction("bbEditTitle", s.aEditTitles);
    BindAction("bbEditProgram", s.aEditPrograms);
    BindAction("bbEditAlbum", s.aEditAlbums);
    // The seek buttons run while held down; they take the actions' looks, not their clicks.
    const std::pair<const char *, TSeekDirection> seeks[] = {{"bbFB", TSeekDirection::Backward},
                                                             {"bbFF", TSeekDirection::Forward}};
    for (const auto &[name, direction] : seeks) {
        TBmpBtn *b = Button(QLatin1String(name));
        QAction *action = direction == TSeekDirection::Backward ? s.aPlayFB : s.aPlayFF;
        auto follow = [b, action] {
            b->setEnabled(action->isEnabled());
            b->setToolTip(action->toolTip());
        };
        follow();
        connect(action, &QAction::changed, b, follow);
        connect(b, &TBmpBtn::MousePressed, this, [this, direction = direction](Qt::MouseButton m) {
            if (m != Qt::LeftButton) return;
            seekOutside_ = false;
            Jukebox().SeekButtonDown(direction);
        });
        connect(b, &TBmpBtn::MouseReleased, this, [this, direction = direction](Qt::MouseButton m) {
            if (m != Qt::LeftButton) return;
            seekOutside_ = false;
            Jukebox().SeekButtonUp(direction);
        });
        // The run rests while the pointer is off the button it was started from.
        connect(b, &TBmpBtn::MouseMoved, this, [this, b, direction = direction](QPoint pos) {
            if (!(QApplication::mouseButtons() & Qt::LeftButton)) return;
            const bool inside = b->rect().contains(pos);
            if (inside == !seekOutside_) return;
            seekOutside_ = !inside;
            if (inside)
                Jukebox().SeekButtonDown(direction);
            else
                Jukebox().SeekButtonUp(direction);
        });
    }
    for (int digit = 0; digit <= 9; ++digit)
        connect(Button(QStringLiteral("bb%1").arg(digit)), &TBmpBtn::Clicked, this,
                [this, digit] { Jukebox().QuickNumberKey(QChar(u'0' + digit)); });
    connect(Button(QStringLiteral("bbPower")), &TBmpBtn::Clicked, this,
            [this] { Jukebox().Exit(); });
    connect(Button(QStringLiteral("bbHide")), &TBmpBtn::Clicked, this, &QWidget::close);
    connect(Button(QStringLiteral("bbClose")), &TBmpBtn::Clicked, this, [this] {
        try {
            Jukebox().Transport().CloseTitle();
        } catch (const std::exception &) {
            // Closing a title that failed already leaves nothing to tell.
        }
    });
    connect(Button(QStringLiteral("bbEject")), &TBmpBtn::Clicked, this, &TfDisplay::Eject);
    connect(Button(QStringLiteral("bbAddToProgram")), &TBmpBtn::Clicked, this,
            [this] { AddLoadedTitleToProgram(Jukebox()); });
    connect(Button(QStringLiteral("bbRemoveFromProgram")), &TBmpBtn::Clicked, this,
            [this] { RemoveLoadedTitleFromProgram(Jukebox()); });
    connect(Button(QStringLiteral("bbRemoveFromAlbum")), &TBmpBtn::Clicked, this,
            [this] { RemoveLoadedTitleFromAlbum(Jukebox()); });
    connect(Button(QStringLiteral("bbTitles")), &TBmpBtn::Clicked, this,
            [this] { PopupList(TStationList::Titles, "bbTitles"); });
    connect(Button(QStringLiteral("bbPrograms")), &TBmpBtn::Clicked, this,
            [this] { PopupList(TStationList::Programs, "bbPrograms"); });
    connect(Button(QStringLiteral("bbAlbums")), &TBmpBtn::Clicked, this,
            [this] { PopupList(TStationList::Albums, "bbAlbums"); });
}

void TfDisplay::PopupList(TStationList list, const char *button)
{
    const TBmpBtn *b = Button(QLatin1String(button));
    station_.PopupListAt(list, b->mapToGlobal(QPoint(0, b->height())));
}

void TfDisplay::Eject()
{
    TSonoricPlayer &player = Jukebox().Player();
    if (!player.Opened()) return;
    try {
        player.SetDoorOpen(true);
    } catch (const std::exception &) {
        // A device without a door: nothing to open.
    }
}

void TfDisplay::SeekBarChanged(int position)
{
    TSonoricPlayer &player = Jukebox().Player();
    try {
        if (!player.IsReady()) return;
        player.Seek(std::uint32_t(std::max(position, 0)));
    } catch (const std::exception &) {
        // The medium went away meanwhile; the next refresh shows where things stand.
    }
    Jukebox().GlobalState().UpdateControls();
    Jukebox().GlobalState().UpdateDisplay();
}

void TfDisplay::TimeClick()
{
    TTonariaGlobals &g = Jukebox().GlobalState();
    g.TimeSwap = !g.TimeSwap;
    g.UpdateDisplay();
}

void TfDisplay::APMClick()
{
    TTonariaGlobals &g = Jukebox().GlobalState();
    if (!g.APMActive) {
        g.APMActive = true;
        g.APMFall = false;
    } else if (!g.APMFall) {
        g.APMFall = true;
    } else {
        g.APMActive = false;
    }
    ApplyMeterMode();
    Jukebox().ApplyPreferences();
}

void TfDisplay::ApplyMeterMode()
{
    const TTonariaGlobals &g = Jukebox().GlobalState();
    for (TBmpLED *led : {blL, blR}) {
        if (g.APMActive) {
            led->Falloff = g.APMFall;
            led->FallCountMax = g.APMFallInterval;
        } else {
            led->Reset();
        }
    }
}

void TfDisplay::ApplyPreferences()
{
    const TTonariaGlobals &g = Jukebox().GlobalState();
    ApplyMeterMode();
    // The meter falls by the same amount per second whatever its reading interval.
    const int interval = std::max(g.APMInterval, 1);
    TBmpLED::FallFactor = interval * 0.005;
    TBmpLED::MinFallStep = interval * 10;
    if (!g.DisplayFlag) {
        dcdFlag->ClearFrame();
        update(dcdFlag->FlagRect());
    }
    for (TBmpBtn *b : findChildren<TBmpBtn *>())
        b->SetAllowFly(g.AllowFly);
    const std::pair<TTransparentLabel *, std::pair<const TFontPref *, TColour>> labels[] = {
        {tlCaption, {&g.FTitleCaption, g.CTitleCaption}},
        {tlTime, {&g.FPrimaryTime, g.CPrimaryTime}},
        {tlTime2, {&g.FSecondaryTime, g.CSecondaryTime}},
        {tlTimeTotal, {&g.FTotalTime, g.CTotalTime}},
    };
    for (const auto &[label, look] : labels) {
        const QFont chosen = FontOf(*look.first, font());
        label->setFont(label == tlCaption ? chosen : FitTime(chosen, label->size()));
        label->SetFontColor(ColourToQColor(look.second, palette()));
    }
    tpbDisplay->SetColor(ColourToQColor(g.CPositionBar, palette()));
    LocaliseForm(this, false);
    // The language file's caption of the form gives way to the title playing.
    setWindowTitle(Jukebox().ApplicationTitle());
}

void TfDisplay::About()
{
    QMessageBox::about(this, QStringLiteral("About Tonaria"),
                       QStringLiteral("Tonaria\nA MIDI jukebox for the desktop."));
}

// ---- Showing, closing and placing ----

void TfDisplay::showEvent(QShowEvent *event)
{
    TSkinForm::showEvent(event);
    if (playing_) Jukebox().SetMovingContentsShown(true);
    if (!firstShow_) return;
    firstShow_ = false;
    TTonariaGlobals &g = Jukebox().GlobalState();
    if (g.FormX == -1 && g.FormY == -1) {
        const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
        const QRect area = s ? s->geometry() : QRect(0, 0, 1024, 768);
        g.FormX = area.x() + (area.width() - width()) / 2;
        g.FormY = area.y() + (area.height() - height()) / 2;
    }
    move(g.FormX, g.FormY);
    snapTimer_->Stop();
    Jukebox().ApplyPreferences();
    // What was shown while the window did not exist is shown now.
    g.UpdateDisplay();
    setAcceptDrops(true);
}

void TfDisplay::hideEvent(QHideEvent *event)
{
    TSkinForm::hideEvent(event);
    snapTimer_->Stop();
    Jukebox().SetMovingContentsShown(false);
}

void TfDisplay::FollowPlaying()
{
    // The flag waves and the meter moves while a title plays; a stopped jukebox shows a still
    // window that costs nothing.
    TSonoricPlayer &player = Jukebox().Player();
    bool playing = false;
    try {
        playing = player.Opened() && player.GetMode() == MCI_MODE_PLAY;
    } catch (const std::exception &) {
        playing = false;
    }
    if (playing == playing_) return;
    playing_ = playing;
    Jukebox().SetMovingContentsShown(playing && isVisible());
    if (!playing)
        for (TBmpLED *led : {blL, blR})
            if (led->Position() != led->Min() || led->Peak() != led->Min()) led->Reset();
}

void TfDisplay::StorePosition()
{
    if (firstShow_) return; // never placed: nothing to remember
    TTonariaGlobals &g = Jukebox().GlobalState();
    g.FormX = x();
    g.FormY = y();
}

void TfDisplay::closeEvent(QCloseEvent *event)
{
    setAcceptDrops(false);
    StorePosition();
    event->accept();
    // The station frees the window and takes the program to the tray.
    Jukebox().Post(TStationCommand::CloseDisplay);
}

void TfDisplay::moveEvent(QMoveEvent *event)
{
    TSkinForm::moveEvent(event);
    if (snapping_ || firstShow_ || !CanPlaceWindows()) return;
    snapTimer_->Start(kSnapDelayMs);
}

bool TfDisplay::SnapPending() const
{
    return snapTimer_->IsActive();
}

QPoint TfDisplay::SnappedPosition(const QRect &window, const QRect &screen)
{
    QPoint place = window.topLeft();
    if (std::abs(window.left() - screen.left()) <= kSnapDistance) place.setX(screen.left());
    if (std::abs(window.top() - screen.top()) <= kSnapDistance) place.setY(screen.top());
    const int right = window.x() + window.width(), screenRight = screen.x() + screen.width();
    if (std::abs(right - screenRight) <= kSnapDistance) place.setX(screenRight - window.width());
    const int bottom = window.y() + window.height(), screenBottom = screen.y() + screen.height();
    if (std::abs(bottom - screenBottom) <= kSnapDistance)
        place.setY(screenBottom - window.height());
    return place;
}

bool TfDisplay::CanPlaceWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void TfDisplay::Snap()
{
    snapTimer_->Stop();
    if (!Jukebox().GlobalState().AutoSnap || !isVisible()) return;
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QPoint place = SnappedPosition(geometry(), s->geometry());
    if (place == pos()) return;
    snapping_ = true;
    move(place);
    snapping_ = false;
}

void TfDisplay::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) return TSkinForm::mousePressEvent(event);
    // The desktop moves the window as by its caption; where it cannot, the window follows the
    // pointer itself.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void TfDisplay::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
    TSkinForm::mouseMoveEvent(event);
}

void TfDisplay::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) dragging_ = false;
    TSkinForm::mouseReleaseEvent(event);
}

void TfDisplay::keyPressEvent(QKeyEvent *event)
{
    if (Jukebox().Keys().KeyPressed(event->key(), event->modifiers(), event->text())) return;
    TSkinForm::keyPressEvent(event);
}

void TfDisplay::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TfDisplay::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    Jukebox().DropFiles(paths);
}

// ---- What the display texts write ----

bool TfDisplay::DraggedPosition(std::uint32_t &position) const
{
    if (!tpbDisplay->Tracking()) return false;
    position = std::uint32_t(std::max(tpbDisplay->Position(), 0));
    return true;
}

void TfDisplay::SetPositionBar(std::uint32_t maximum, std::uint32_t position)
{
    tpbDisplay->SetRange(0, int(std::min<std::uint32_t>(maximum, INT32_MAX)));
    tpbDisplay->SetPosition(int(std::min<std::uint32_t>(position, INT32_MAX)));
}

void TfDisplay::SetCaption(const QString &caption)
{
    tlCaption->SetCaption(caption);
}

void TfDisplay::SetTimes(const QString &time, const QString &time2, const QString &total)
{
    tlTime->SetCaption(time);
    tlTime2->SetCaption(time2);
    tlTimeTotal->SetCaption(total);
}

void TfDisplay::SetControlEnabled(TDisplayControl control, bool enabled)
{
    if (control == TDisplayControl::tpbDisplay) {
        tpbDisplay->setEnabled(enabled);
    } else if (TBmpBtn *b = Button(QLatin1String(ControlName(control)))) {
        b->setEnabled(enabled);
    }
}

void TfDisplay::AdvanceAnimation()
{
    dcdFlag->Step();
}

void TfDisplay::SetMeter(std::int32_t left, std::int32_t right)
{
    blL->SetPosition(left);
    blR->SetPosition(right);
}
