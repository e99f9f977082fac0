#include "platform/mpris/mprisstate.h"

#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "library/album.h"
#include "library/program.h"
#include "playback/sonoricplayerexception.h"
#include "tonaria/mci.h"

#include <QDBusObjectPath>
#include <QUrl>

#include <algorithm>

namespace {

QString StatusOf(TJukebox &jukebox)
{
    const TTonariaGlobals &g = jukebox.GlobalState();
    if (g.Sleeping) return QStringLiteral("Playing");
    TSonoricPlayer &player = jukebox.Player();
    if (!player.Opened()) return QStringLiteral("Stopped");
    try {
        switch (player.GetMode()) {
        case MCI_MODE_PLAY:
        case MCI_MODE_SEEK:
            return QStringLiteral("Playing");
        case MCI_MODE_PAUSE:
            return QStringLiteral("Paused");
        default:
            break;
        }
    } catch (const ESonoricPlayerException &) {
        // A device that cannot answer plays nothing.
    }
    return QStringLiteral("Stopped");
}

} // namespace

bool PlayerMilliseconds(TJukebox &jukebox, std::uint32_t value, std::int64_t &milliseconds)
{
    TSonoricPlayer &player = jukebox.Player();
    try {
        if (!player.Opened() || !player.IsReady()) return false;
        if (player.GetTimeFormat() != MCI_FORMAT_MILLISECONDS) return false;
    } catch (const ESonoricPlayerException &) {
        return false;
    }
    milliseconds = value;
    return true;
}

TMprisState ReadMprisState(TJukebox &jukebox)
{
    TTonariaGlobals &g = jukebox.GlobalState();
    TMprisState state;
    state.playbackStatus = StatusOf(jukebox);
    state.canGoNext = jukebox.ActionEnabled(TStationAction::aPlayNext);
    state.canGoPrevious = jukebox.ActionEnabled(TStationAction::aPlayPrev);
    state.canPlay = jukebox.ActionEnabled(TStationAction::aPlay);
    state.canPause = jukebox.ActionEnabled(TStationAction::aPlayPause);
    const TAlbum *album = g.CurrentAlbum;
    const TProgram *program = album ? album->CurrentProgram : nullptr;
    state.shuffle = program && program->ProgramType == ptShuffle;

    TSonoricPlayer &player = jukebox.Player();
    std::int64_t lengthMs = 0;
    std::int64_t positionMs = 0;
    bool timed = false;
    try {
        if (player.Opened() && player.IsReady()) {
            const std::uint32_t length = player.GetLength();
            const std::uint32_t position = player.GetPosition();
            timed = PlayerMilliseconds(jukebox, length, lengthMs) &&
                    PlayerMilliseconds(jukebox, position, positionMs);
        }
    } catch (const ESonoricPlayerException &) {
        timed = false;
    }
    if (timed) {
        state.length = lengthMs * 1000;
        state.position = std::min(positionMs, lengthMs) * 1000;
    }
    state.canSeek = timed && state.length > 0;

    const TTitle *title = g.LoadedTitle;
    if (!title) {
        state.trackId = kMprisNoTrack;
        state.metadata.insert(QStringLiteral("mpris:trackid"),
                              QVariant::fromValue(QDBusObjectPath(state.trackId)));
        return state;
    }
    // The title's number in the current program, as the display's number keys count.
    const TTitle *source = g.LoadedTitleSource;
    const qsizetype index = program && source ? program->IndexOf(source) : -1;
    const QString path = g.TitleFilePath(title->FileName);
    // One id per title open: its place and its file (a package member counts its entry too).
    const QByteArray key =
        (path + u'|' + QString::number(title->Track) + u'|' + QString::number(index) + u'|' +
         (g.ZipMode && g.ZipMan ? g.ZipMan->CurrentCaption() : QString()))
            .toUtf8();
    state.trackId =
        QStringLiteral("/org/tonaria/title/") + QString::number(qHash(key, 0x7a11u), 16);
    QString caption = title->Caption;
    if (g.ZipMode && g.ZipMan && !g.ZipMan->CurrentCaption().isEmpty())
        caption = g.ZipMan->CurrentCaption();
    state.metadata.insert(QStringLiteral("mpris:trackid"),
                          QVariant::fromValue(QDBusObjectPath(state.trackId)));
    state.metadata.insert(QStringLiteral("xesam:title"), caption);
    if (album) state.metadata.insert(QStringLiteral("xesam:album"), album->Caption);
    if (!path.isEmpty())
        state.metadata.insert(QStringLiteral("xesam:url"),
                              QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    if (index >= 0) state.metadata.insert(QStringLiteral("xesam:trackNumber"), int(index + 1));
    if (timed) state.metadata.insert(QStringLiteral("mpris:length"), qlonglong(state.length));
    return state;
}

QVariantMap ChangedPlayerProperties(const TMprisState &before, const TMprisState &after)
{
    QVariantMap changed;
    if (before.playbackStatus != after.playbackStatus)
        changed.insert(QStringLiteral("PlaybackStatus"), after.playbackStatus);
    if (before.metadata != after.metadata)
        changed.insert(QStringLiteral("Metadata"), after.metadata);
    const auto flag = [&](const char *name, bool was, bool is) {
        if (was != is) changed.insert(QLatin1String(name), is);
    };
    flag("CanGoNext", before.canGoNext, after.canGoNext);
    flag("CanGoPrevious", before.canGoPrevious, after.canGoPrevious);
    flag("CanPlay", before.canPlay, after.canPlay);
    flag("CanPause", before.canPause, after.canPause);
    flag("CanSeek", before.canSeek, after.canSeek);
    flag("Shuffle", before.shuffle, after.shuffle);
    if (before.loopStatus != after.loopStatus)
        changed.insert(QStringLiteral("LoopStatus"), after.loopStatus);
    return changed;
}
