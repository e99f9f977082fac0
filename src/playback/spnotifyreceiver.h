#pragma once
// The player's hidden receiver of completion notices: the media-control layer posts a notice to
// the QObject named in a command's dwCallback, and this object hands each one to its handler.
//
// A handler's exception never escapes into the event loop: it is shown as an error box, as an
// error of a window procedure would be.
//
// Threads: main thread only.

#include "tonaria/mci.h"

#include <QObject>

#include <cstdint>
#include <functional>

class TSPNotifyReceiver : public QObject {
public:
    using THandler = std::function<void(unsigned notifyCode, MCIDEVICEID deviceId)>;

    explicit TSPNotifyReceiver(THandler handler);

    // The value a command carries in dwCallback to have its notice delivered here.
    std::uintptr_t Callback() const;

    // Drops the notices posted here and not yet delivered.
    void DiscardPending();

protected:
    bool event(QEvent *event) override;

private:
    THandler handler_;
};
