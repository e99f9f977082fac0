#include "platform/mci/mcidevice.h"

#include "platform/audio/audiooutput.h"
#include "platform/mci/mcidriver.h"
#include "platform/mci/mcinotifyevent.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

// How long a play with MCI_WAIT tolerates an output clock that does not move.
constexpr std::chrono::milliseconds kStallLimit{3000};

std::uint32_t toMode(TMciTransport::Mode mode)
{
    switch (mode) {
    case TMciTransport::Mode::Playing:
        return MCI_MODE_PLAY;
    case TMciTransport::Mode::Paused:
        return MCI_MODE_PAUSE;
    case TMciTransport::Mode::Stopped:
        break;
    }
    return MCI_MODE_STOP;
}

// Every block starts with dwCallback.
std::uintptr_t callbackOf(const void *params)
{
    return params ? static_cast<const MCI_GENERIC_PARMS *>(params)->dwCallback : 0;
}

} // namespace

MCIERROR mciCopyText(const QString &text, char *buffer, std::uint32_t size)
{
    if (!buffer || size == 0) return MCIERR_PARAM_OVERFLOW;
    const QByteArray bytes = text.toUtf8();
    if (std::size_t(bytes.size()) < size) {
        std::memcpy(buffer, bytes.constData(), std::size_t(bytes.size()) + 1);
        return 0;
    }
    // Cut at a character boundary so the caller never gets half a UTF-8 sequence.
    std::size_t cut = size - 1;
    while (cut > 0 && (static_cast<unsigned char>(bytes[qsizetype(cut)]) & 0xC0) == 0x80)
        --cut;
    std::memcpy(buffer, bytes.constData(), cut);
    buffer[cut] = '\0';
    return MCIERR_PARAM_OVERFLOW;
}

TMciDevice::TMciDevice(MCIDEVICEID id, TMciDriver &driver, const QString &name,
                       TAudioOutput &output)
    : id_(id), driver_(driver), name_(name), output_(output)
{
}

TMciDevice::~TMciDevice()
{
    if (transport_) close(0);
}

MCIERROR TMciDevice::openElement(const QString &path)
{
    std::unique_ptr<TMciTransport> transport;
    TMciOutputFormat format;
    format.sampleRate = output_.sampleRate();
    format.unpaced = output_.backendName() == QStringLiteral("render");
    const MCIERROR error = driver_.openElement(path, format, transport);
    if (error != 0) return error;
    if (!transport) return MCIERR_DRIVER_INTERNAL;
    transport_ = std::move(transport);
    element_ = path;
    return 0;
}

void TMciDevice::close(std::uintptr_t closeFlags)
{
    retirePending(closeFlags);
    if (!transport_) return;
    transport_->close();
    if (attached_) {
        attached_ = false;
        if (transport_->ringsOut() && !transport_->source().isIdle()) {
            // The tail (or the fade of a play cut short) goes on while the next medium starts.
            TAudioSource *source = &transport_->source();
            output_.retire(source, std::shared_ptr<TMciTransport>(std::move(transport_)));
            return;
        }
        output_.detach(&transport_->source());
    }
    driver_.release(std::move(transport_));
}

