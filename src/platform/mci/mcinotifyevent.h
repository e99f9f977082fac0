#pragma once
// A completion notice of the media-control layer as it reaches its receiver: the Qt event that
// stands for the window message MM_MCINOTIFY. The receiver is the QObject whose address the
// command carried in dwCallback; it gets the event in its event() (or customEvent()) on the main
// thread.
//
// Threads: created and delivered on the main thread only.

#include "tonaria/mci.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>

class TMciNotifyEvent : public QEvent {
public:
    // The event type: a window message N travels as QEvent::User + N.
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + MM_MCINOTIFY);

    TMciNotifyEvent(unsigned notifyCode, MCIDEVICEID deviceId)
        : QEvent(kType), notifyCode_(notifyCode), deviceId_(deviceId)
    {
    }

    // wParam of the message: MCI_NOTIFY_SUCCESSFUL, _SUPERSEDED, _ABORTED or _FAILURE.
    unsigned notifyCode() const { return notifyCode_; }
    // lParam of the message: the device the notice is about.
    MCIDEVICEID deviceId() const { return deviceId_; }

private:
    unsigned notifyCode_;
    MCIDEVICEID deviceId_;
};

// Posts a notice to `receiver` when it still exists; it arrives through the event loop.
inline void postMciNotify(const QPointer<QObject> &receiver, unsigned notifyCode,
                          MCIDEVICEID deviceId)
{
    if (receiver)
        QCoreApplication::postEvent(receiver.data(), new TMciNotifyEvent(notifyCode, deviceId));
}

// The receiver a command's dwCallback names (0: none).
inline QPointer<QObject> mciReceiver(std::uintptr_t callback)
{
    return QPointer<QObject>(reinterpret_cast<QObject *>(callback));
}
