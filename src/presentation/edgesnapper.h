#pragma once
// Edge snapping of a skinned window: a quarter of a second after the window last moved, an edge
// that lies within ten pixels of the screen's edge goes flush with it. The moves a snap makes
// itself start no new countdown.
//
//     TEdgeSnapper snapper(window, timers, [&] { return autoSnap; });
//     // in the window's moveEvent: snapper.Moved();
//
// Threads: main thread only.

#include <QObject>
#include <QPoint>
#include <QRect>

#include <functional>
#include <memory>

class QWidget;
class TTimer;
class TTimerSource;

class TEdgeSnapper : public QObject {
    Q_OBJECT

public:
    static constexpr int kDelayMs = 250;
    static constexpr int kDistance = 10;

    // enabled is asked when the countdown runs out (the "AutoSnap" preference).
    TEdgeSnapper(QWidget &window, TTimerSource &timers, std::function<bool()> enabled);
    ~TEdgeSnapper() override;

    // The window moved: the countdown starts again.
    void Moved();
    bool CountingDown() const;

    // Where a window of geometry `window` goes on a screen of geometry `screen`.
    static QPoint Snapped(const QRect &window, const QRect &screen);

private:
    void Snap();

    QWidget &window_;
    std::unique_ptr<TTimer> timer_;
    std::function<bool()> enabled_;
    bool snapping_ = false;
};
