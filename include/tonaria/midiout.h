#ifndef TONARIA_MIDIOUT_H
#define TONARIA_MIDIOUT_H
/*
 * MIDI output for Tonaria and its plug-ins.
 *
 * Device 0 is the built-in synthesizer; every further device is an ALSA sequencer port that
 * accepts MIDI (its name is "<client name>: <port name>"). The calls, codes and records keep
 * their multimedia-library names and values; fields that hold an address are pointer-sized.
 *
 * Threads: every call may be made from any thread. One open handle is used by one thread at a
 * time (the sequencer tick sends from its timer thread); different handles may be used at once.
 * Short and long messages never wait for the user-interface thread.
 *
 * A long message's bytes are taken before midiOutLongMsg returns (sent to the port, or queued
 * for the synthesizer): when it answers MMSYSERR_NOERROR the header already carries MHDR_DONE
 * and may be unprepared and its buffer reused at once.
 */
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef TONARIA_EXPORT
#define TONARIA_EXPORT __attribute__((visibility("default")))
#endif

typedef uint32_t MMRESULT;
typedef struct HMIDIOUT__ *HMIDIOUT; /* an open output; pointer-sized */

/* Results. */
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_NOTENABLED 3
#define MMSYSERR_ALLOCATED 4
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_NOMEM 7
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_BADERRNUM 9
#define MMSYSERR_INVALFLAG 10
#define MMSYSERR_INVALPARAM 11
#define MMSYSERR_HANDLEBUSY 12
#define MIDIERR_UNPREPARED 64
#define MIDIERR_STILLPLAYING 65
#define MIDIERR_NOTREADY 67
#define MIDIERR_NODEVICE 68

/* Header flags. */
#define MHDR_DONE 0x00000001u
#define MHDR_PREPARED 0x00000002u
#define MHDR_INQUEUE 0x00000004u

/* midiOutOpen: how the caller hears of the handle's events. */
#define CALLBACK_NULL 0x00000000u
#define CALLBACK_FUNCTION 0x00030000u
#define CALLBACK_TYPEMASK 0x00070000u
/* Messages given to a CALLBACK_FUNCTION (dwParam1 of MOM_DONE is the header's address). */
#define MOM_OPEN 0x3C7
#define MOM_CLOSE 0x3C8
#define MOM_DONE 0x3C9

/* The device chosen for the caller: the built-in synthesizer. */
#define MIDI_MAPPER ((uint32_t)-1)

/* Device technologies. */
#define MOD_MIDIPORT 1
#define MOD_SWSYNTH 7

#define MAXPNAMELEN 32

/* One long message: a buffer of MIDI bytes (usually a whole system-exclusive message). */
typedef struct midihdr_tag {
    char *lpData;             /* the bytes to send */
    uint32_t dwBufferLength;  /* their count */
    uint32_t dwBytesRecorded; /* unused on output */
    uintptr_t dwUser;         /* the caller's own value */
    uint32_t dwFlags;         /* MHDR_* */
    struct midihdr_tag *lpNext;
    uintptr_t reserved;
    uint32_t dwOffset;
    uintptr_t dwReserved[8];
} MIDIHDR;

typedef struct tagMIDIOUTCAPSA {
    uint16_t wMid;
    uint16_t wPid;
    uint32_t vDriverVersion;
    char szPname[MAXPNAMELEN]; /* UTF-8, cut at a character boundary, zero-terminated */
    uint16_t wTechnology;      /* MOD_* */
    uint16_t wVoices;
    uint16_t wNotes;
    uint16_t wChannelMask;
    uint32_t dwSupport;
} MIDIOUTCAPS;

/* Called on the thread that caused the event: MOM_OPEN, MOM_CLOSE, or MOM_DONE for a header. */
typedef void (*TMidiOutProc)(HMIDIOUT handle, uint32_t message, uintptr_t instance,
                             uintptr_t param1, uintptr_t param2);

/* The number of devices: 1 + the ALSA ports present now (the list is taken again each time). */
TONARIA_EXPORT uint32_t midiOutGetNumDevs(void);
/* The device's name and kind; cbCaps is sizeof(MIDIOUTCAPS). */
TONARIA_EXPORT MMRESULT midiOutGetDevCaps(uintptr_t deviceId, MIDIOUTCAPS *caps, uint32_t cbCaps);
/* Opens a device; flags CALLBACK_NULL, or CALLBACK_FUNCTION with callback a TMidiOutProc. */
TONARIA_EXPORT MMRESULT midiOutOpen(HMIDIOUT *handle, uint32_t deviceId, uintptr_t callback,
                                    uintptr_t instance, uint32_t flags);
/* Closes the handle (the device closes with its last handle); sounding notes are left to a
 * midiOutReset before it. */
TONARIA_EXPORT MMRESULT midiOutClose(HMIDIOUT handle);
/* Sends one message packed status | data1 << 8 | data2 << 16. A first byte below 0x80 reuses
 * the handle's last channel status (running status). */
TONARIA_EXPORT MMRESULT midiOutShortMsg(HMIDIOUT handle, uint32_t message);
TONARIA_EXPORT MMRESULT midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR *header, uint32_t cbHeader);
TONARIA_EXPORT MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR *header, uint32_t cbHeader);
TONARIA_EXPORT MMRESULT midiOutLongMsg(HMIDIOUT handle, MIDIHDR *header, uint32_t cbHeader);
/* Turns off every sounding note and the sustain pedal on all 16 channels. */
TONARIA_EXPORT MMRESULT midiOutReset(HMIDIOUT handle);

#ifdef __cplusplus
}
#endif

#endif
