#include "core/handoffreceiver.h"

#include "core/handoffcodes.h"

std::int32_t THandoffReceiver::handle(std::uint32_t code, const QString &text)
{
    switch (code) {
    case HandoffIdentify:
        return HandoffIdentifyReply;
    case HandoffQuery:
        return 0;
    case HandoffAddFile:
        // A sender never hands over an empty name; a title without a file would be nothing.
        if (!text.isEmpty()) target_.handoffAddFile(text);
        return 0;
    case HandoffCommit:
        target_.handoffCommit();
        return 0;
    case HandoffPlay:
        target_.setPlayRequested();
        return 0;
    case HandoffClose:
        target_.setCloseRequested();
        return 0;
    default:
        return 0;
    }
}
