#include "platform/mpris/mprisservice.h"

#include "core/jukebox.h"
#include "core/stationlists.h"
#include "core/tonariaglobals.h"
#include "library/album.h"
#include "library/program.h"
#include "platform/mpris/mprisplayeradaptor.h"
#include "platform/mpris/mprisrootadaptor.h"
#include "playback/sonoricplayerexception.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

TMprisService::TMprisService(TJukebox &jukebox) : jukebox_(jukebox)
{
    new TMprisRootAdaptor(this);
    new TMprisPlayerAdaptor(this);
}

TMprisService::~TMprisService()
{
    if (!started_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QLatin1String(ObjectPath));
    bus.unregisterService(QLatin1String(ServiceName));
}

bool TMprisService::SessionBusExists()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

bool TMprisService::Start()
{
    if (started_) return true;
    if (!SessionBusExists()) return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    if (!bus.registerObject(QLatin1String(ObjectPath), this, QDBusConnection::ExportAdaptors))
        return false;
    if (!bus.registerService(QLatin1String(ServiceName))) {
        bus.unregisterObject(QLatin1String(ObjectPath));
        return false;
    }
    started_ = true;
    state_ = ReadMprisState(jukebox_);
    // A title already playing when the service starts is no news.
    TNowPlayingNotice::NewTitleStarted(noticedTrack_, state_);
    // What the desktop shows follows what the windows show.
    connect(&jukebox_, &TJukebox::controlsChanged, this, &TMprisService::Refresh);
    connect(&jukebox_, &TJukebox::displayChanged, this, &TMprisService::Refresh);
    connect(&jukebox_, &TJukebox::actionChanged, this, &TMprisService::Refresh);
    connect(&jukebox_, &TJukebox::titlesChanged, this, &TMprisService::Refresh);
    return true;
}

void TMprisService::Refresh()
{
    TMprisState now = ReadMprisState(jukebox_);
    const QVariantMap changed = ChangedPlayerProperties(state_, now);
    state_ = std::move(now);
    if (!started_) return;
    const TTonariaGlobals &g = jukebox_.GlobalState();
    if (TNowPlayingNotice::NewTitleStarted(noticedTrack_, state_) && g.Cloaked &&
        g.NowPlayingNotices)
        notice_.Show(state_.metadata.value(QStringLiteral("xesam:title")).toString(),
                     state_.metadata.value(QStringLiteral("xesam:album")).toString());
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(ObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(PlayerInterface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

qint64 TMprisService::Position()
{
    return ReadMprisState(jukebox_).position;
}

void TMprisService::Raise()
{
    // The tray's "Show main window" does the same; nothing while the program still starts.
    if (!jukebox_.GlobalState().StartingUp) jukebox_.SetCloaked(false);
}

void TMprisService::Quit()
{
    jukebox_.Exit();
}

void TMprisService::Play()
{
    Refresh();
    if (state_.playbackStatus == QLatin1String("Paused")) {
        // A paused title goes on where it is.
        if (jukebox_.ActionEnabled(TStationAction::aPlayPause))
            jukebox_.ExecuteAction(TStationAction::aPlayPause);
    } else if (state_.playbackStatus != QLatin1String("Playing")) {
        if (jukebox_.ActionEnabled(TStationAction::aPlay))
            jukebox_.ExecuteAction(TStationAction::aPlay);
    }
    Refresh();
}

void TMprisService::Pause()
{
    Refresh();
    if (state_.playbackStatus == QLatin1String("Playing") && !jukebox_.GlobalState().Sleeping &&
        jukebox_.ActionEnabled(TStationAction::aPlayPause))
        jukebox_.ExecuteAction(TStationAction::aPlayPause);
    Refresh();
}

void TMprisService::PlayPause()
{
    Refresh();
    if (state_.playbackStatus == QLatin1String("Playing"))
        Pause();
    else
        Play();
}

void TMprisService::Stop()
{
    if (jukebox_.ActionEnabled(TStationAction::aPlayStop))
        jukebox_.ExecuteAction(TStationAction::aPlayStop);
    Refresh();
}

void TMprisService::Next()
{
    if (jukebox_.ActionEnabled(TStationAction::aPlayNext))
        jukebox_.ExecuteAction(TStationAction::aPlayNext);
    Refresh();
}

void TMprisService::Previous()
{
    if (jukebox_.ActionEnabled(TStationAction::aPlayPrev))
        jukebox_.ExecuteAction(TStationAction::aPlayPrev);
    Refresh();
}

void TMprisService::Seek(qint64 offset)
{
    Refresh();
    if (!state_.canSeek) return;
    const qint64 target = state_.position + offset;
    // Past the end is the next title; before the start is the start.
    if (target > state_.length) {
        Next();
        return;
    }
    SeekTo(std::max<qint64>(target, 0));
}

void TMprisService::SetPosition(const QDBusObjectPath &trackId, qint64 position)
{
    Refresh();
    // A request meant for another title, or outside this one, is ignored.
    if (!state_.canSeek || trackId.path() != state_.trackId || position < 0 ||
        position > state_.length)
        return;
    SeekTo(position);
}

void TMprisService::SeekTo(qint64 position)
{
    try {
        jukebox_.Player().Seek(std::uint32_t(position / 1000));
    } catch (const ESonoricPlayerException &) {
        return; // the device would not move; the position stays where it was
    }
    jukebox_.Post(TStationCommand::Display);
    emit seeked(position);
}

void TMprisService::OpenUri(const QString &uri)
{
    const QUrl url(uri);
    QString path;
    if (url.isLocalFile())
        path = url.toLocalFile();
    else if (url.scheme().isEmpty() && uri.startsWith(u'/'))
        path = uri;
    if (path.isEmpty()) return;
    // As a second start with "/play" and the file does.
    jukebox_.handoffAddFile(path);
    jukebox_.setPlayRequested();
    jukebox_.handoffCommit();
}

void TMprisService::SetShuffle(bool shuffle)
{
    TAlbum *album = jukebox_.GlobalState().CurrentAlbum;
    if (!album || !album->CurrentProgram) return;
    const bool now = album->CurrentProgram->ProgramType == ptShuffle;
    if (now == shuffle) return;
    // Shuffle on chooses the Shuffle program; off leaves it for the Normal one.
    if (!shuffle && now) {
        for (const auto &program : album->InternalPrograms)
            if (program->ProgramType == ptNormal)
                jukebox_.Lists().ChooseProgram(program->ProgramIndex());
    } else if (shuffle) {
        for (const auto &program : album->InternalPrograms)
            if (program->ProgramType == ptShuffle)
                jukebox_.Lists().ChooseProgram(program->ProgramIndex());
    }
    Refresh();
}
