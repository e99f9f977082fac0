#include "hostlink.h"

#include <QByteArray>

#include <algorithm>

std::intptr_t TPIHostLink::Send(std::uint32_t code, std::uintptr_t wParam, std::uintptr_t lParam,
                                std::intptr_t unanswered) const
{
    if (!proc_) return unanswered;
    TPIMessage message{code, wParam, lParam, unanswered};
    proc_(&message);
    return message.Result;
}

std::intptr_t TPIHostLink::RegisterView() const
{
    return Send(PH_REGISTERVIEW, pluginId_, 0, -1);
}

int TPIHostLink::State() const
{
    const std::intptr_t state = Send(PH_GETSTATE, 0, 0, PH_STATE_CLOSED);
    return state >= PH_STATE_CLOSED && state <= PH_STATE_PAUSED ? int(state) : PH_STATE_CLOSED;
}

std::int64_t TPIHostLink::Position() const
{
    return std::max<std::intptr_t>(Send(PH_GETPOSITION, 0, 0, 0), 0);
}

std::int64_t TPIHostLink::Length() const
{
    return std::max<std::intptr_t>(Send(PH_GETLENGTH, 0, 0, 0), 0);
}

QString TPIHostLink::FileName() const
{
    const std::intptr_t size = Send(PH_GETFILENAME, 0, 0, 0);
    if (size <= 1 || size > MaxFileNameBytes) return QString();
    QByteArray buffer(size, '\0');
    Send(PH_GETFILENAME, reinterpret_cast<std::uintptr_t>(buffer.data()), std::uintptr_t(size), 0);
    // Whatever the host wrote, the text ends inside the buffer.
    buffer[qsizetype(size) - 1] = '\0';
    return QString::fromUtf8(buffer.constData());
}
