// The midiOut calls of tonaria/midiout.h, over the process's device list.
#include "platform/midiout/midibytes.h"
#include "platform/midiout/midioutsystem.h"
#include "tonaria/midiout.h"

#include <algorithm>
#include <cstring>

namespace {

TMidiOutSystem &outputs()
{
    return TMidiOutSystem::instance();
}

unsigned deviceIndex(std::uintptr_t id)
{
    return id == MIDI_MAPPER ? 0u : static_cast<unsigned>(std::min<std::uintptr_t>(id, ~0u - 1));
}

// Copies `name` into a zero-terminated field of `size` bytes without cutting a UTF-8 character.
void copyName(const std::string &name, char *field, std::size_t size)
{
    std::size_t n = std::min(name.size(), size - 1);
    if (n < name.size()) {
        while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memcpy(field, name.data(), n);
    std::memset(field + n, 0, size - n);
}

void notify(const TMidiOutSystem::THandle &handle, HMIDIOUT h, std::uint32_t message,
            std::uintptr_t param1)
{
    if (handle.callback) handle.callback(h, message, handle.instance, param1, 0);
}

bool headerUsable(const MIDIHDR *header, std::uint32_t size)
{
    return header && size >= sizeof(MIDIHDR);
}

} // namespace

extern "C" {

uint32_t midiOutGetNumDevs(void)
{
    return outputs().refresh();
}

MMRESULT midiOutGetDevCaps(uintptr_t deviceId, MIDIOUTCAPS *caps, uint32_t cbCaps)
{
    if (!caps || cbCaps < sizeof(MIDIOUTCAPS)) return MMSYSERR_INVALPARAM;
    const auto device = outputs().device(deviceIndex(deviceId));
    if (!device) return MMSYSERR_BADDEVICEID;
    std::memset(caps, 0, sizeof(MIDIOUTCAPS));
    caps->vDriverVersion = 0x0100;
    copyName(device->name(), caps->szPname, sizeof caps->szPname);
    caps->wTechnology = device->technology();
    caps->wChannelMask = 0xFFFF;
    if (caps->wTechnology == MOD_SWSYNTH) {
        caps->wVoices = 16;
        caps->wNotes = 256;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutOpen(HMIDIOUT *handle, uint32_t deviceId, uintptr_t callback, uintptr_t instance,
                     uint32_t flags)
{
    if (!handle) return MMSYSERR_INVALPARAM;
    *handle = nullptr;
    TMidiOutProc proc = nullptr;
    switch (flags & CALLBACK_TYPEMASK) {
    case CALLBACK_NULL:
        break;
    case CALLBACK_FUNCTION:
        if (!callback) return MMSYSERR_INVALPARAM;
        proc = reinterpret_cast<TMidiOutProc>(callback);
        break;
    default: // windows, threads and events have no counterpart here
        return MMSYSERR_INVALFLAG;
    }
    const MMRESULT result = outputs().open(deviceIndex(deviceId), proc, instance, handle);
    if (result == MMSYSERR_NOERROR) {
        if (const auto h = outputs().lookup(*handle)) notify(*h, *handle, MOM_OPEN, 0);
    }
    return result;
}

MMRESULT midiOutClose(HMIDIOUT handle)
{
    const auto h = outputs().lookup(handle);
    if (!h) return MMSYSERR_INVALHANDLE;
    const MMRESULT result = outputs().close(handle);
    if (result == MMSYSERR_NOERROR) notify(*h, handle, MOM_CLOSE, 0);
    return result;
}

MMRESULT midiOutShortMsg(HMIDIOUT handle, uint32_t message)
{
    const auto h = outputs().lookup(handle);
    if (!h) return MMSYSERR_INVALHANDLE;
    TShortMessage m;
    m.packed = message;
    std::uint8_t status = message & 0xFF;
    std::uint32_t data = message >> 8;
    if (status < 0x80) { // running status: the word holds only the data bytes
        if (h->runningStatus == 0) return MMSYSERR_INVALPARAM;
        status = h->runningStatus;
        data = message;
    }
    const int length = midiDataLength(status);
    if (status == 0xF0 || status == 0xF7) return MMSYSERR_INVALPARAM; // needs a long message
    m.status = status;
    m.data1 = length > 0 ? (data & 0x7F) : 0;
    m.data2 = length > 1 ? ((data >> 8) & 0x7F) : 0;
    if (status < 0xF0)
        h->runningStatus = status;
    else if (status < 0xF8)
        h->runningStatus = 0; // system common messages end running status; real-time ones don't
    return h->device->sendShort(m);
}

MMRESULT midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR *header, uint32_t cbHeader)
{
    if (!outputs().lookup(handle)) return MMSYSERR_INVALHANDLE;
    if (!headerUsable(header, cbHeader) || !header->lpData) return MMSYSERR_INVALPARAM;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR *header, uint32_t cbHeader)
{
    if (!outputs().lookup(handle)) return MMSYSERR_INVALHANDLE;
    if (!headerUsable(header, cbHeader)) return MMSYSERR_INVALPARAM;
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutLongMsg(HMIDIOUT handle, MIDIHDR *header, uint32_t cbHeader)
{
    const auto h = outputs().lookup(handle);
    if (!h) return MMSYSERR_INVALHANDLE;
    if (!headerUsable(header, cbHeader)) return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    if (!header->lpData || header->dwBufferLength == 0) return MMSYSERR_INVALPARAM;
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    const MMRESULT result = h->device->sendLong(
        reinterpret_cast<const std::uint8_t *>(header->lpData), header->dwBufferLength);
    h->runningStatus = 0; // the bytes on the line have moved on
    header->dwFlags &= ~MHDR_INQUEUE;
    if (result != MMSYSERR_NOERROR) return result;
    header->dwFlags |= MHDR_DONE;
    notify(*h, handle, MOM_DONE, reinterpret_cast<std::uintptr_t>(header));
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutReset(HMIDIOUT handle)
{
    const auto h = outputs().lookup(handle);
    if (!h) return MMSYSERR_INVALHANDLE;
    h->runningStatus = 0;
    return h->device->reset();
}

} // extern "C"
