#include "lyricsfollower.h"

TLyricsFollower::TLyricsFollower(TPIHostLink host, QObject *parent) : QObject(parent), host_(host)
{
    timer_.setObjectName(QStringLiteral("followTimer"));
    timer_.setParent(this);
    timer_.setInterval(IntervalMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TLyricsFollower::Tick);
}

void TLyricsFollower::SetShown(bool shown)
{
    shown_ = shown;
    if (shown_)
        Refresh(true);
    else
        UpdateTimer();
}

void TLyricsFollower::Refresh(bool withFileName)
{
    if (!shown_) return;
    const int state = host_.State();
    const std::int64_t position = host_.Position();
    if (state != state_ || position < position_) withFileName = true;
    state_ = state;
    position_ = position;
    if (withFileName) {
        const QString path = state_ == PH_STATE_CLOSED ? QString() : host_.FileName();
        if (path != song_.Path) song_ = TLyricsSong::Load(path);
        length_ = state_ == PH_STATE_CLOSED ? 0 : host_.Length();
    }
    UpdateTimer();
    emit Changed();
}

void TLyricsFollower::Tick()
{
    Refresh(false);
}

void TLyricsFollower::UpdateTimer()
{
    const bool follow = shown_ && state_ == PH_STATE_PLAYING;
    if (follow && !timer_.isActive())
        timer_.start();
    else if (!follow)
        timer_.stop();
}
