#include "plugins/pihost.h"

#include "localisation/showmessage.h"
#include "platform/system/messageservice.h"
#include "plugins/pilibrary.h"
#include "plugins/pitext.h"
#include "tonaria/mci.h"

#include <limits>

namespace {

TPIHost *activeHost = nullptr;

// Calls nested deeper than this (a plug-in that answers every notification with a request that
// causes another) are refused rather than run the stack out.
constexpr int kMaxDepth = 16;

constexpr std::uint32_t kCodeMask = 0xFFFF;

// A parameter that names an entry of a list, or none when it cannot (a negative number arrives
// as a huge one).
std::optional<int> Position(std::uintptr_t value)
{
    if (value > std::uintptr_t(std::numeric_limits<int>::max())) return std::nullopt;
    return int(value);
}

} // namespace

TPIHost::TPIHost() = default;

TPIHost::TPIHost(TPIHostSite &site) : site_(&site)
{
    activeHost = this;
}

TPIHost::~TPIHost()
{
    if (activeHost == this) activeHost = nullptr;
}

TPIHost *TPIHost::Active()
{
    return activeHost;
}

// ---- What the preferences dialog asks ----

int TPIHost::Count() const
{
    return lists_.PluginCount();
}

int TPIHost::FindLoaded(const QString &path) const
{
    for (int id = 0; id < lists_.PluginCount(); ++id) {
        if (lists_.Plugin(id)->FileName == path) return id;
    }
    return -1;
}

QString TPIHost::FileName(int id) const
{
    const TPluginRec *rec = lists_.Plugin(id);
    return rec ? rec->FileName : QString();
}

QString TPIHost::GetTitle(int id)
{
    return QueryText(id, PI_GETTITLE);
}

QString TPIHost::GetName(int id)
{
    return QueryText(id, PI_GETNAME);
}

QString TPIHost::GetAbout(int id)
{
    return QueryText(id, PI_GETABOUT);
}

bool TPIHost::Configure(int id)
{
    return lists_.ValidPlugin(id) && Send(id, PI_CONFIGURE) == 1;
}

// ---- Calls into plug-ins ----

std::intptr_t TPIHost::Send(int id, std::uint32_t code, std::uintptr_t wParam,
                            std::uintptr_t lParam)
{
    const TPluginRec *rec = lists_.Plugin(id);
    if (!rec || !rec->Proc || finalized_) return 0;
    // The record may move while the plug-in runs (it may register or remove views): only the
    // entry's address is kept.
    const TPIProc proc = rec->Proc;
    TPIMessage message{code & kCodeMask, wParam, lParam, 0};
    proc(&message);
    return message.Result;
}

std::intptr_t TPIHost::SendSub(int id, std::uint32_t code, int target, std::uint32_t sub,
                               std::uintptr_t param1, std::uintptr_t param2)
{
    TPISubMessage message{sub, param1, param2, 0};
    return Send(id, code, std::uintptr_t(target), reinterpret_cast<std::uintptr_t>(&message));
}

QString TPIHost::QueryText(int id, std::uint32_t code)
{
    if (!lists_.ValidPlugin(id)) return {};
    return QueryPluginText([&](std::uintptr_t buffer, std::uintptr_t size) {
        return Send(id, code, buffer, size);
    });
}

// ---- Loading and shutting down ----

void TPIHost::Load(const QStringList &paths, int ownDeviceCount)
{
    lists_.SetFirstDeviceID(ownDeviceCount);
    acceptingDevices_ = true;
    for (const QString &path : paths)
        LoadOne(path);
    acceptingDevices_ = false;
}

bool TPIHost::LoadOne(const QString &path)
{
    TPILibrary library = TPILibrary::Load(path);
    switch (library.Failure()) {
    case TPILibrary::TFailure::None:
        break;
    case TPILibrary::TFailure::Missing:
        ShowMessageById(QStringLiteral("ErrFileDoesntExist"), {path}, MB_ICONERROR);
        return false;
    case TPILibrary::TFailure::NotLoaded:
        ShowMessageById(QStringLiteral("ErrLoadLibrary"), {path}, MB_ICONERROR);
        return false;
    case TPILibrary::TFailure::NoEntry:
        ShowMessageById(QStringLiteral("ErrLibraryEmpty"), {path}, MB_ICONERROR);
        return false;
    }

    const int id = lists_.AddPlugin(library.Proc(), path, library.Handle());
    if (Send(id, PI_INITIALIZE) != 1) {
        lists_.RemoveLastPlugin();
        library.Unload();
        ShowMessageById(QStringLiteral("ErrLibraryInit"), {path}, MB_ICONERROR);
        return false;
    }
    if (Send(id, PI_SETHOST, reinterpret_cast<std::uintptr_t>(&PIHostProc),
             std::uintptr_t(id)) != 1) {
        // The plug-in said no itself: nothing to tell the user.
        lists_.RemoveLastPlugin();
        library.Unload();
        return false;
    }
    const QString name = GetName(id);
    if (site_) site_->PluginLoadingStatus(QStringLiteral("Loading plug-in: ") + name +
                                          QStringLiteral("..."));
    Send(id, PI_START);
    return true;
}

void TPIHost::Shutdown()
{
    for (int id = lists_.PluginCount() - 1; id >= 0; --id)
        Send(id, PI_SHUTDOWN);
}

