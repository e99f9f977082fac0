#pragma once
// The floating bar: a thin strip that stays on top of every window, with the transport buttons,
// the loaded title's caption and the main time. It stays on screen while the display window is
// hidden in the tray. Its look is the theme's (a texture tiled over its width, with a raised
// bevel round it); its texts are written by the display refresh while it exists; its buttons
// are the station's actions.
//
// The bar lives in the station's slot (TfStation::ToggleFloatbar): made and shown from there,
// and freed whenever it closes. Where it stood and how wide it was are kept in the preferences
// when it closes; whether it was open too, unless the program is shutting down, so that a bar
// the user closed stays closed at the next start and a bar open at exit comes back.
//
//     auto *bar = new TfFloat(station);   // themed, laid out, 17 pixels until the theme says
//     bar->show();                        // at its stored place and width (320 at the top at first)
//     bar->close();                       // stored, freed
//
// Threads: main thread only.

#include "core/floatingbarsink.h"
#include "presentation/skin/tskinform.h"

#include <QPoint>

class TBmpBtn;
class TEdgeSnapper;
class TfStation;
class TJukebox;
class TTransparentLabel;
class TTranslucentPanel;
class QAction;

class TfFloat : public TSkinForm, public TFloatingBarSink {
    Q_OBJECT

public:
    explicit TfFloat(TfStation &station);
    ~TfFloat() override;

    // What the display refresh writes.
    void SetCaption(const QString &caption) override;
    void SetTime(const QString &time) override;

    // The snapping countdown runs (the bar moved less than a quarter second ago).
    bool SnapPending() const;

signals:
    // The bar has closed (its place is stored); it is freed next.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class TDrag { None, Pending, Move, ResizeLeft, ResizeRight };

    void CreateComponents();
    // A button that shows the action's hint and enabled state, and runs it when clicked
    // (clickRuns).
    TBmpBtn *AddButton(const char *name, QAction *action, bool clickRuns = true);
    void ApplyTheme();
    void ApplyPreferences();
    void Layout();
    void PressSeekButton(TBmpBtn *button, bool down);
    void SeekPointerMoved(TBmpBtn *button, QPoint pos);
    void ToggleTimeSwap();
    // The drags of the background, the panels and the strips: a system move or resize where
    // the platform offers it, otherwise the bar moves itself.
    void DragPress(TDrag kind, QMouseEvent *event);
    bool DragMove(QMouseEvent *event);
    bool DragRelease(QMouseEvent *event);

    TfStation &station_;
    TJukebox &jukebox_;
    TEdgeSnapper *snapper_ = nullptr;
    QWidget *sLeft = nullptr, *sRight = nullptr;
    TBmpBtn *bbHide = nullptr, *bbPlay = nullptr, *bbPause = nullptr, *bbStop = nullptr;
    TBmpBtn *bbPrev = nullptr, *bbRew = nullptr, *bbFB = nullptr, *bbFF = nullptr,
            *bbNext = nullptr;
    TTranslucentPanel *tpFloat = nullptr, *tpTime = nullptr;
    TTransparentLabel *tlCaption = nullptr, *tlTime = nullptr;

    TDrag drag_ = TDrag::None;
    QPoint pressGlobal_;
    QRect pressGeometry_;
    bool seekOutside_ = false;
};
