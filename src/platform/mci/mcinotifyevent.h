#pragma once
// Sending completion notices: the layer posts a TMciNotifyEvent (tonaria/mci.h) to the QObject
// a command named as its receiver.
//
// Threads: main thread only.

#include "tonaria/mci.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

// Posts a notice to `receiver` when it still exists; it arrives through the event loop.
inline void postMciNotify(const QPointer<QObject> &receiver, unsigned notifyCode,
                          MCIDEVICEID deviceId)
{
    if (receiver)
        QCoreApplication::postEvent(receiver.data(), new TMciNotifyEvent(notifyCode, deviceId));
}

// The receiver a parameter block's dwCallback names (0: none).
inline QPointer<QObject> mciReceiver(std::uintptr_t callback)
{
    return QPointer<QObject>(reinterpret_cast<QObject *>(callback));
}

// The dwCallback value that names `receiver` (null: 0).
inline std::uintptr_t mciCallback(const QObject *receiver)
{
    return reinterpret_cast<std::uintptr_t>(receiver);
}
