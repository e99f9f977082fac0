#pragma once
// The tracker-module device: answers the media-control commands the player sends it (open a
// module, play, pause, resume, stop, seek, status, close and the queries) and plays the open
// module into the program's audio mix through a stream of its own.
//
// One medium at a time: an open replaces the module that was open. Positions and lengths are
// in milliseconds, the only time format the device knows.
//
// The end of a play is found by the audio thread; the device hands it to the player as a
// completion notice the next time the main thread calls it (every message the plug-in gets
// runs Poll() first; the player asks for the mode and position all the time while it plays).
//
// Threads: main thread only.
#include "tonaria/audio.h"
#include "tonaria/mci.h"

#include <cstdint>
#include <memory>
#include <string>

class TTrackerModule;

class TTrackerDevice {
public:
    // The name the device is known by, and the product name of its menu entry.
    static constexpr const char *Name = "tracker";
    static constexpr const char *Product = "Tracker modules";

    TTrackerDevice();
    ~TTrackerDevice();
    TTrackerDevice(const TTrackerDevice &) = delete;
    TTrackerDevice &operator=(const TTrackerDevice &) = delete;

    // The ID the host gave the device; notices name it unless the open named another.
    void SetDeviceId(MCIDEVICEID id) { deviceId_ = id; }

    // One command: its code, flags and the address of its parameter block. Answers the error
    // code (0 = success).
    MCIERROR Command(std::uint32_t message, std::uintptr_t flags, void *params);

    // Sends the notice of a play that has ended since the last call.
    void Poll();
    // Closes the medium, if any (the program is going).
    void CloseMedium() { Close(0); }

private:
    enum class Mode { Stopped, Playing, Paused };

    MCIERROR Open(std::uintptr_t flags, MCI_OPEN_PARMS *params);
    void Close(std::uintptr_t flags);
    MCIERROR Play(std::uintptr_t flags, const MCI_PLAY_PARMS *params);
    MCIERROR Resume(std::uintptr_t flags, const MCI_GENERIC_PARMS *params);
    MCIERROR Pause(std::uintptr_t flags);
    MCIERROR Stop(std::uintptr_t flags);
    MCIERROR Seek(std::uintptr_t flags, const MCI_SEEK_PARMS *params);
    MCIERROR Status(std::uintptr_t flags, MCI_STATUS_PARMS *params);
    MCIERROR Set(std::uintptr_t flags, const MCI_SET_PARMS *params);
    MCIERROR GetDevCaps(std::uintptr_t flags, MCI_GETDEVCAPS_PARMS *params) const;
    MCIERROR Info(std::uintptr_t flags, MCI_INFO_PARMS *params) const;
    MCIERROR SysInfo(std::uintptr_t flags, MCI_SYSINFO_PARMS *params) const;

    MCIERROR NeedMedium() const;
    Mode CurrentMode();
    // Halts the stream and leaves the module to the main thread.
    void Halt();
    // Lets the stream render from the module's position on, up to `stopMs` (negative: the end).
    // False when the mix has no place for it.
    bool Run(std::int64_t stopMs);
    MCIERROR WaitForEnd();
    // The notice owed to the last play or resume, when a command cuts it short.
    void RetirePending(std::uintptr_t flags);
    void Notify(std::uintptr_t callback, std::uint32_t code) const;

    MCIDEVICEID deviceId_ = 0;
    MCIDEVICEID noticeId_ = 0;
    bool open_ = false;
    std::string element_;
    std::unique_ptr<TTrackerModule> module_;
    HAUDIOSTREAM stream_ = 0;
    Mode mode_ = Mode::Stopped;
    bool pending_ = false;
    std::uintptr_t pendingCallback_ = 0;
};
