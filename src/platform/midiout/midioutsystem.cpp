#include "platform/midiout/midioutsystem.h"

#include "platform/midiout/alsamidiout.h"
#include "platform/midiout/alsaseqclient.h"
#include "platform/midiout/synthmidiout.h"

#include <algorithm>

namespace {
// The rate the built-in synthesizer renders at until the audio output says otherwise.
constexpr int kSynthRate = 44100;
} // namespace

TMidiOutSystem &TMidiOutSystem::instance()
{
    static TMidiOutSystem system;
    return system;
}

TMidiOutSystem::TMidiOutSystem() = default;

TMidiOutSystem::~TMidiOutSystem()
{
    // Handles still open at exit close their devices; the ALSA client goes last.
    for (auto &[key, handle] : handles_) {
        (void)key;
        if (--openCounts_[handle->device.get()] == 0) handle->device->close();
    }
    handles_.clear();
    ports_.clear();
}

bool TMidiOutSystem::setBuiltInDevice(std::shared_ptr<TMidiOutDevice> device)
{
    std::lock_guard openLock(openMutex_);
    std::lock_guard lock(mutex_);
    if (builtIn_ && isOpenLocked(builtIn_.get())) return false;
    builtIn_ = std::move(device);
    return true;
}

std::shared_ptr<TMidiOutDevice> TMidiOutSystem::builtInDevice()
{
    std::lock_guard lock(mutex_);
    return deviceLocked(0);
}

unsigned TMidiOutSystem::addDevice(std::shared_ptr<TMidiOutDevice> device)
{
    std::lock_guard lock(mutex_);
    if (!portsTaken_) takePortsLocked();
    extra_.push_back(std::move(device));
    return static_cast<unsigned>(1 + ports_.size() + extra_.size() - 1);
}

bool TMidiOutSystem::removeDevice(const std::shared_ptr<TMidiOutDevice> &device)
{
    std::lock_guard openLock(openMutex_);
    std::lock_guard lock(mutex_);
    const auto it = std::find(extra_.begin(), extra_.end(), device);
    if (it == extra_.end() || isOpenLocked(device.get())) return false;
    extra_.erase(it);
    return true;
}

unsigned TMidiOutSystem::refresh()
{
    std::lock_guard lock(mutex_);
    takePortsLocked();
    return static_cast<unsigned>(1 + ports_.size() + extra_.size());
}

unsigned TMidiOutSystem::deviceCount()
{
    std::lock_guard lock(mutex_);
    if (!portsTaken_) takePortsLocked();
    return static_cast<unsigned>(1 + ports_.size() + extra_.size());
}

std::shared_ptr<TMidiOutDevice> TMidiOutSystem::device(unsigned id)
{
    std::lock_guard lock(mutex_);
    return deviceLocked(id);
}

void TMidiOutSystem::takePortsLocked()
{
    portsTaken_ = true;
    if (!alsa_ || !alsa_->isOpen()) alsa_ = std::make_unique<TAlsaSeqClient>("Tonaria");
    std::vector<std::shared_ptr<TMidiOutDevice>> ports;
    for (TAlsaSeqClient::TPort &port : alsa_->ports()) {
        // A port seen before keeps its device, so that an open one stays the same object.
        std::shared_ptr<TMidiOutDevice> known;
        for (const auto &old : ports_) {
            const auto *alsa = static_cast<const TAlsaMidiOut *>(old.get());
            if (alsa->clientId() == port.client && alsa->portId() == port.port &&
                alsa->name() == port.name)
                known = old;
        }
        ports.push_back(known ? known : std::make_shared<TAlsaMidiOut>(*alsa_, std::move(port)));
    }
    ports_ = std::move(ports);
}

std::shared_ptr<TMidiOutDevice> TMidiOutSystem::deviceLocked(unsigned id)
{
    if (!portsTaken_) takePortsLocked();
    if (id == 0) {
        if (!builtIn_) builtIn_ = std::make_shared<TSynthMidiOut>(kSynthRate);
        return builtIn_;
    }
    std::size_t index = id - 1;
    if (index < ports_.size()) return ports_[index];
    index -= ports_.size();
    if (index < extra_.size()) return extra_[index];
    return nullptr;
}

bool TMidiOutSystem::isOpenLocked(const TMidiOutDevice *device) const
{
    const auto it = openCounts_.find(device);
    return it != openCounts_.end() && it->second > 0;
}

MMRESULT TMidiOutSystem::open(unsigned id, TMidiOutProc callback, std::uintptr_t instance,
                              HMIDIOUT *out)
{
    std::lock_guard openLock(openMutex_);
    std::shared_ptr<TMidiOutDevice> dev;
    bool first = false;
    {
        std::lock_guard lock(mutex_);
        dev = deviceLocked(id);
        if (!dev) return MMSYSERR_BADDEVICEID;
        first = !isOpenLocked(dev.get());
    }
    if (first) {
        // Loading a SoundFont or subscribing a port takes time: other handles go on sending.
        const MMRESULT result = dev->open();
        if (result != MMSYSERR_NOERROR) return result;
    }
    auto handle = std::make_shared<THandle>();
    handle->device = dev;
    handle->callback = callback;
    handle->instance = instance;
    std::lock_guard lock(mutex_);
    ++openCounts_[dev.get()];
    *out = reinterpret_cast<HMIDIOUT>(handle.get());
    handles_.emplace(handle.get(), std::move(handle));
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiOutSystem::close(HMIDIOUT h)
{
    std::lock_guard openLock(openMutex_);
    std::shared_ptr<TMidiOutDevice> last;
    {
        std::lock_guard lock(mutex_);
        const auto it = handles_.find(h);
        if (it == handles_.end()) return MMSYSERR_INVALHANDLE;
        std::shared_ptr<TMidiOutDevice> dev = it->second->device;
        handles_.erase(it);
        if (--openCounts_[dev.get()] == 0) {
            openCounts_.erase(dev.get());
            last = std::move(dev);
        }
    }
    if (last) last->close();
    return MMSYSERR_NOERROR;
}

std::shared_ptr<TMidiOutSystem::THandle> TMidiOutSystem::lookup(HMIDIOUT h)
{
    std::lock_guard lock(mutex_);
    const auto it = handles_.find(h);
    return it == handles_.end() ? nullptr : it->second;
}
