#include "platform/mpris/nowplayingnotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

bool TNowPlayingNotice::NewTitleStarted(QString &noticed, const TMprisState &now)
{
    if (now.playbackStatus == QLatin1String("Stopped") || now.trackId == kMprisNoTrack) {
        noticed.clear();
        return false;
    }
    if (now.playbackStatus != QLatin1String("Playing") || now.trackId == noticed) return false;
    noticed = now.trackId;
    return true;
}

void TNowPlayingNotice::Show(const QString &title, const QString &album)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Tonaria") << uint(lastId_) << QStringLiteral("audio-x-generic") << title
         << album << QStringList() << QVariantMap() << int(-1);
    auto *watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *finished) {
                const QDBusPendingReply<uint> reply = *finished;
                // Without a notification server the notice is simply not shown.
                if (reply.isValid()) lastId_ = reply.value();
                finished->deleteLater();
            });
}