MCIERROR TMciDevice::command(std::uint32_t message, std::uintptr_t flags, void *params)
{
    if ((flags & MCI_NOTIFY) && !params) return MCIERR_NULL_PARAMETER_BLOCK;
    MCIERROR error = 0;
    bool immediate = true; // completes now: a notice asked for goes out at once
    switch (message) {
    case MCI_PLAY:
        return play(flags, static_cast<const MCI_PLAY_PARMS *>(params));
    case MCI_RESUME:
        return resume(flags, static_cast<const MCI_GENERIC_PARMS *>(params));
    case MCI_PAUSE:
        error = pause(flags);
        immediate = false;
        break;
    case MCI_STOP:
        error = stop(flags);
        immediate = false;
        break;
    case MCI_SEEK:
        error = seek(flags, static_cast<const MCI_SEEK_PARMS *>(params));
        immediate = false;
        break;
    case MCI_STATUS:
        error = status(flags, static_cast<MCI_STATUS_PARMS *>(params));
        break;
    case MCI_SET:
        error = set(flags, static_cast<const MCI_SET_PARMS *>(params));
        break;
    case MCI_GETDEVCAPS:
        error = getDevCaps(flags, static_cast<MCI_GETDEVCAPS_PARMS *>(params));
        break;
    case MCI_INFO:
        error = info(flags, static_cast<MCI_INFO_PARMS *>(params));
        break;
    case MCI_SYSINFO:
        error = sysInfo(flags, static_cast<MCI_SYSINFO_PARMS *>(params));
        break;
    default:
        // Known commands this kind of device has no use for (MCI_CONFIGURE, recording,
        // editing, windows).
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
    if (error != 0) return error;
    if (flags & MCI_NOTIFY) {
        if (immediate) retirePending(flags);
        postMciNotify(mciReceiver(callbackOf(params)), MCI_NOTIFY_SUCCESSFUL, id_);
    }
    return 0;
}

void TMciDevice::retirePending(std::uintptr_t flags)
{
    if (!pending_) return;
    const bool ended = transport_ && transport_->reachedEnd();
    const unsigned code = ended                  ? MCI_NOTIFY_SUCCESSFUL
                          : (flags & MCI_NOTIFY) ? MCI_NOTIFY_SUPERSEDED
                                                 : MCI_NOTIFY_ABORTED;
    pending_ = false;
    postMciNotify(pendingReceiver_, code, id_);
    pendingReceiver_.clear();
}

void TMciDevice::owePending(const QPointer<QObject> &receiver)
{
    pending_ = true;
    pendingReceiver_ = receiver;
}

void TMciDevice::poll()
{
    if (pending_ && transport_ && transport_->reachedEnd()) {
        pending_ = false;
        postMciNotify(pendingReceiver_, MCI_NOTIFY_SUCCESSFUL, id_);
        pendingReceiver_.clear();
    }
}

bool TMciDevice::needsPolling() const
{
    return pending_ || (transport_ && transport_->mode() == TMciTransport::Mode::Playing);
}

void TMciDevice::attachSource()
{
    if (!attached_) attached_ = output_.attach(&transport_->source());
}

MCIERROR TMciDevice::play(std::uintptr_t flags, const MCI_PLAY_PARMS *params)
{
    if ((flags & (MCI_FROM | MCI_TO)) && !params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!transport_) return MCIERR_NONAPPLICABLE_FUNCTION;
    const std::uint32_t length = transport_->lengthMs();
    std::int64_t from = -1;
    std::int64_t to = -1;
    if (flags & MCI_FROM) {
        if (params->dwFrom > length) return MCIERR_OUTOFRANGE;
        from = params->dwFrom;
    }
    if (flags & MCI_TO) {
        if (params->dwTo > length) return MCIERR_OUTOFRANGE;
        to = params->dwTo;
        const std::int64_t start = from >= 0 ? from : std::int64_t(transport_->positionMs());
        if (to < start) return MCIERR_OUTOFRANGE;
    }
    retirePending(flags);
    attachSource();
    if (!attached_) return MCIERR_WAVE_OUTPUTSINUSE;
    transport_->play(from, to);
    if (flags & MCI_NOTIFY) owePending(mciReceiver(params->dwCallback));
    return (flags & MCI_WAIT) ? waitForEnd() : 0;
}

MCIERROR TMciDevice::waitForEnd()
{
    // The audio thread renders on its own (sound card, clock-paced or unpaced render thread);
    // this only watches, so it can never hold the audio thread up.
    using Clock = std::chrono::steady_clock;
    std::int64_t lastFrames = output_.framesRendered();
    Clock::time_point lastMove = Clock::now();
    while (!transport_->reachedEnd() && transport_->mode() == TMciTransport::Mode::Playing) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::int64_t frames = output_.framesRendered();
        if (frames != lastFrames) {
            lastFrames = frames;
            lastMove = Clock::now();
        } else if (!output_.isRunning() || Clock::now() - lastMove > kStallLimit) {
            // The output died or stalled: play cannot end; it fails instead of hanging.
            transport_->stop();
            if (pending_) {
                pending_ = false;
                postMciNotify(pendingReceiver_, MCI_NOTIFY_FAILURE, id_);
                pendingReceiver_.clear();
            }
            return MCIERR_HARDWARE;
        }
    }
    poll(); // the notice of a play that ended goes out now
    return 0;
}

