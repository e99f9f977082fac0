#pragma once
// The process's MIDI outputs: the device list behind midiOutGetNumDevs and the open handles.
// Device 0 is the built-in synthesizer, then one device per ALSA sequencer port that takes MIDI,
// then the devices installed with addDevice() (tests install a recording output there).
//
// There is one list per process, as a plug-in calling midiOutOpen names no context.
//
// Threads: every member may be called from any thread. The list and the handles are guarded by a
// mutex held only for a lookup, never while a device opens or sends; opening and closing are
// serialised by a second one.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/midiout/midioutdevice.h"
#include "tonaria/midiout.h"

class TAlsaSeqClient;

class TMidiOutSystem {
public:
    // An open handle: the device, the last channel status sent through it and the caller's
    // callback. Used by one thread at a time.
    struct THandle {
        std::shared_ptr<TMidiOutDevice> device;
        std::uint8_t runningStatus = 0;
        TMidiOutProc callback = nullptr;
        std::uintptr_t instance = 0;
    };

    static TMidiOutSystem &instance();

    TMidiOutSystem();
    ~TMidiOutSystem();
    TMidiOutSystem(const TMidiOutSystem &) = delete;
    TMidiOutSystem &operator=(const TMidiOutSystem &) = delete;

    // Device 0. Unless replaced, it is a TSynthMidiOut rendering at 44100 Hz; the program makes
    // one at its audio output's rate at start-up, installs it here and attaches it to the output
    // as a sound source for good. Replacing is refused (false) while device 0 is open.
    bool setBuiltInDevice(std::shared_ptr<TMidiOutDevice> device);
    std::shared_ptr<TMidiOutDevice> builtInDevice();

    // Appends a device after the ALSA ports and returns its id; removeDevice() takes it out
    // again (refused while it is open). Ids of later devices move down by one.
    unsigned addDevice(std::shared_ptr<TMidiOutDevice> device);
    bool removeDevice(const std::shared_ptr<TMidiOutDevice> &device);

    // Takes the list of ALSA ports again; an open port keeps its device. Returns the count.
    unsigned refresh();
    unsigned deviceCount();
    // nullptr when the id is out of range.
    std::shared_ptr<TMidiOutDevice> device(unsigned id);

    // Opens device `id` (the first handle opens the device itself).
    MMRESULT open(unsigned id, TMidiOutProc callback, std::uintptr_t instance, HMIDIOUT *out);
    // Forgets the handle (the last handle closes the device).
    MMRESULT close(HMIDIOUT handle);
    // The open handle, or nullptr when `handle` is not one.
    std::shared_ptr<THandle> lookup(HMIDIOUT handle);

private:
    void takePortsLocked();
    std::shared_ptr<TMidiOutDevice> deviceLocked(unsigned id);
    bool isOpenLocked(const TMidiOutDevice *device) const;

    std::mutex openMutex_; // taken before mutex_, never after
    std::mutex mutex_;
    bool portsTaken_ = false;
    std::unique_ptr<TAlsaSeqClient> alsa_;
    std::shared_ptr<TMidiOutDevice> builtIn_;
    std::vector<std::shared_ptr<TMidiOutDevice>> ports_;
    std::vector<std::shared_ptr<TMidiOutDevice>> extra_;
    std::unordered_map<const void *, std::shared_ptr<THandle>> handles_;
    std::unordered_map<const TMidiOutDevice *, int> openCounts_;
};
