#include "presentation/edgesnapper.h"

#include "core/timersource.h"

#include <QScreen>
#include <QWidget>

#include <cstdlib>

TEdgeSnapper::TEdgeSnapper(QWidget &window, TTimerSource &timers, std::function<bool()> enabled)
    : QObject(&window), window_(window), timer_(timers.CreateTimer()), enabled_(std::move(enabled))
{
    connect(timer_.get(), &TTimer::timeout, this, &TEdgeSnapper::Snap);
}

TEdgeSnapper::~TEdgeSnapper() = default;

void TEdgeSnapper::Moved()
{
    if (!snapping_) timer_->Start(kDelayMs);
}

bool TEdgeSnapper::CountingDown() const
{
    return timer_->IsActive();
}

QPoint TEdgeSnapper::Snapped(const QRect &window, const QRect &screen)
{
    QPoint to = window.topLeft();
    const int right = window.x() + window.width();
    const int bottom = window.y() + window.height();
    const int screenRight = screen.x() + screen.width();
    const int screenBottom = screen.y() + screen.height();
    if (std::abs(window.x() - screen.x()) <= kDistance) to.setX(screen.x());
    if (std::abs(window.y() - screen.y()) <= kDistance) to.setY(screen.y());
    if (std::abs(right - screenRight) <= kDistance) to.setX(screenRight - window.width());
    if (std::abs(bottom - screenBottom) <= kDistance) to.setY(screenBottom - window.height());
    return to;
}

void TEdgeSnapper::Snap()
{
    if (enabled_ && !enabled_()) return;
    const QScreen *screen = window_.screen();
    if (!screen) return;
    const QPoint to = Snapped(window_.frameGeometry(), screen->geometry());
    if (to == window_.pos()) return;
    snapping_ = true;
    window_.move(to);
    snapping_ = false;
}
