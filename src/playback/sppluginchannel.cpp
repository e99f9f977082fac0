#include "playback/sppluginchannel.h"

#include <QByteArray>
#include <QObject>

#include <cstring>

namespace {

// A plug-in names the receiver of its notices as the C interface does: by address.
std::uintptr_t CallbackOf(const QObject *notify)
{
    return reinterpret_cast<std::uintptr_t>(notify);
}

// A text a plug-in wrote into a buffer; a missing terminator is tolerated.
QString BufferText(const char *buffer)
{
    return QString::fromUtf8(buffer,
                             qsizetype(strnlen(buffer, TSPPluginChannel::TextBufferSize)));
}

} // namespace

template <class TBlock>
MCIERROR TSPPluginChannel::Send(std::uint32_t uMsg, std::uint32_t flags, TBlock &block)
{
    return send_(uMsg, flags, reinterpret_cast<std::uintptr_t>(&block));
}

MCIERROR TSPPluginChannel::open(const TMciOpenRequest &request, MCIDEVICEID &id)
{
    const QByteArray type = request.deviceType.toUtf8();
    const QByteArray element = request.element.toUtf8();
    const QByteArray alias = request.alias.toUtf8();
    MCI_OPEN_PARMS block{};
    block.dwCallback = CallbackOf(request.notify);
    block.wDeviceID = id;
    block.lpstrDeviceType = (request.flags & MCI_OPEN_TYPE) ? type.constData() : nullptr;
    block.lpstrElementName = element.constData();
    block.lpstrAlias = alias.constData();
    const MCIERROR error = Send(MCI_OPEN, request.flags, block);
    id = block.wDeviceID;
    return error;
}

MCIERROR TSPPluginChannel::generic(MCIDEVICEID, std::uint32_t command, std::uint32_t flags,
                                   QObject *notify)
{
    MCI_GENERIC_PARMS block{};
    block.dwCallback = CallbackOf(notify);
    return Send(command, flags, block);
}

MCIERROR TSPPluginChannel::play(MCIDEVICEID, std::uint32_t flags, QObject *notify,
                                std::uint32_t from, std::uint32_t to)
{
    MCI_PLAY_PARMS block{};
    block.dwCallback = CallbackOf(notify);
    block.dwFrom = from;
    block.dwTo = to;
    return Send(MCI_PLAY, flags, block);
}

MCIERROR TSPPluginChannel::seek(MCIDEVICEID, std::uint32_t flags, std::uint32_t to,
                                QObject *notify)
{
    MCI_SEEK_PARMS block{};
    block.dwCallback = CallbackOf(notify);
    block.dwTo = to;
    return Send(MCI_SEEK, flags, block);
}

MCIERROR TSPPluginChannel::status(MCIDEVICEID, std::uint32_t flags, std::uint32_t item,
                                  std::uint32_t track, std::uintptr_t &value)
{
    MCI_STATUS_PARMS block{};
    block.dwItem = item;
    block.dwTrack = track;
    const MCIERROR error = Send(MCI_STATUS, flags, block);
    value = block.dwReturn;
    return error;
}

MCIERROR TSPPluginChannel::set(MCIDEVICEID, std::uint32_t flags, std::uint32_t timeFormat)
{
    MCI_SET_PARMS block{};
    block.dwTimeFormat = timeFormat;
    return Send(MCI_SET, flags, block);
}

MCIERROR TSPPluginChannel::getDevCaps(MCIDEVICEID, std::uint32_t flags, std::uint32_t item,
                                      std::uint32_t &value)
{
    MCI_GETDEVCAPS_PARMS block{};
    block.dwItem = item;
    const MCIERROR error = Send(MCI_GETDEVCAPS, flags, block);
    value = block.dwReturn;
    return error;
}

MCIERROR TSPPluginChannel::info(MCIDEVICEID, std::uint32_t flags, QString &text)
{
    char buffer[TextBufferSize] = {};
    MCI_INFO_PARMS block{};
    block.lpstrReturn = buffer;
    block.dwRetSize = TextBufferSize;
    const MCIERROR error = Send(MCI_INFO, flags, block);
    text = error == 0 ? BufferText(buffer) : QString();
    return error;
}

MCIERROR TSPPluginChannel::sysInfo(MCIDEVICEID, std::uint32_t flags, TMciSysInfo &query)
{
    char buffer[TextBufferSize] = {};
    MCI_SYSINFO_PARMS block{};
    block.lpstrReturn = buffer;
    block.dwRetSize = TextBufferSize;
    block.dwNumber = query.number;
    block.wDeviceType = query.deviceType;
    const MCIERROR error = Send(MCI_SYSINFO, flags, block);
    if (error != 0) return error;
    if (flags & MCI_SYSINFO_QUANTITY)
        std::memcpy(&query.count, buffer, sizeof query.count);
    else
        query.name = BufferText(buffer);
    return 0;
}
