#ifndef TONARIA_MIDISEQ_H
#define TONARIA_MIDISEQ_H
/*
 * The host's MIDI sequencer tick, for plug-ins.
 *
 * A plug-in parses a MIDI file into a TMidiSeqSong, opens a MIDI output (tonaria/midiout.h),
 * fills a TMidiSeqState, sets Ready to 1 and installs MidiSeqProc as a periodic timer callback:
 *
 *     state.Period = 5;  state.Ready = 1;  ...
 *     uint32_t id = timeSetEvent(5, 1, MidiSeqProc, (uintptr_t)&state, TIME_PERIODIC);
 *     ...
 *     timeKillEvent(id);                  // the callback is not running once this returns
 *     midiOutReset(state.MidiOut);
 *     MidiSeqReleaseHeaders(&state);
 *
 * The plug-in finds the routines by name in the executable (dlsym(RTLD_DEFAULT, "MidiSeqProc"))
 * or links against them; they have C linkage.
 *
 * Each call of MidiSeqProc advances the clock by Period milliseconds, passes at most one tick,
 * and sends every event that has become due on every track: channel messages with running
 * status, system-exclusive events as long messages, tempo events into Tempo. It never changes
 * TickLength: a caller that wants tempo changes to take effect derives TickLength from Tempo.
 *
 * Threads: MidiSeqProc runs on the timer's thread. While the timer runs, the caller changes
 * nothing in the state, the song or the output except reading them; it tells its windows about
 * notes and the end only by posted messages (below).
 */
#include <stddef.h>
#include <stdint.h>

#include "tonaria/midiout.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- The periodic timer ---------------------------------------------------------------- */

#define TIME_ONESHOT 0x0000u
#define TIME_PERIODIC 0x0001u
#define TIME_CALLBACK_FUNCTION 0x0000u
#define TIME_KILL_SYNCHRONOUS 0x0100u
#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97

/* Called on the timer's own thread; calls of one timer never overlap. */
typedef void (*LPTIMECALLBACK)(uint32_t timerId, uint32_t message, uintptr_t user,
                               uintptr_t reserved1, uintptr_t reserved2);

/* Starts a timer that calls `callback` every `delay` milliseconds (TIME_PERIODIC) or once
 * after `delay` (TIME_ONESHOT), paced by a steady clock: a late call does not delay the ones
 * after it. `delay` is 1 to 1000000; `resolution` is accepted and ignored. Returns the timer's
 * id, or 0 when it cannot be started. */
TONARIA_EXPORT uint32_t timeSetEvent(uint32_t delay, uint32_t resolution, LPTIMECALLBACK callback,
                                     uintptr_t user, uint32_t flags);
/* Stops a timer. Called from any other thread it returns once the callback has finished and
 * will not be called again; called from the callback itself it returns at once and the callback
 * is not called again. A one-shot timer that has fired is gone already: MMSYSERR_INVALPARAM. */
TONARIA_EXPORT MMRESULT timeKillEvent(uint32_t timerId);
/* The system time in milliseconds from a steady clock (wraps after 49.7 days). Any thread. */
TONARIA_EXPORT uint32_t timeGetTime(void);

/* ---- Posted messages ------------------------------------------------------------------- */

/* The message the sequencer posts, with its wParam values. For MIDISEQ_NOTE the lParam is
 * status | data1 << 8 | data2 << 16; for MIDISEQ_END it is 0. */
#define MIDISEQ_MESSAGE 1040
#define MIDISEQ_END 1
#define MIDISEQ_NOTE 2

/* A C receiver: called on the sequencer's timer thread, at once; it must return quickly
 * (typically it queues the message for the plug-in's own thread). */
typedef void (*TPostMessageProc)(void *user, uint32_t message, uintptr_t wParam, intptr_t lParam);

#define MIDISEQ_WINDOW_QOBJECT 1
#define MIDISEQ_WINDOW_PROC 2

/* A window that receives posted messages; the state holds its address (0 = none).
 * Kind MIDISEQ_WINDOW_QOBJECT: Object is a QObject*; each message arrives as a
 * TMidiSeqMessageEvent (below) posted to it, so it is handled on that object's thread: the main
 * thread, or the plug-in's own QThread. The object must outlive the timer.
 * Kind MIDISEQ_WINDOW_PROC: Proc(User, message, wParam, lParam) is called (see above). */