MCIERROR TMciDevice::pause(std::uintptr_t flags)
{
    if (!transport_) return MCIERR_NONAPPLICABLE_FUNCTION;
    retirePending(flags);
    if (transport_->mode() == TMciTransport::Mode::Playing) transport_->pause();
    return 0;
}

MCIERROR TMciDevice::resume(std::uintptr_t flags, const MCI_GENERIC_PARMS *params)
{
    if (!transport_) return MCIERR_NONAPPLICABLE_FUNCTION;
    const TMciTransport::Mode mode = transport_->mode();
    if (mode == TMciTransport::Mode::Stopped) {
        // Nothing to resume: the command completes at once.
        if (flags & MCI_NOTIFY) {
            retirePending(flags);
            postMciNotify(mciReceiver(params->dwCallback), MCI_NOTIFY_SUCCESSFUL, id_);
        }
        return 0;
    }
    if (flags & MCI_NOTIFY) retirePending(flags);
    if (mode == TMciTransport::Mode::Paused) {
        attachSource();
        transport_->resume();
    }
    if (flags & MCI_NOTIFY) owePending(mciReceiver(params->dwCallback));
    return (flags & MCI_WAIT) ? waitForEnd() : 0;
}

MCIERROR TMciDevice::stop(std::uintptr_t flags)
{
    if (!transport_) return MCIERR_NONAPPLICABLE_FUNCTION;
    retirePending(flags);
    transport_->stop();
    return 0;
}

MCIERROR TMciDevice::seek(std::uintptr_t flags, const MCI_SEEK_PARMS *params)
{
    if (!transport_) return MCIERR_NONAPPLICABLE_FUNCTION;
    const std::uintptr_t targets = flags & (MCI_TO | MCI_SEEK_TO_START | MCI_SEEK_TO_END);
    if (targets == 0) return MCIERR_MISSING_PARAMETER;
    if (targets != MCI_TO && targets != MCI_SEEK_TO_START && targets != MCI_SEEK_TO_END)
        return MCIERR_FLAGS_NOT_COMPATIBLE;
    const std::uint32_t length = transport_->lengthMs();
    std::int64_t target = 0;
    if (targets == MCI_TO) {
        if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
        if (params->dwTo > length) return MCIERR_OUTOFRANGE;
        target = params->dwTo;
    } else if (targets == MCI_SEEK_TO_END) {
        target = length;
    }
    retirePending(flags);
    // A device that was playing stops at the target; a paused one stays paused there.
    if (transport_->mode() == TMciTransport::Mode::Playing) transport_->stop();
    transport_->seek(target);
    return 0;
}

