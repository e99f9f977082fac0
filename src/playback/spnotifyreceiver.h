#pragma once
// The player's hidden receiver of completion notices: the player names it as the receiver of
// its notifying commands, and it hands each notice to its handler.
//
// A handler's exception never escapes into the event loop: it is shown as an error box, as an
// error of a window procedure would be.
//
// Threads: main thread only.

#include "tonaria/mci.h"

#include <QObject>

#include <functional>

class TSPNotifyReceiver : public QObject {
public:
    using THandler = std::function<void(unsigned notifyCode, MCIDEVICEID deviceId)>;

    explicit TSPNotifyReceiver(THandler handler);

    // Drops the notices posted here and not yet delivered.
    void DiscardPending();

protected:
    bool event(QEvent *event) override;

private:
    THandler handler_;
};