typedef struct TMidiSeqWindow {
    uint32_t Kind;
    void *Object;
    TPostMessageProc Proc;
    void *User;
} TMidiSeqWindow;

/* ---- The sequence ---------------------------------------------------------------------- */

/* One event. Data holds the bytes after the status byte; for system-exclusive events (Status
 * 0xF0 or 0xF7) it holds the complete message exactly as the output is to send it, usually
 * starting with 0xF0 and ending with 0xF7. */
typedef struct TMidiSeqEvent {
    uint32_t Tick;       /* absolute tick */
    uint8_t IsMeta;      /* non-zero: a meta event, Status is its type (0x51 tempo) */
    uint8_t Status;      /* the status byte, or the meta type */
    uint32_t DataLength; /* bytes at Data */
    const uint8_t *Data; /* may be 0 when DataLength is 0 */
} TMidiSeqEvent;

/* One track: its events in ascending order of Tick, and the index of the next one to send. */
typedef struct TMidiSeqTrack {
    const TMidiSeqEvent *Events;
    uint32_t Count;
    uint32_t Cursor;
} TMidiSeqTrack;

/* The song: its tracks in order. */
typedef struct TMidiSeqSong {
    TMidiSeqTrack *Tracks;
    uint32_t Count;
} TMidiSeqSong;

/* Long messages sent and not yet released. MidiSeqProc allocates each header with malloc and
 * grows Items with realloc; it unprepares and frees a header once it carries MHDR_DONE. Start
 * with all fields 0. */
typedef struct TMidiSeqHeaderList {
    MIDIHDR **Items;
    uint32_t Count;
    uint32_t Capacity;
} TMidiSeqHeaderList;

/* The sequencer state; the fields lie in this order, each 32-bit field in a 32-bit slot and each
 * address or handle pointer-sized. */
typedef struct TMidiSeqState {
    uint32_t Tempo;       /* microseconds per quarter note, set by tempo events */
    uint32_t CurrentTick; /* position in ticks */
    uint32_t Accumulator; /* microseconds of timer time not yet made ticks */
    uint8_t Ready;        /* 1 between calls, 0 while a call works */
    uint8_t ReadyPadding[3];
    TMidiSeqWindow *EndWindow; /* receives MIDISEQ_END */
    uint32_t Period;           /* the timer's period in milliseconds */
    uint32_t TickLength;       /* microseconds per tick */
    TMidiSeqSong *Song;
    HMIDIOUT MidiOut;
    TMidiSeqHeaderList *PendingHeaders; /* required when the song holds system-exclusive events */
    TMidiSeqWindow *NoteWindow;         /* receives MIDISEQ_NOTE; 0 = none */
    uint32_t EndTick;                   /* length of the song in ticks */
} TMidiSeqState;

/* One tick of the sequencer; user is the address of a TMidiSeqState, the rest is ignored. */
TONARIA_EXPORT void MidiSeqProc(uint32_t timerId, uint32_t message, uintptr_t user,
                                uintptr_t reserved1, uintptr_t reserved2);

/* After the timer is stopped: unprepares and frees every header still pending and the list's
 * storage, leaving the list empty. */
TONARIA_EXPORT void MidiSeqReleaseHeaders(TMidiSeqState *state);

#ifdef __cplusplus
}
#endif

#if defined(__cplusplus) && defined(QT_CORE_LIB)
#include <QEvent>

/* The event a MIDISEQ_WINDOW_QOBJECT receiver gets, of type TMidiSeqMessageEvent::Type. */
class TMidiSeqMessageEvent : public QEvent {
public:
    static constexpr QEvent::Type Type = static_cast<QEvent::Type>(QEvent::User + MIDISEQ_MESSAGE);

    TMidiSeqMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam)
        : QEvent(Type), message_(message), wParam_(wParam), lParam_(lParam)
    {
    }
    uint32_t message() const { return message_; }
    uintptr_t wParam() const { return wParam_; }
    intptr_t lParam() const { return lParam_; }

private:
    uint32_t message_;
    uintptr_t wParam_;
    intptr_t lParam_;
};
#endif

#endif
