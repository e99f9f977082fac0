// The sequencer tick offered to plug-ins: MidiSeqProc plays a parsed song one clock tick at a
// time on an open MIDI output. The program itself never calls it; plug-ins install it as a
// periodic timer callback (tonaria/midiseq.h).
#include "tonaria/midiseq.h"

#include <QCoreApplication>
#include <QObject>

#include <cstddef>
#include <cstdlib>

// Plug-ins built on their own rely on this layout.
static_assert(offsetof(TMidiSeqState, Ready) == 12 && offsetof(TMidiSeqState, EndWindow) == 16 &&
              offsetof(TMidiSeqState, Period) == 24 && offsetof(TMidiSeqState, Song) == 32 &&
              offsetof(TMidiSeqState, MidiOut) == 40 &&
              offsetof(TMidiSeqState, PendingHeaders) == 48 &&
              offsetof(TMidiSeqState, NoteWindow) == 56 && offsetof(TMidiSeqState, EndTick) == 64);
static_assert(offsetof(TMidiSeqEvent, DataLength) == 8 && offsetof(TMidiSeqEvent, Data) == 16);

namespace {

constexpr int kNoRunningStatus = -1;

// Hands one message to a window the way a posted message would reach it: a Qt object gets an
// event on its own thread, a C receiver is called here and now.
void postMessage(const TMidiSeqWindow *window, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!window) return;
    switch (window->Kind) {
    case MIDISEQ_WINDOW_QOBJECT:
        if (window->Object)
            QCoreApplication::postEvent(static_cast<QObject *>(window->Object),
                                        new TMidiSeqMessageEvent(MIDISEQ_MESSAGE, wParam, lParam));
        break;
    case MIDISEQ_WINDOW_PROC:
        if (window->Proc) window->Proc(window->User, MIDISEQ_MESSAGE, wParam, lParam);
        break;
    default:
        break;
    }
}

// A data byte of the event; bytes beyond its data count as 0. The top bit is cleared: a stray
// status-like byte in a damaged song must not reach the output as a message of its own.
std::uint32_t dataByte(const TMidiSeqEvent &event, std::uint32_t index)
{
    if (!event.Data || index >= event.DataLength) return 0;
    return event.Data[index] & 0x7Fu;
}

// Sends a system-exclusive event as a long message and keeps its header until the output is
// done with it. Anything that fails drops the message; playback goes on.
void sendSysEx(TMidiSeqState &state, const TMidiSeqEvent &event)
{
    TMidiSeqHeaderList *pending = state.PendingHeaders;
    if (!pending) return;
    // Make room first, so that a header once sent is always kept track of.
    if (pending->Count >= pending->Capacity) {
        const std::uint32_t capacity = pending->Capacity ? pending->Capacity * 2 : 8;
        auto *items =
            static_cast<MIDIHDR **>(std::realloc(pending->Items, sizeof(MIDIHDR *) * capacity));
        if (!items) return;
        pending->Items = items;
        pending->Capacity = capacity;
    }
    auto *header = static_cast<MIDIHDR *>(std::calloc(1, sizeof(MIDIHDR)));
    if (!header) return;
    // The output only reads the bytes.
    header->lpData = reinterpret_cast<char *>(const_cast<std::uint8_t *>(event.Data));
    header->dwBufferLength = event.DataLength;
    header->dwFlags = 0;
    if (midiOutPrepareHeader(state.MidiOut, header, sizeof(MIDIHDR)) != MMSYSERR_NOERROR) {
        std::free(header);
        return;
    }
    if (midiOutLongMsg(state.MidiOut, header, sizeof(MIDIHDR)) != MMSYSERR_NOERROR) {
        midiOutUnprepareHeader(state.MidiOut, header, sizeof(MIDIHDR));
        std::free(header);
        return;
    }
    pending->Items[pending->Count++] = header;
}

