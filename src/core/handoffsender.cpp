#include "core/handoffsender.h"

#include "core/handoffcodes.h"
#include "platform/system/localchannelclient.h"
#include "platform/system/localchannelframe.h"
#include "platform/system/messageservice.h"

THandoffSender::THandoffSender(TLocalChannelClient &channel, TMessageService &messages,
                               int identifyTimeoutMs, int replyTimeoutMs)
    : channel_(channel), messages_(messages), identifyTimeoutMs_(identifyTimeoutMs),
      replyTimeoutMs_(replyTimeoutMs)
{
}

bool THandoffSender::request(std::uint32_t code, const QString &text, int timeoutMs,
                             std::int32_t &reply)
{
    const auto answer = channel_.send(code, text, timeoutMs);
    if (!answer) {
        failure_ = channel_.isConnected() ? TimedOut : Lost;
        error_ = QStringLiteral("The running instance of Tonaria did not answer (%1).")
                     .arg(channel_.errorString());
        return false;
    }
    reply = *answer;
    return true;
}

THandoffSender::TResult THandoffSender::send(const TCommandLine &line)
{
    error_.clear();
    std::int32_t reply = 0;
    if (!request(HandoffIdentify, {}, identifyTimeoutMs_, reply)) return failure_;
    if (reply != HandoffIdentifyReply) {
        error_ = QStringLiteral("Another program answers in place of the running Tonaria.");
        return NotStation;
    }
    if (!request(HandoffQuery, {}, replyTimeoutMs_, reply)) return failure_;
    if (reply != 0) {
        error_ = QStringLiteral("The running instance of Tonaria does not take files now.");
        return Declined;
    }

    for (const TCommandLineItem &item : line.items) {
        std::uint32_t code = HandoffAddFile;
        switch (item.kind) {
        case TCommandLineItem::Play:
            code = HandoffPlay;
            break;
        case TCommandLineItem::Close:
            code = HandoffClose;
            break;
        case TCommandLineItem::File:
            // No command line can carry a name this long; the one refusal the channel has
            // is reported as the atom table's was, and the other items still go.
            if (static_cast<qint64>(item.fileName.size()) * 2 > LocalChannelMaxTextBytes) {
                messages_.show(QStringLiteral("Atom table is full, cannot continue operation."),
                               QStringLiteral("Error"), MB_OK | MB_ICONERROR);
                continue;
            }
            break;
        }
        if (!request(code, item.kind == TCommandLineItem::File ? item.fileName : QString(),
                     replyTimeoutMs_, reply))
            return failure_;
    }
    if (!request(HandoffCommit, {}, replyTimeoutMs_, reply)) return failure_;
    return Delivered;
}
