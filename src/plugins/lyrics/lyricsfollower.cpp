#include "lyricsfollower.h"

#include <QFileInfo>

TLyricsFollower::TLyricsFollower(TPIHostLink host, QObject *parent) : QObject(parent), host_(host)
{
    timer_.setObjectName(QStringLiteral("followTimer"));
    timer_.setParent(this);
    timer_.setInterval(IntervalMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TLyricsFollower::Tick);
}

TLyricsFollower::~TLyricsFollower()
{
    // What the reader posts after this is dropped with the object.
    if (loader_.joinable()) loader_.join();
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
        if (path != wantedPath_) {
            wantedPath_ = path;
            StartLoading();
        }
        length_ = state_ == PH_STATE_CLOSED ? 0 : host_.Length();
    }
    UpdateTimer();
    emit Changed();
}

void TLyricsFollower::StartLoading()
{
    if (loader_.joinable()) return; // Loaded starts the next one
    song_ = TLyricsSong();
    song_.Title = QFileInfo(wantedPath_).completeBaseName();
    if (wantedPath_.isEmpty()) return;
    loader_ = std::thread([this, path = wantedPath_] {
        TLyricsSong song = TLyricsSong::Load(path);
        QMetaObject::invokeMethod(
            this, [this, song = std::move(song)]() mutable { Loaded(std::move(song)); },
            Qt::QueuedConnection);
    });
}

void TLyricsFollower::Loaded(TLyricsSong song)
{
    loader_.join();
    if (song.Path != wantedPath_) {
        StartLoading(); // the title changed while the old one was read
    } else {
        song_ = std::move(song);
    }
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
