#include "trackerdevice.h"

#include "trackermodule.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

// How long a play with MCI_WAIT tolerates a position that does not move.
constexpr std::chrono::milliseconds StallLimit{3000};

int RenderModule(void *context, float *out, std::int32_t frames, std::uint32_t) noexcept
{
    return static_cast<TTrackerModule *>(context)->Render(out, frames);
}

// Every block starts with dwCallback.
std::uintptr_t CallbackOf(const void *params)
{
    return params ? static_cast<const MCI_GENERIC_PARMS *>(params)->dwCallback : 0;
}

// A text into the caller's buffer, cut at a character boundary when it does not fit.
MCIERROR CopyText(const std::string &text, char *buffer, std::uint32_t size)
{
    if (!buffer || size == 0) return MCIERR_PARAM_OVERFLOW;
    if (text.size() < size) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return 0;
    }
    std::size_t cut = size - 1;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    std::memcpy(buffer, text.data(), cut);
    buffer[cut] = '\0';
    return MCIERR_PARAM_OVERFLOW;
}

} // namespace

TTrackerDevice::TTrackerDevice() = default;

TTrackerDevice::~TTrackerDevice()
{
    Close(0);
}

MCIERROR TTrackerDevice::Command(std::uint32_t message, std::uintptr_t flags, void *params)
{
    Poll();
    if ((flags & MCI_NOTIFY) && !params) return MCIERR_NULL_PARAMETER_BLOCK;
    MCIERROR error = 0;
    switch (message) {
    case MCI_OPEN:
        if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
        error = Open(flags, static_cast<MCI_OPEN_PARMS *>(params));
        break;
    case MCI_CLOSE:
        Close(flags);
        break;
    case MCI_PLAY:
        return Play(flags, static_cast<const MCI_PLAY_PARMS *>(params));
    case MCI_RESUME:
        return Resume(flags, static_cast<const MCI_GENERIC_PARMS *>(params));
    case MCI_PAUSE:
        error = Pause(flags);
        break;
    case MCI_STOP:
        error = Stop(flags);
        break;
    case MCI_SEEK:
        error = Seek(flags, static_cast<const MCI_SEEK_PARMS *>(params));
        break;
    case MCI_STATUS:
        error = Status(flags, static_cast<MCI_STATUS_PARMS *>(params));
        break;
    case MCI_SET:
        error = Set(flags, static_cast<const MCI_SET_PARMS *>(params));
        break;
    case MCI_GETDEVCAPS:
        error = GetDevCaps(flags, static_cast<MCI_GETDEVCAPS_PARMS *>(params));
        break;
    case MCI_INFO:
        error = Info(flags, static_cast<MCI_INFO_PARMS *>(params));
        break;
    case MCI_SYSINFO:
        error = SysInfo(flags, static_cast<MCI_SYSINFO_PARMS *>(params));
        break;
    default:
        // Recording, editing, windows, configuration: nothing a module player does.
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
    if (error == 0 && (flags & MCI_NOTIFY)) Notify(CallbackOf(params), MCI_NOTIFY_SUCCESSFUL);
    return error;
}

void TTrackerDevice::Poll()
{
    if (mode_ != Mode::Playing || !module_ || !module_->Ended()) return;
    // The stream fell silent by itself; it leaves the mix now.
    Halt();
    mode_ = Mode::Stopped;
    if (pending_) {
        pending_ = false;
        Notify(pendingCallback_, MCI_NOTIFY_SUCCESSFUL);
    }
}

void TTrackerDevice::Notify(std::uintptr_t callback, std::uint32_t code) const
{
    if (callback) mciDriverNotify(callback, noticeId_ ? noticeId_ : deviceId_, code);
}

void TTrackerDevice::RetirePending(std::uintptr_t flags)
{
    if (!pending_) return;
    const bool ended = module_ && module_->Ended();
    const std::uint32_t code = ended                  ? MCI_NOTIFY_SUCCESSFUL
                               : (flags & MCI_NOTIFY) ? MCI_NOTIFY_SUPERSEDED
                                                      : MCI_NOTIFY_ABORTED;
    pending_ = false;
    Notify(pendingCallback_, code);
}

MCIERROR TTrackerDevice::NeedMedium() const
{
    if (!open_ || !module_) return MCIERR_NONAPPLICABLE_FUNCTION;
    return 0;
}

TTrackerDevice::Mode TTrackerDevice::CurrentMode()
{
    Poll();
    return mode_;
}

void TTrackerDevice::Halt()
{
    if (stream_) audioStreamHalt(stream_);
}

bool TTrackerDevice::Run(std::int64_t stopMs)
{
    module_->Arm(stopMs);
    if (!audioStreamStart(stream_)) {
        mode_ = Mode::Stopped;
        return false;
    }
    mode_ = Mode::Playing;
    return true;
}

MCIERROR TTrackerDevice::Open(std::uintptr_t flags, MCI_OPEN_PARMS *params)
{
    if (flags & MCI_OPEN_ELEMENT_ID) return MCIERR_UNSUPPORTED_FUNCTION;
    Close(0);
    noticeId_ = params->wDeviceID;
    if (params->wDeviceID == 0) params->wDeviceID = deviceId_;
    const bool element = (flags & MCI_OPEN_ELEMENT) && params->lpstrElementName &&
                         params->lpstrElementName[0] != '\0';
    if (!element) {
        // The device alone, as the player opens it to ask what it is.
        open_ = true;
        return 0;
    }
    const std::uint32_t rate = audioGetSampleRate();
    if (rate == 0) return MCIERR_HARDWARE;
    MCIERROR error = 0;
    std::unique_ptr<TTrackerModule> module =
        TTrackerModule::Load(params->lpstrElementName, rate, &error);
    if (!module) return error;
    const HAUDIOSTREAM stream = audioStreamOpen(RenderModule, module.get());
    if (!stream) return MCIERR_WAVE_OUTPUTSINUSE;
    module_ = std::move(module);
    stream_ = stream;
    element_ = params->lpstrElementName;
    mode_ = Mode::Stopped;
    open_ = true;
    return 0;
}

void TTrackerDevice::Close(std::uintptr_t flags)
{
    RetirePending(flags);
    if (stream_) audioStreamClose(stream_);
    stream_ = 0;
    module_.reset();
    element_.clear();
    mode_ = Mode::Stopped;
    open_ = false;
}

MCIERROR TTrackerDevice::Play(std::uintptr_t flags, const MCI_PLAY_PARMS *params)
{
    if ((flags & (MCI_FROM | MCI_TO)) && !params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (const MCIERROR error = NeedMedium()) return error;
    const std::uint32_t length = module_->LengthMs();
    if ((flags & MCI_FROM) && params->dwFrom > length) return MCIERR_OUTOFRANGE;
    const std::uint32_t start = (flags & MCI_FROM) ? params->dwFrom : module_->PositionMs();
    if ((flags & MCI_TO) && (params->dwTo > length || params->dwTo < start))
        return MCIERR_OUTOFRANGE;
    RetirePending(flags);
    Halt();
    if (flags & MCI_FROM) module_->MoveTo(start);
    if (!Run((flags & MCI_TO) ? std::int64_t(params->dwTo) : -1)) return MCIERR_WAVE_OUTPUTSINUSE;
    if (flags & MCI_NOTIFY) {
        pending_ = true;
        pendingCallback_ = params->dwCallback;
    }
    return (flags & MCI_WAIT) ? WaitForEnd() : 0;
}

MCIERROR TTrackerDevice::WaitForEnd()
{
    using Clock = std::chrono::steady_clock;
    std::uint32_t lastPosition = module_->PositionMs();
    Clock::time_point lastMove = Clock::now();
    while (mode_ == Mode::Playing && !module_->Ended()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::uint32_t position = module_->PositionMs();
        if (position != lastPosition) {
            lastPosition = position;
            lastMove = Clock::now();
        } else if (Clock::now() - lastMove > StallLimit) {
            // Nothing renders the stream: the play fails instead of hanging.
            Halt();
            mode_ = Mode::Stopped;
            if (pending_) {
                pending_ = false;
                Notify(pendingCallback_, MCI_NOTIFY_FAILURE);
            }
            return MCIERR_HARDWARE;
        }
    }
    Poll();
    return 0;
}

MCIERROR TTrackerDevice::Resume(std::uintptr_t flags, const MCI_GENERIC_PARMS *params)
{
    if (const MCIERROR error = NeedMedium()) return error;
    const Mode mode = CurrentMode();
    if (flags & MCI_NOTIFY) RetirePending(flags);
    if (mode == Mode::Stopped) {
        // Nothing to resume: the command completes at once.
        if (flags & MCI_NOTIFY) Notify(params->dwCallback, MCI_NOTIFY_SUCCESSFUL);
        return 0;
    }
    if (mode == Mode::Paused) {
        if (!audioStreamStart(stream_)) {
            mode_ = Mode::Stopped;
            return MCIERR_WAVE_OUTPUTSINUSE;
        }
        mode_ = Mode::Playing;
    }
    if (flags & MCI_NOTIFY) {
        pending_ = true;
        pendingCallback_ = params->dwCallback;
    }
    return (flags & MCI_WAIT) ? WaitForEnd() : 0;
}

MCIERROR TTrackerDevice::Pause(std::uintptr_t flags)
{
    if (const MCIERROR error = NeedMedium()) return error;
    RetirePending(flags);
    if (CurrentMode() == Mode::Playing) {
        Halt();
        mode_ = Mode::Paused;
    }
    return 0;
}

MCIERROR TTrackerDevice::Stop(std::uintptr_t flags)
{
    if (const MCIERROR error = NeedMedium()) return error;
    RetirePending(flags);
    Halt();
    mode_ = Mode::Stopped;
    return 0;
}

MCIERROR TTrackerDevice::Seek(std::uintptr_t flags, const MCI_SEEK_PARMS *params)
{
    if (const MCIERROR error = NeedMedium()) return error;
    const std::uintptr_t targets = flags & (MCI_TO | MCI_SEEK_TO_START | MCI_SEEK_TO_END);
    if (targets == 0) return MCIERR_MISSING_PARAMETER;
    if (targets != MCI_TO && targets != MCI_SEEK_TO_START && targets != MCI_SEEK_TO_END)
        return MCIERR_FLAGS_NOT_COMPATIBLE;
    std::uint32_t target = 0;
    if (targets == MCI_TO) {
        if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
        if (params->dwTo > module_->LengthMs()) return MCIERR_OUTOFRANGE;
        target = params->dwTo;
    } else if (targets == MCI_SEEK_TO_END) {
        target = module_->LengthMs();
    }
    RetirePending(flags);
    // A device that was playing stops at the target; a paused one stays paused there.
    Halt();
    if (CurrentMode() == Mode::Playing) mode_ = Mode::Stopped;
    module_->MoveTo(target);
    return 0;
}

MCIERROR TTrackerDevice::Status(std::uintptr_t flags, MCI_STATUS_PARMS *params)
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
    const bool present = open_ && module_;
    switch (params->dwItem) {
    case MCI_STATUS_MODE: {
        if (!present) {
            params->dwReturn = MCI_MODE_NOT_READY;
            return 0;
        }
        const Mode mode = CurrentMode();
        params->dwReturn = mode == Mode::Playing  ? MCI_MODE_PLAY
                           : mode == Mode::Paused ? MCI_MODE_PAUSE
                                                  : MCI_MODE_STOP;
        return 0;
    }
    case MCI_STATUS_READY:
    case MCI_STATUS_MEDIA_PRESENT:
        params->dwReturn = present ? 1 : 0;
        return 0;
    case MCI_STATUS_TIME_FORMAT:
        params->dwReturn = MCI_FORMAT_MILLISECONDS;
        return 0;
    default:
        break;
    }
    if (const MCIERROR error = NeedMedium()) return error;
    // The whole module is the one track.
    if ((flags & MCI_TRACK) && params->dwTrack != 1) return MCIERR_OUTOFRANGE;
    switch (params->dwItem) {
    case MCI_STATUS_LENGTH:
        params->dwReturn = module_->LengthMs();
        return 0;
    case MCI_STATUS_POSITION:
        params->dwReturn =
            (flags & (MCI_TRACK | MCI_STATUS_START)) ? 0 : module_->PositionMs();
        return 0;
    case MCI_STATUS_NUMBER_OF_TRACKS:
    case MCI_STATUS_CURRENT_TRACK:
        params->dwReturn = 1;
        return 0;
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

MCIERROR TTrackerDevice::Set(std::uintptr_t flags, const MCI_SET_PARMS *params)
{
    const std::uintptr_t known = MCI_NOTIFY | MCI_WAIT | MCI_SET_TIME_FORMAT;
    if (flags & ~known) return MCIERR_UNSUPPORTED_FUNCTION; // doors, channels, tempo
    if (!(flags & MCI_SET_TIME_FORMAT)) return MCIERR_MISSING_PARAMETER;
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (params->dwTimeFormat != MCI_FORMAT_MILLISECONDS) return MCIERR_BAD_TIME_FORMAT;
    return 0;
}

MCIERROR TTrackerDevice::GetDevCaps(std::uintptr_t flags, MCI_GETDEVCAPS_PARMS *params) const
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_GETDEVCAPS_ITEM)) return MCIERR_MISSING_PARAMETER;
    switch (params->dwItem) {
    case MCI_GETDEVCAPS_DEVICE_TYPE:
        // Not a sequencer: the player must not send it a MIDI reset before a module.
        params->dwReturn = MCI_DEVTYPE_OTHER;
        return 0;
    case MCI_GETDEVCAPS_USES_FILES:
    case MCI_GETDEVCAPS_COMPOUND_DEVICE:
    case MCI_GETDEVCAPS_HAS_AUDIO:
    case MCI_GETDEVCAPS_CAN_PLAY:
        params->dwReturn = 1;
        return 0;
    case MCI_GETDEVCAPS_CAN_EJECT:
    case MCI_GETDEVCAPS_CAN_RECORD:
    case MCI_GETDEVCAPS_HAS_VIDEO:
    case MCI_GETDEVCAPS_CAN_SAVE:
        params->dwReturn = 0;
        return 0;
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

MCIERROR TTrackerDevice::Info(std::uintptr_t flags, MCI_INFO_PARMS *params) const
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    const std::uintptr_t what = flags & ~std::uintptr_t(MCI_NOTIFY | MCI_WAIT);
    switch (what) {
    case MCI_INFO_PRODUCT:
        return CopyText(Product, params->lpstrReturn, params->dwRetSize);
    case MCI_INFO_FILE:
        if (!open_ || !module_) return MCIERR_NONAPPLICABLE_FUNCTION;
        return CopyText(element_, params->lpstrReturn, params->dwRetSize);
    case MCI_INFO_NAME:
        if (!open_ || !module_) return MCIERR_NONAPPLICABLE_FUNCTION;
        return CopyText(module_->Title(), params->lpstrReturn, params->dwRetSize);
    case 0:
        return MCIERR_MISSING_PARAMETER;
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

MCIERROR TTrackerDevice::SysInfo(std::uintptr_t flags, MCI_SYSINFO_PARMS *params) const
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (flags & MCI_SYSINFO_QUANTITY) {
        if (!params->lpstrReturn || params->dwRetSize < sizeof(std::uint32_t))
            return MCIERR_PARAM_OVERFLOW;
        const std::uint32_t count = 1;
        std::memcpy(params->lpstrReturn, &count, sizeof count);
        return 0;
    }
    // The device's one name, whichever number the player asks for: it numbers the devices of
    // all plug-ins together.
    if (flags & (MCI_SYSINFO_NAME | MCI_SYSINFO_INSTALLNAME))
        return CopyText(Name, params->lpstrReturn, params->dwRetSize);
    return MCIERR_MISSING_PARAMETER;
}
