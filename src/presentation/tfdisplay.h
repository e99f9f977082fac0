#pragma once
// The display window: the program's visible face. A borderless window whose look is the
// theme's; it shows the loaded title, the times, the position bar, the peak meter and the flag,
// and carries every control of the jukebox as a bitmap button. What it shows is written by the
// display texts through the display sink, which the window installs while it exists; what its
// buttons do is the station's actions and the jukebox's commands.
//
// The station creates it when the program leaves the tray and frees it when it closes: closing
// the window hides the program in the tray, it never ends it (the power button does).
//
//     auto *display = new TfDisplay(station, timers);
//     display->show();                  // first show: placed, preferences applied
//
// The window is dragged by its background; 250 ms after its last move it snaps to the screen's
// edges when they are within 10 pixels (not on a desktop that places windows itself).
//
// Threads: main thread only.

#include "core/displaysink.h"
#include "core/stationcommands.h"
#include "presentation/skin/tskinform.h"

#include <QMenu>
#include <QPoint>

#include <memory>

class TBmpBtn;
class TBmpLED;
class TDCDisruptor;
class TJukebox;
class TTimer;
class TTimerSource;
class TTranslucentPanel;
class TTransparentLabel;
class TTransProgressBar;
class TfStation;

class TfDisplay : public TSkinForm, public TDisplaySink {
    Q_OBJECT

public:
    TfDisplay(TfStation &station, TTimerSource &timers);
    ~TfDisplay() override;

    // A component by its name (buttons, labels, the bar, the meters, the panel).
    TBmpBtn *Button(const QString &name) const;
    TTransparentLabel *tlCaption = nullptr, *tlTime = nullptr, *tlTime2 = nullptr,
                      *tlTimeTotal = nullptr;
    TTransProgressBar *tpbDisplay = nullptr;
    TBmpLED *blL = nullptr, *blR = nullptr;
    TTranslucentPanel *tpDisplay = nullptr;
    TDCDisruptor *dcdFlag = nullptr;
    QMenu *pmMenu = nullptr;
    QMenu *pmView = nullptr;

    // Stores the window's place in the preferences (the close does it too).
    void StorePosition();
    // Runs the edge snapping now (the timer does it 250 ms after the last move).
    void Snap();
    bool SnapPending() const;

    // The top-left corner a window of that geometry snaps to on that screen: each edge within
    // 10 pixels of the screen's matching edge goes flush with it.
    static QPoint SnappedPosition(const QRect &window, const QRect &screen);
    // Whether the program may place its own windows (not on a native Wayland desktop).
    static bool CanPlaceWindows();

    // ---- What the display texts write ----
    bool DraggedPosition(std::uint32_t &position) const override;
    void SetPositionBar(std::uint32_t maximum, std::uint32_t position) override;
    void SetCaption(const QString &caption) override;
    void SetTimes(const QString &time, const QString &time2, const QString &total) override;
    void SetControlEnabled(TDisplayControl control, bool enabled) override;
    void AdvanceAnimation() override;
    void SetMeter(std::int32_t left, std::int32_t right) override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void CreateComponents();
    void CreateMenus();
    void ConnectButtons();
    void BindAction(const char *button, QAction *action);
    void ApplyPreferences();
    void ApplyMeterMode();
    void APMClick();
    void TimeClick();
    void SeekBarChanged(int position);
    void PopupList(TStationList list, const char *button);
    void Eject();
    void BuildViewMenu();
    void About();
    void FollowPlaying();
    TJukebox &Jukebox() const;

    TfStation &station_;
    std::unique_ptr<TTimer> snapTimer_;
    bool firstShow_ = true;
    bool snapping_ = false;
    bool playing_ = false;
    // A move done by the window itself, where the platform cannot move it for us.
    bool dragging_ = false;
    // A held seek button the pointer has left: its run rests until the pointer comes back.
    bool seekOutside_ = false;
    QPoint dragOffset_;
};
