#include "playback/spnotifyreceiver.h"

#include "localisation/showmessage.h"
#include "platform/system/messageservice.h"

#include <QCoreApplication>

#include <exception>
#include <utility>

TSPNotifyReceiver::TSPNotifyReceiver(THandler handler) : handler_(std::move(handler))
{
    setObjectName(QStringLiteral("SPNotifyWndClass"));
}

void TSPNotifyReceiver::DiscardPending()
{
    QCoreApplication::removePostedEvents(this, TMciNotifyEvent::kType);
}

bool TSPNotifyReceiver::event(QEvent *event)
{
    if (event->type() != TMciNotifyEvent::kType) return QObject::event(event);
    const auto *notice = static_cast<TMciNotifyEvent *>(event);
    try {
        if (handler_) handler_(notice->notifyCode(), notice->deviceId());
    } catch (const std::exception &e) {
        ShowMessageText(QString::fromUtf8(e.what()), MB_OK | MB_ICONERROR);
    } catch (...) {
        // Nothing to tell the user about an error without a text; the event loop goes on.
    }
    return true;
}
