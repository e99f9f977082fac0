#include "platform/mpris/mprisplayeradaptor.h"

#include "platform/mpris/mprisservice.h"

TMprisPlayerAdaptor::TMprisPlayerAdaptor(TMprisService *service)
    : QDBusAbstractAdaptor(service), service_(service)
{
    connect(service, &TMprisService::seeked, this,
            [this](qint64 position) { emit Seeked(position); });
}

// The desktop asks between the engine's signals: each question reads the engine anew.
QString TMprisPlayerAdaptor::PlaybackStatus() const
{
    service_->Refresh();
    return service_->State().playbackStatus;
}

QString TMprisPlayerAdaptor::LoopStatus() const
{
    return service_->State().loopStatus;
}

bool TMprisPlayerAdaptor::Shuffle() const
{
    service_->Refresh();
    return service_->State().shuffle;
}

void TMprisPlayerAdaptor::SetShuffle(bool shuffle)
{
    service_->SetShuffle(shuffle);
}

QVariantMap TMprisPlayerAdaptor::Metadata() const
{
    service_->Refresh();
    return service_->State().metadata;
}

qlonglong TMprisPlayerAdaptor::Position() const
{
    return service_->Position();
}

bool TMprisPlayerAdaptor::CanGoNext() const
{
    service_->Refresh();
    return service_->State().canGoNext;
}

bool TMprisPlayerAdaptor::CanGoPrevious() const
{
    service_->Refresh();
    return service_->State().canGoPrevious;
}

bool TMprisPlayerAdaptor::CanPlay() const
{
    service_->Refresh();
    return service_->State().canPlay;
}

bool TMprisPlayerAdaptor::CanPause() const
{
    service_->Refresh();
    return service_->State().canPause;
}

bool TMprisPlayerAdaptor::CanSeek() const
{
    service_->Refresh();
    return service_->State().canSeek;
}

void TMprisPlayerAdaptor::Next()
{
    service_->Next();
}

void TMprisPlayerAdaptor::Previous()
{
    service_->Previous();
}

void TMprisPlayerAdaptor::Pause()
{
    service_->Pause();
}

void TMprisPlayerAdaptor::PlayPause()
{
    service_->PlayPause();
}

void TMprisPlayerAdaptor::Stop()
{
    service_->Stop();
}

void TMprisPlayerAdaptor::Play()
{
    service_->Play();
}

void TMprisPlayerAdaptor::Seek(qlonglong Offset)
{
    service_->Seek(Offset);
}

void TMprisPlayerAdaptor::SetPosition(const QDBusObjectPath &TrackId, qlonglong Position)
{
    service_->SetPosition(TrackId, Position);
}

void TMprisPlayerAdaptor::OpenUri(const QString &Uri)
{
    service_->OpenUri(Uri);
}