// Unprepares and frees every header the output has finished with, from the last to the first.
void releaseFinished(TMidiSeqState &state)
{
    TMidiSeqHeaderList *pending = state.PendingHeaders;
    if (!pending || !pending->Items) return;
    for (std::uint32_t i = pending->Count; i-- > 0;) {
        MIDIHDR *header = pending->Items[i];
        if (!(header->dwFlags & MHDR_DONE)) continue;
        midiOutUnprepareHeader(state.MidiOut, header, sizeof(MIDIHDR));
        std::free(header);
        for (std::uint32_t j = i + 1; j < pending->Count; ++j)
            pending->Items[j - 1] = pending->Items[j];
        --pending->Count;
    }
}

// Sends every event that has become due, on every track in order.
void sendDueEvents(TMidiSeqState &state)
{
    TMidiSeqSong *song = state.Song;
    if (!song || !song->Tracks) return;
    // All tracks share the one output, so running status carries from track to track.
    int running = kNoRunningStatus;
    for (std::uint32_t t = 0; t < song->Count; ++t) {
        TMidiSeqTrack &track = song->Tracks[t];
        if (!track.Events) continue;
        while (track.Cursor < track.Count && track.Events[track.Cursor].Tick <= state.CurrentTick) {
            const TMidiSeqEvent &event = track.Events[track.Cursor];
            const std::uint8_t status = event.Status;
            if (event.IsMeta) {
                running = kNoRunningStatus;
                if (status == 0x51 && event.DataLength >= 3 && event.Data)
                    state.Tempo = (std::uint32_t{event.Data[0]} << 16) |
                                  (std::uint32_t{event.Data[1]} << 8) | event.Data[2];
            } else if (status == 0xF0 || status == 0xF7) {
                running = kNoRunningStatus;
                sendSysEx(state, event);
            } else if (status >= 0x80 && status < 0xF0) {
                const std::uint32_t d0 = dataByte(event, 0);
                const std::uint32_t d1 = dataByte(event, 1);
                const std::uint32_t full = status | (d0 << 8) | (d1 << 16);
                midiOutShortMsg(state.MidiOut, status == running ? (d0 | (d1 << 8)) : full);
                if (state.NoteWindow && status <= 0x9F)
                    postMessage(state.NoteWindow, MIDISEQ_NOTE, static_cast<std::intptr_t>(full));
                running = status;
            } else {
                // System common and real-time bytes, and a status byte that is no status at
                // all: nothing is sent.
                running = kNoRunningStatus;
            }
            ++track.Cursor;
        }
    }
}

} // namespace

extern "C" {

void MidiSeqProc(uint32_t timerId, uint32_t message, uintptr_t user, uintptr_t reserved1,
                 uintptr_t reserved2)
{
    (void)timerId;
    (void)message;
    (void)reserved1;
    (void)reserved2;
    auto *state = reinterpret_cast<TMidiSeqState *>(user);
    if (!state) return;

    // Timer time in, at most one tick out: a period longer than a tick makes the song fall
    // behind rather than skip events. The sum stops at the top instead of wrapping round.
    const std::uint64_t sum =
        std::uint64_t{state->Accumulator} + std::uint64_t{state->Period} * 1000;
    state->Accumulator = sum > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(sum);
    if (state->TickLength >= state->Accumulator) return;
    state->Accumulator -= state->TickLength;
    state->CurrentTick += 1;

    // A call still working elsewhere: this tick is counted and its events go out next time.
    if (!__atomic_exchange_n(&state->Ready, std::uint8_t{0}, __ATOMIC_ACQUIRE)) return;

    sendDueEvents(*state);
    releaseFinished(*state);

    if (state->CurrentTick >= state->EndTick) {
        postMessage(state->EndWindow, MIDISEQ_END, 0);
        state->CurrentTick = state->EndTick;
    }
    __atomic_store_n(&state->Ready, std::uint8_t{1}, __ATOMIC_RELEASE);
}

void MidiSeqReleaseHeaders(TMidiSeqState *state)
{
    if (!state || !state->PendingHeaders) return;
    TMidiSeqHeaderList *pending = state->PendingHeaders;
    for (std::uint32_t i = 0; i < pending->Count; ++i) {
        midiOutUnprepareHeader(state->MidiOut, pending->Items[i], sizeof(MIDIHDR));
        std::free(pending->Items[i]);
    }
    std::free(pending->Items);
    pending->Items = nullptr;
    pending->Count = 0;
    pending->Capacity = 0;
}

} // extern "C"
