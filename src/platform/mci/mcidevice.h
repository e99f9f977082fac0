#pragma once
// One open media device: a driver, an alias, and (for a device opened on a file) the medium's
// transport. Carries out every command sent to the device's ID except MCI_OPEN and the layer-wide
// MCI_SYSINFO questions, and keeps the one pending completion notice that the device owes.
//
// Notices follow the Windows rules: a play (or resume) with MCI_NOTIFY owes a notice until it
// ends (successful); a later command that asks for a notice supersedes it; a play, pause, stop,
// seek or close without MCI_NOTIFY aborts it. Other commands with MCI_NOTIFY complete at once.
//
// Threads: main thread only. A play with MCI_WAIT blocks the main thread until the medium has
// played to its end; the audio thread renders meanwhile without ever waiting for it.

#include "tonaria/mci.h"

#include "platform/mci/mcitransport.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class TAudioOutput;
class TMciDriver;

class TMciDevice {
public:
    // `output` must outlive the device.
    TMciDevice(MCIDEVICEID id, TMciDriver &driver, const QString &name, TAudioOutput &output);
    ~TMciDevice();
    TMciDevice(const TMciDevice &) = delete;
    TMciDevice &operator=(const TMciDevice &) = delete;

    MCIDEVICEID id() const { return id_; }
    TMciDriver &driver() const { return driver_; }
    // The alias, or the name the device was opened by.
    const QString &name() const { return name_; }
    bool hasElement() const { return transport_ != nullptr; }
    const QString &element() const { return element_; }

    // Opens a file on the device; `path` exists.
    MCIERROR openElement(const QString &path);
    // Opens the device's own medium (a drive's disc) when its driver has one.
    MCIERROR openDevice();

    // Carries out one command (not MCI_OPEN). `params` may be null when no flag needs it.
    MCIERROR command(std::uint32_t message, std::uintptr_t flags, void *params);

    // Closes the medium: the pending notice is superseded (closeFlags has MCI_NOTIFY) or aborted,
    // the sound stops (a tail that rings out, or a short fade, goes on in the output, which lets
    // it go once idle) and the source leaves the output. The device is destroyed afterwards.
    void close(std::uintptr_t closeFlags);

    // Delivers the pending notice when play has reached its end. Called by the layer's timer.
    void poll();
    // True while play runs or a notice is owed: the layer keeps polling.
    bool needsPolling() const;

    // The medium's sound source, or null before a file is open (for tests and the render tool).
    TAudioSource *source() const { return transport_ ? &transport_->source() : nullptr; }

private:
    MCIERROR play(std::uintptr_t flags, const MCI_PLAY_PARMS *params);
    MCIERROR pause(std::uintptr_t flags);
    MCIERROR resume(std::uintptr_t flags, const MCI_GENERIC_PARMS *params);
    MCIERROR stop(std::uintptr_t flags);
    MCIERROR seek(std::uintptr_t flags, const MCI_SEEK_PARMS *params);
    MCIERROR status(std::uintptr_t flags, MCI_STATUS_PARMS *params);
    MCIERROR set(std::uintptr_t flags, const MCI_SET_PARMS *params);
    MCIERROR getDevCaps(std::uintptr_t flags, MCI_GETDEVCAPS_PARMS *params);
    MCIERROR info(std::uintptr_t flags, MCI_INFO_PARMS *params);
    MCIERROR sysInfo(std::uintptr_t flags, MCI_SYSINFO_PARMS *params);

    // The medium's positions in the device's time format and back (milliseconds, or track,
    // minutes, seconds and frames from the start of the track).
    MCIERROR positionToMs(std::uint32_t value, std::int64_t &ms) const;
    std::uint32_t positionFromMs(std::uint32_t ms) const;
    std::uint32_t lengthFromMs(std::uint32_t ms) const;
    // The track that holds position `ms` (the last one from its start on).
    std::uint32_t trackAt(std::uint32_t ms) const;
    // 0 when a medium is there to play, else the error for its absence.
    MCIERROR needMedium() const;

    // Ends the pending notice before a command that replaces it: delivered as successful when
    // play already reached its end, else superseded or aborted.
    void retirePending(std::uintptr_t flags);
    void owePending(const QPointer<QObject> &receiver);
    void attachSource();
    // Blocks until play has reached its end and delivers the pending notice: 0; or stops play,
    // fails the notice and answers MCIERR_HARDWARE when the output died or stalled.
    MCIERROR waitForEnd();

    const MCIDEVICEID id_;
    TMciDriver &driver_;
    const QString name_;
    TAudioOutput &output_;
    QString element_;
    std::uint32_t timeFormat_ = MCI_FORMAT_MILLISECONDS;
    std::unique_ptr<TMciTransport> transport_;
    bool attached_ = false;
    QPointer<QObject> pendingReceiver_;
    bool pending_ = false;
};

// Copies `text` (UTF-8) into a caller's buffer of `size` bytes, zero-terminated. Returns 0, or
// MCIERR_PARAM_OVERFLOW when it does not fit (the buffer then holds as much as fits).
MCIERROR mciCopyText(const QString &text, char *buffer, std::uint32_t size);
