#include "platform/mci/mcidevice.h"

#include "platform/audio/audiooutput.h"
#include "platform/mci/mcidriver.h"
#include "platform/mci/mcinotifyevent.h"

#include <algorithm>
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

// A disc's time: 75 frames a second.
constexpr std::int64_t kFramesPerSecond = 75;

std::uint32_t msfOf(std::int64_t ms)
{
    const std::int64_t frames = ms * kFramesPerSecond / 1000;
    const auto minutes =
        std::uint32_t(std::min<std::int64_t>(frames / (60 * kFramesPerSecond), 255));
    const auto seconds = std::uint32_t(frames / kFramesPerSecond % 60);
    const auto frame = std::uint32_t(frames % kFramesPerSecond);
    return minutes | (seconds << 8) | (frame << 16);
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

MCIERROR TMciDevice::openDevice()
{
    std::unique_ptr<TMciTransport> transport;
    TMciOutputFormat format;
    format.sampleRate = output_.sampleRate();
    format.unpaced = output_.backendName() == QStringLiteral("render");
    const MCIERROR error = driver_.openDevice(format, transport);
    if (error != 0) return error;
    transport_ = std::move(transport);
    return 0;
}

MCIERROR TMciDevice::needMedium() const
{
    if (!transport_) return MCIERR_NONAPPLICABLE_FUNCTION;
    return transport_->mediaPresent() ? 0 : MCIERR_DEVICE_NOT_READY;
}

std::uint32_t TMciDevice::trackAt(std::uint32_t ms) const
{
    const std::uint32_t count = transport_->trackCount();
    std::uint32_t track = 1;
    while (track < count && transport_->trackStartMs(track + 1) <= ms)
        ++track;
    return track;
}

MCIERROR TMciDevice::positionToMs(std::uint32_t value, std::int64_t &ms) const
{
    if (timeFormat_ != MCI_FORMAT_TMSF) {
        ms = value;
        return 0;
    }
    const std::uint32_t track = value & 0xFFu;
    const std::uint32_t minutes = (value >> 8) & 0xFFu;
    const std::uint32_t seconds = (value >> 16) & 0xFFu;
    const std::uint32_t frames = (value >> 24) & 0xFFu;
    if (track < 1 || track > transport_->trackCount() || seconds >= 60 ||
        frames >= kFramesPerSecond)
        return MCIERR_OUTOFRANGE;
    const std::int64_t offsetFrames =
        (std::int64_t(minutes) * 60 + seconds) * kFramesPerSecond + frames;
    // Rounded up, so that the position reads back as the same frame.
    ms = transport_->trackStartMs(track) +
         (offsetFrames * 1000 + kFramesPerSecond - 1) / kFramesPerSecond;
    return 0;
}

std::uint32_t TMciDevice::positionFromMs(std::uint32_t ms) const
{
    if (timeFormat_ != MCI_FORMAT_TMSF) return ms;
    const std::uint32_t track = trackAt(ms);
    const std::int64_t offset = std::int64_t(ms) - transport_->trackStartMs(track);
    return track | (msfOf(std::max<std::int64_t>(offset, 0)) << 8);
}

std::uint32_t TMciDevice::lengthFromMs(std::uint32_t ms) const
{
    // A length has no track: in the track format it is minutes, seconds and frames.
    return timeFormat_ == MCI_FORMAT_TMSF ? msfOf(ms) : ms;
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
    if (const MCIERROR error = needMedium()) return error;
    const std::int64_t first = transport_->startMs();
    const std::int64_t end = first + transport_->lengthMs();
    std::int64_t from = -1;
    std::int64_t to = -1;
    if (flags & MCI_FROM) {
        if (const MCIERROR error = positionToMs(params->dwFrom, from)) return error;
        if (from < first || from > end) return MCIERR_OUTOFRANGE;
    }
    const std::int64_t start = from >= 0 ? from : std::int64_t(transport_->positionMs());
    if (flags & MCI_TO) {
        if (const MCIERROR error = positionToMs(params->dwTo, to)) return error;
        if (to > end || to < start) return MCIERR_OUTOFRANGE;
    }
    // A data track holds no sound (a play that ends where it starts plays none of it).
    if (!transport_->isAudioTrack(trackAt(std::uint32_t(start))) && !(to >= 0 && to == start))
        return MCIERR_NONAPPLICABLE_FUNCTION;
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
    if (const MCIERROR error = needMedium()) return error;
    retirePending(flags);
    if (transport_->mode() == TMciTransport::Mode::Playing) transport_->pause();
    return 0;
}

MCIERROR TMciDevice::resume(std::uintptr_t flags, const MCI_GENERIC_PARMS *params)
{
    if (const MCIERROR error = needMedium()) return error;
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
    if (const MCIERROR error = needMedium()) return error;
    retirePending(flags);
    transport_->stop();
    return 0;
}

MCIERROR TMciDevice::seek(std::uintptr_t flags, const MCI_SEEK_PARMS *params)
{
    if (const MCIERROR error = needMedium()) return error;
    const std::uintptr_t targets = flags & (MCI_TO | MCI_SEEK_TO_START | MCI_SEEK_TO_END);
    if (targets == 0) return MCIERR_MISSING_PARAMETER;
    if (targets != MCI_TO && targets != MCI_SEEK_TO_START && targets != MCI_SEEK_TO_END)
        return MCIERR_FLAGS_NOT_COMPATIBLE;
    const std::int64_t first = transport_->startMs();
    const std::int64_t end = first + transport_->lengthMs();
    std::int64_t target = first;
    if (targets == MCI_TO) {
        if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
        if (const MCIERROR error = positionToMs(params->dwTo, target)) return error;
        if (target < first || target > end) return MCIERR_OUTOFRANGE;
    } else if (targets == MCI_SEEK_TO_END) {
        target = end;
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
    const bool present = transport_ && transport_->mediaPresent();
    switch (params->dwItem) {
    case MCI_STATUS_MODE:
        params->dwReturn = present ? toMode(transport_->mode()) : MCI_MODE_NOT_READY;
        return 0;
    case MCI_STATUS_READY:
    case MCI_STATUS_MEDIA_PRESENT:
        params->dwReturn = present ? 1 : 0;
        return 0;
    case MCI_STATUS_TIME_FORMAT:
        params->dwReturn = timeFormat_;
        return 0;
    default:
        break;
    }
    if (const MCIERROR error = needMedium()) return error;
    if (track && (params->dwTrack < 1 || params->dwTrack > transport_->trackCount()))
        return MCIERR_OUTOFRANGE;
    switch (params->dwItem) {
    case MCI_STATUS_LENGTH:
        params->dwReturn = lengthFromMs(track ? transport_->trackLengthMs(params->dwTrack)
                                              : transport_->lengthMs());
        return 0;
    case MCI_STATUS_POSITION: {
        std::uint32_t ms = transport_->positionMs();
        if (track)
            ms = transport_->trackStartMs(params->dwTrack);
        else if (flags & MCI_STATUS_START)
            ms = transport_->startMs();
        params->dwReturn = positionFromMs(ms);
        return 0;
    }
    case MCI_STATUS_NUMBER_OF_TRACKS:
        params->dwReturn = transport_->trackCount();
        return 0;
    case MCI_STATUS_CURRENT_TRACK: {
        // A play that ran to the end of its track stays on that track.
        const std::uint32_t position = transport_->positionMs();
        std::uint32_t current = trackAt(position);
        if (current > 1 && transport_->reachedEnd() &&
            position == transport_->trackStartMs(current))
            --current;
        params->dwReturn = current;
        return 0;
    }
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
    const std::uintptr_t doors = MCI_SET_DOOR_OPEN | MCI_SET_DOOR_CLOSED;
    const std::uintptr_t known = MCI_NOTIFY | MCI_WAIT | MCI_SET_TIME_FORMAT | doors;
    if (flags & ~known) return MCIERR_UNSUPPORTED_FUNCTION; // channels, tempo, ports
    if ((flags & doors) == doors) return MCIERR_FLAGS_NOT_COMPATIBLE;
    if (!(flags & (MCI_SET_TIME_FORMAT | doors))) return MCIERR_MISSING_PARAMETER;
    if (flags & MCI_SET_TIME_FORMAT) {
        if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
        const bool tracks = transport_ && transport_->hasTrackTimes();
        if (params->dwTimeFormat != MCI_FORMAT_MILLISECONDS &&
            !(tracks && params->dwTimeFormat == MCI_FORMAT_TMSF))
            return MCIERR_BAD_TIME_FORMAT;
        timeFormat_ = params->dwTimeFormat;
    }
    if (flags & doors) {
        if (!transport_) return MCIERR_UNSUPPORTED_FUNCTION;
        if (flags & MCI_SET_DOOR_OPEN) {
            // The sound of the disc that leaves stops first.
            retirePending(0);
            if (transport_->mediaPresent()) transport_->stop();
        }
        return transport_->setDoorOpen((flags & MCI_SET_DOOR_OPEN) != 0);
    }
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
    case MCI_GETDEVCAPS_CAN_EJECT:
        params->dwReturn = transport_ && transport_->canEject() ? 1 : 0;
        return 0;
    case MCI_GETDEVCAPS_CAN_RECORD:
    case MCI_GETDEVCAPS_HAS_VIDEO:
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
    if (what == MCI_INFO_MEDIA_IDENTITY) {
        if (const MCIERROR error = needMedium()) return error;
        const QString identity = transport_->identity();
        if (identity.isEmpty()) return MCIERR_NO_IDENTITY;
        return mciCopyText(identity, params->lpstrReturn, params->dwRetSize);
    }
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