MCIERROR TMciDevice::status(std::uintptr_t flags, MCI_STATUS_PARMS *params)
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
    const bool track = (flags & MCI_TRACK) != 0;
    if (track && params->dwTrack != 1) return MCIERR_OUTOFRANGE;
    switch (params->dwItem) {
    case MCI_STATUS_MODE:
        params->dwReturn = transport_ ? toMode(transport_->mode()) : MCI_MODE_NOT_READY;
        return 0;
    case MCI_STATUS_READY:
        params->dwReturn = transport_ ? 1 : 0;
        return 0;
    case MCI_STATUS_MEDIA_PRESENT:
        params->dwReturn = transport_ ? 1 : 0;
        return 0;
    case MCI_STATUS_TIME_FORMAT:
        params->dwReturn = MCI_FORMAT_MILLISECONDS;
        return 0;
    default:
        break;
    }
    if (!transport_) return MCIERR_NONAPPLICABLE_FUNCTION;
    switch (params->dwItem) {
    case MCI_STATUS_LENGTH:
        params->dwReturn = transport_->lengthMs();
        return 0;
    case MCI_STATUS_POSITION:
        // A file is one track that starts at 0.
        params->dwReturn = (flags & MCI_STATUS_START) || track ? 0 : transport_->positionMs();
        return 0;
    case MCI_STATUS_NUMBER_OF_TRACKS:
    case MCI_STATUS_CURRENT_TRACK:
        params->dwReturn = 1;
        return 0;
    default:
        break;
    }
    std::uintptr_t value = 0;
    if (!transport_->statusItem(params->dwItem, value)) return MCIERR_UNSUPPORTED_FUNCTION;
    params->dwReturn = value;
    return 0;
}

MCIERROR TMciDevice::set(std::uintptr_t flags, const MCI_SET_PARMS *params)
{
    const std::uintptr_t known = MCI_NOTIFY | MCI_WAIT | MCI_SET_TIME_FORMAT;
    if (flags & ~known) return MCIERR_UNSUPPORTED_FUNCTION; // doors, channels, tempo, ports
    if (!(flags & MCI_SET_TIME_FORMAT)) return MCIERR_MISSING_PARAMETER;
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (params->dwTimeFormat != MCI_FORMAT_MILLISECONDS) return MCIERR_BAD_TIME_FORMAT;
    return 0;
}

MCIERROR TMciDevice::getDevCaps(std::uintptr_t flags, MCI_GETDEVCAPS_PARMS *params)
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_GETDEVCAPS_ITEM)) return MCIERR_MISSING_PARAMETER;
    switch (params->dwItem) {
    case MCI_GETDEVCAPS_DEVICE_TYPE:
        params->dwReturn = driver_.deviceType();
        return 0;
    case MCI_GETDEVCAPS_USES_FILES:
    case MCI_GETDEVCAPS_COMPOUND_DEVICE:
        params->dwReturn = driver_.usesFiles() ? 1 : 0;
        return 0;
    case MCI_GETDEVCAPS_HAS_AUDIO:
    case MCI_GETDEVCAPS_CAN_PLAY:
        params->dwReturn = 1;
        return 0;
    case MCI_GETDEVCAPS_CAN_RECORD:
    case MCI_GETDEVCAPS_HAS_VIDEO:
    case MCI_GETDEVCAPS_CAN_EJECT:
    case MCI_GETDEVCAPS_CAN_SAVE:
        params->dwReturn = 0;
        return 0;
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

MCIERROR TMciDevice::info(std::uintptr_t flags, MCI_INFO_PARMS *params)
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    const std::uintptr_t what = flags & ~std::uintptr_t(MCI_NOTIFY | MCI_WAIT);
    if (what == MCI_INFO_PRODUCT)
        return mciCopyText(driver_.product(), params->lpstrReturn, params->dwRetSize);
    if (what == MCI_INFO_FILE) {
        if (!transport_) return MCIERR_NONAPPLICABLE_FUNCTION;
        return mciCopyText(element_, params->lpstrReturn, params->dwRetSize);
    }
    if (what == 0) return MCIERR_MISSING_PARAMETER;
    return MCIERR_UNSUPPORTED_FUNCTION;
}

MCIERROR TMciDevice::sysInfo(std::uintptr_t flags, MCI_SYSINFO_PARMS *params)
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_SYSINFO_INSTALLNAME)) return MCIERR_UNSUPPORTED_FUNCTION;
    return mciCopyText(driver_.name(), params->lpstrReturn, params->dwRetSize);
}