void TPIHost::Finalize()
{
    if (finalized_) return;
    lists_.ReleaseEntries();
    // A plug-in's requests while it is told goodbye no longer reach the program.
    site_ = nullptr;
    while (lists_.PluginCount() > 0) {
        Send(lists_.PluginCount() - 1, PI_FINALIZE);
        lists_.PopPlugin();
    }
    finalized_ = true;
    // Views registered from inside PI_FINALIZE go with the rest.
    lists_.ReleaseEntries();
}

// ---- Notifications ----

void TPIHost::Notify(std::uint32_t code)
{
    if (code < PI_NOTIFYCONTROLS || code > PI_NOTIFYENDCHECK) return;
    const std::uint32_t bit = 1u << (code - PI_NOTIFYCONTROLS);
    if (notifying_ & bit) return;
    notifying_ |= bit;
    for (int id = 0; id < lists_.PluginCount(); ++id)
        Send(id, code);
    notifying_ &= ~bit;
}

// ---- Devices ----

std::int32_t TPIHost::DeviceMessage(int deviceId, std::uint32_t command, std::uintptr_t flags,
                                    std::uintptr_t params)
{
    const std::optional<int> owner = lists_.DeviceOwner(deviceId);
    if (!owner) return std::int32_t(MCIERR_UNSUPPORTED_FUNCTION);
    const std::intptr_t result = SendSub(*owner, PI_DEVICEMSG, deviceId, command, flags, params);
    // An answer that is no error code of the 32-bit interface counts as no answer at all.
    if (result < std::numeric_limits<std::int32_t>::min() ||
        result > std::numeric_limits<std::int32_t>::max())
        return std::int32_t(MCIERR_UNSUPPORTED_FUNCTION);
    return std::int32_t(result);
}

QString TPIHost::DeviceExtensions(int deviceId)
{
    const std::optional<int> owner = lists_.DeviceOwner(deviceId);
    if (!owner) return {};
    const int id = *owner;
    return QueryPluginText([&](std::uintptr_t buffer, std::uintptr_t size) {
        return SendSub(id, PI_DEVICEMSG, deviceId, DM_GETEXTENSIONS, buffer, size);
    });
}

// ---- Views ----

std::vector<int> TPIHost::ViewIDs() const
{
    std::vector<int> ids;
    for (const TPIRegistry::TViewEntry &e : lists_.Views())
        ids.push_back(e.ViewID);
    return ids;
}

QString TPIHost::ViewCaption(int viewId)
{
    const std::optional<int> owner = lists_.ViewOwner(viewId);
    if (!owner) return {};
    const int id = *owner;
    return QueryPluginText([&](std::uintptr_t buffer, std::uintptr_t size) {
        return SendSub(id, PI_VIEWMSG, viewId, VM_GETCAPTION, buffer, size);
    });
}

bool TPIHost::ViewVisible(int viewId)
{
    const std::optional<int> owner = lists_.ViewOwner(viewId);
    return owner && SendSub(*owner, PI_VIEWMSG, viewId, VM_ISVISIBLE, 0, 0) == 1;
}

void TPIHost::SetViewVisible(int viewId, bool visible)
{
    const std::optional<int> owner = lists_.ViewOwner(viewId);
    if (owner) SendSub(*owner, PI_VIEWMSG, viewId, VM_SETVISIBLE, visible ? 1 : 0, 0);
}

// ---- The plug-ins' call-back ----

void TPIHost::RunAction(TPIHostAction action)
{
    if (site_) site_->RunPluginAction(action);
}

void TPIHost::HostProc(TPIMessage &message)
{
    if (finalized_ || depth_ >= kMaxDepth) return;
    ++depth_;
    const std::uint32_t code = message.Msg & kCodeMask;
    switch (code) {
    case PH_REGISTERDEVICE: {
        const std::optional<int> id = Position(message.WParam);
        if (acceptingDevices_ && id && lists_.ValidPlugin(*id))
            message.Result = lists_.RegisterDevice(*id);
        break;
    }
    case PH_REGISTERVIEW: {
        const std::optional<int> id = Position(message.WParam);
        if (id && lists_.ValidPlugin(*id)) message.Result = lists_.RegisterView(*id);
        break;
    }
    case PH_UNREGISTERVIEW: {
        const std::optional<int> id = Position(message.WParam);
        if (id && lists_.UnregisterView(*id)) message.Result = 0;
        break;
    }
    case PH_UPDATECONTROLS:
        RunAction(TPIHostAction::UpdateControls);
        break;
    case PH_UPDATEDISPLAY:
        RunAction(TPIHostAction::UpdateDisplay);
        break;
    case PH_ANIMATE:
        RunAction(TPIHostAction::Animate);
        break;
    case PH_PEAKTICK:
        RunAction(TPIHostAction::PeakTick);
        break;
    case PH_CHECKEND:
        RunAction(TPIHostAction::CheckEnd);
        break;
    case PH_GETFILENAME:
    case PH_GETPOSITION:
    case PH_GETLENGTH:
    case PH_GETSTATE:
        AnswerSite(message, code);
        break;
    default:
        break; // not ours: ignored
    }
    --depth_;
}

void TPIHost::AnswerSite(TPIMessage &message, std::uint32_t code)
{
    if (!site_) return;
    switch (code) {
    case PH_GETFILENAME:
        message.Result =
            AnswerPluginText(site_->PluginLoadedFile(), message.WParam, message.LParam);
        break;
    case PH_GETPOSITION:
        message.Result = std::intptr_t(site_->PluginPosition());
        break;
    case PH_GETLENGTH:
        message.Result = std::intptr_t(site_->PluginLength());
        break;
    case PH_GETSTATE:
        message.Result = std::intptr_t(site_->PluginPlayState());
        break;
    default:
        break;
    }
}
