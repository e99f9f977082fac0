/* A plug-in written in C against the public headers only: it finds nothing but the exported
 * calls of the program, plays a short song with the sequencer tick on a timer of its own and
 * hears the posted messages through a C receiver. */
#include "tonaria/midiseq.h"

#include <stdatomic.h>
#include <time.h>

#define MAX_POSTS 16

static atomic_int postCount;
static intptr_t postParams[MAX_POSTS];
static uintptr_t postKinds[MAX_POSTS];
static atomic_int ended;

static void receive(void *user, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    (void)user;
    if (message != MIDISEQ_MESSAGE) return;
    if (wParam == MIDISEQ_END) {
        atomic_store(&ended, 1);
        return;
    }
    int n = atomic_load(&postCount);
    if (n < MAX_POSTS) {
        postKinds[n] = wParam;
        postParams[n] = lParam;
        atomic_store(&postCount, n + 1);
    }
}

/* Plays two notes and a SysEx message on device `deviceId`; copies the note messages' lParams
 * to `params` and returns their count, or -1 when something failed. */
__attribute__((visibility("default"))) int PluginPlay(uint32_t deviceId, intptr_t *params,
                                                      int capacity)
{
    static const uint8_t noteOn[] = {60, 100}, noteOff[] = {60, 0};
    static const uint8_t sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    static const uint8_t tempo[] = {0x0F, 0x42, 0x40}; /* 1000000 */
    TMidiSeqEvent melody[] = {{1, 0, 0x90, 2, noteOn}, {4, 0, 0x80, 2, noteOff}};
    TMidiSeqEvent conductor[] = {{0, 1, 0x51, 3, tempo}, {2, 0, 0xF0, sizeof sysex, sysex}};
    TMidiSeqTrack tracks[] = {{melody, 2, 0}, {conductor, 2, 0}};
    TMidiSeqSong song = {tracks, 2};
    TMidiSeqHeaderList pending = {0, 0, 0};
    TMidiSeqWindow window = {MIDISEQ_WINDOW_PROC, 0, receive, 0};
    TMidiSeqState state = {0};
    struct timespec pause = {0, 1000000};
    uint32_t timer;
    int i, n;

    atomic_store(&postCount, 0);
    atomic_store(&ended, 0);
    if (midiOutOpen(&state.MidiOut, deviceId, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return -1;
    state.Tempo = 500000;
    state.Period = 1;
    state.TickLength = 500;
    state.Song = &song;
    state.PendingHeaders = &pending;
    state.NoteWindow = &window;
    state.EndWindow = &window;
    state.EndTick = 5;
    state.Ready = 1;
    timer = timeSetEvent(1, 1, MidiSeqProc, (uintptr_t)&state, TIME_PERIODIC);
    if (timer == 0) return -1;
    for (i = 0; i < 10000 && !atomic_load(&ended); ++i)
        nanosleep(&pause, 0);
    timeKillEvent(timer);
    midiOutReset(state.MidiOut);
    MidiSeqReleaseHeaders(&state);
    midiOutClose(state.MidiOut);
    if (!atomic_load(&ended) || state.Tempo != 1000000) return -1;
    n = atomic_load(&postCount);
    for (i = 0; i < n && i < capacity; ++i)
        params[i] = postKinds[i] == MIDISEQ_NOTE ? postParams[i] : -1;
    return n;
}
