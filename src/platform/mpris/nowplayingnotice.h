#pragma once
// The now-playing notice: a desktop notification (org.freedesktop.Notifications) with the title
// and the album when a new title starts while the display window is hidden. A new notice
// replaces the last one, so that a night of music leaves one notice, not hundreds.
//
// Threads: main thread only.

#include "platform/mpris/mprisstate.h"

#include <QObject>
#include <QString>

#include <cstdint>

class TNowPlayingNotice : public QObject {
    Q_OBJECT

public:
    // Whether the reading shows a title that has started since the last notice; `noticed`
    // keeps the title last taken (a stop forgets it, so that the same title played again is
    // new; a pause and the pause between titles do not).
    static bool NewTitleStarted(QString &noticed, const TMprisState &now);

    // Sends the notice without waiting for the answer.
    void Show(const QString &title, const QString &album);

private:
    std::uint32_t lastId_ = 0;
};
