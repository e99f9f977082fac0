#include "trackerhost.h"

#include <QByteArray>

#include <dlfcn.h>
#include <vector>

namespace {

void HostProc(TPIMessage *message)
{
    if (message->Msg != PH_REGISTERDEVICE) return;
    ++TTestPluginHost::Registrations;
    TTestPluginHost::RegisteredBy = message->WParam;
    if (TTestPluginHost::NextDeviceId >= 0) message->Result = TTestPluginHost::NextDeviceId;
}

} // namespace

TTestPluginHost::TTestPluginHost(const char *path)
{
    library_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library_) return;
    proc_ = reinterpret_cast<TPIProc>(dlsym(library_, "PIProc"));
    if (!proc_) return;
    if (send(PI_INITIALIZE) != 1 ||
        send(PI_SETHOST, reinterpret_cast<uintptr_t>(&HostProc), 3) != 1)
        proc_ = nullptr;
}

TTestPluginHost::~TTestPluginHost()
{
    if (proc_) send(PI_FINALIZE);
    // The library stays loaded, as in the program: its device is a static of the library.
}

intptr_t TTestPluginHost::send(std::uint32_t msg, uintptr_t wParam, uintptr_t lParam)
{
    TPIMessage message{msg, wParam, lParam, 0};
    proc_(&message);
    return message.Result;
}

QString TTestPluginHost::text(std::uint32_t msg)
{
    const intptr_t size = send(msg);
    if (size <= 0) return {};
    std::vector<char> buffer(std::size_t(size), 'x');
    if (send(msg, reinterpret_cast<uintptr_t>(buffer.data()), uintptr_t(size)) != size) return {};
    return QString::fromUtf8(buffer.data());
}

QString TTestPluginHost::extensions()
{
    TPISubMessage query{DM_GETEXTENSIONS, 0, 0, 0};
    const intptr_t size = send(PI_DEVICEMSG, 7, reinterpret_cast<uintptr_t>(&query));
    if (size <= 0) return {};
    std::vector<char> buffer(std::size_t(size), 'x');
    TPISubMessage fill{DM_GETEXTENSIONS, reinterpret_cast<uintptr_t>(buffer.data()),
                       uintptr_t(size), 0};
    send(PI_DEVICEMSG, 7, reinterpret_cast<uintptr_t>(&fill));
    return QString::fromUtf8(buffer.data());
}

MCIERROR TTestPluginHost::command(std::uint32_t msg, std::uintptr_t flags, void *params)
{
    TPISubMessage sub{msg, flags, reinterpret_cast<uintptr_t>(params), 0};
    return MCIERROR(send(PI_DEVICEMSG, 7, reinterpret_cast<uintptr_t>(&sub)));
}

MCIERROR TTestPluginHost::open(const QString &element)
{
    const QByteArray path = element.toUtf8();
    MCI_OPEN_PARMS params{};
    params.wDeviceID = 4;
    params.lpstrDeviceType = "tracker";
    params.lpstrElementName = path.constData();
    params.lpstrAlias = "Tonaria_Sonoric_Player_alias";
    return command(MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_OPEN_ALIAS | MCI_WAIT,
                   &params);
}

std::uintptr_t TTestPluginHost::status(std::uint32_t item, std::uint32_t flags)
{
    MCI_STATUS_PARMS params{};
    params.dwItem = item;
    params.dwTrack = 1;
    if (command(MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT | flags, &params) != 0) return 0xDEAD;
    return params.dwReturn;
}
