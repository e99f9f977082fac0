/*
 * Tonaria media control: the command codes, flags, parameter blocks, error codes and
 * notification codes of the media-control interface, with the values and field order that
 * Windows programs know. The host program answers these commands for its own devices; a
 * plug-in device receives exactly the same command codes, flags and blocks.
 *
 * This header is C (plug-ins may be written in C) and C++.
 *
 * Where Windows keeps an address or a handle in a 32-bit field, the field here is pointer-sized
 * (uintptr_t); `dwCallback` carries the receiver of completion notices, which in the host is a
 * QObject. Texts are char buffers of UTF-8 with their sizes, as the Windows "A" functions take
 * them.
 *
 * Threads: mciSendCommand() and mciGetDeviceID() are for the program's main thread (the Qt main
 * thread); a call from any other thread does nothing and answers MCIERR_WRONG_THREAD.
 * mciGetErrorString() may be called from any thread.
 */
#ifndef TONARIA_MCI_H
#define TONARIA_MCI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef TONARIA_EXPORT
#define TONARIA_EXPORT __attribute__((visibility("default")))
#endif

typedef uint32_t MCIERROR;    /* 0 = success, else one of the MCIERR_ codes */
typedef uint32_t MCIDEVICEID; /* 1, 2, ... for open devices */

/* ---- Commands ----------------------------------------------------------------------------- */
#define MCI_OPEN 0x0803u
#define MCI_CLOSE 0x0804u
#define MCI_ESCAPE 0x0805u
#define MCI_PLAY 0x0806u
#define MCI_SEEK 0x0807u
#define MCI_STOP 0x0808u
#define MCI_PAUSE 0x0809u
#define MCI_INFO 0x080Au
#define MCI_GETDEVCAPS 0x080Bu
#define MCI_SPIN 0x080Cu
#define MCI_SET 0x080Du
#define MCI_STEP 0x080Eu
#define MCI_RECORD 0x080Fu
#define MCI_SYSINFO 0x0810u
#define MCI_BREAK 0x0811u
#define MCI_SAVE 0x0813u
#define MCI_STATUS 0x0814u
#define MCI_CUE 0x0830u
#define MCI_REALIZE 0x0840u
#define MCI_WINDOW 0x0841u
#define MCI_PUT 0x0842u
#define MCI_WHERE 0x0843u
#define MCI_FREEZE 0x0844u
#define MCI_UNFREEZE 0x0845u
#define MCI_LOAD 0x0850u
#define MCI_CUT 0x0851u
#define MCI_COPY 0x0852u
#define MCI_PASTE 0x0853u
#define MCI_UPDATE 0x0854u
#define MCI_RESUME 0x0855u
#define MCI_DELETE 0x0856u
#define MCI_CONFIGURE 0x087Au

/* The device ID that addresses every device (MCI_SYSINFO, MCI_CLOSE). */
#define MCI_ALL_DEVICE_ID ((MCIDEVICEID)0xFFFFFFFFu)

/* ---- Flags every command takes --------------------------------------------------------------- */
#define MCI_NOTIFY 0x00000001u /* post MM_MCINOTIFY to dwCallback when the command completes */
#define MCI_WAIT 0x00000002u   /* return only when the command has completed */
#define MCI_FROM 0x00000004u
#define MCI_TO 0x00000008u
#define MCI_TRACK 0x00000010u

/* ---- MCI_OPEN -------------------------------------------------------------------------------- */
#define MCI_OPEN_SHAREABLE 0x00000100u
#define MCI_OPEN_ELEMENT 0x00000200u
#define MCI_OPEN_ALIAS 0x00000400u
#define MCI_OPEN_ELEMENT_ID 0x00000800u
#define MCI_OPEN_TYPE_ID 0x00001000u /* lpstrDeviceType holds a device type code, not a name */
#define MCI_OPEN_TYPE 0x00002000u

/* ---- MCI_SEEK -------------------------------------------------------------------------------- */
#define MCI_SEEK_TO_START 0x00000100u
#define MCI_SEEK_TO_END 0x00000200u

/* ---- MCI_STATUS ------------------------------------------------------------------------------ */
#define MCI_STATUS_ITEM 0x00000100u
#define MCI_STATUS_START 0x00000200u

#define MCI_STATUS_LENGTH 0x00000001u
#define MCI_STATUS_POSITION 0x00000002u
#define MCI_STATUS_NUMBER_OF_TRACKS 0x00000003u
#define MCI_STATUS_MODE 0x00000004u
#define MCI_STATUS_MEDIA_PRESENT 0x00000005u
#define MCI_STATUS_TIME_FORMAT 0x00000006u
#define MCI_STATUS_READY 0x00000007u
#define MCI_STATUS_CURRENT_TRACK 0x00000008u

/* Sequencer status items. */
#define MCI_SEQ_STATUS_TEMPO 0x00004002u
#define MCI_SEQ_STATUS_PORT 0x00004003u
#define MCI_SEQ_STATUS_SLAVE 0x00004007u
#define MCI_SEQ_STATUS_MASTER 0x00004008u
#define MCI_SEQ_STATUS_OFFSET 0x00004009u
#define MCI_SEQ_STATUS_DIVTYPE 0x0000400Au
#define MCI_SEQ_STATUS_NAME 0x0000400Bu
#define MCI_SEQ_STATUS_COPYRIGHT 0x0000400Cu

/* Waveform-audio status items. */
#define MCI_WAVE_STATUS_FORMATTAG 0x00004001u
#define MCI_WAVE_STATUS_CHANNELS 0x00004002u
#define MCI_WAVE_STATUS_SAMPLESPERSEC 0x00004003u
#define MCI_WAVE_STATUS_AVGBYTESPERSEC 0x00004004u
#define MCI_WAVE_STATUS_BLOCKALIGN 0x00004005u
#define MCI_WAVE_STATUS_BITSPERSAMPLE 0x00004006u
#define MCI_WAVE_STATUS_LEVEL 0x00004007u

/* ---- MCI_GETDEVCAPS -------------------------------------------------------------------------- */
#define MCI_GETDEVCAPS_ITEM 0x00000100u

#define MCI_GETDEVCAPS_CAN_RECORD 0x00000001u
#define MCI_GETDEVCAPS_HAS_AUDIO 0x00000002u
#define MCI_GETDEVCAPS_HAS_VIDEO 0x00000003u
#define MCI_GETDEVCAPS_DEVICE_TYPE 0x00000004u
#define MCI_GETDEVCAPS_USES_FILES 0x00000005u
#define MCI_GETDEVCAPS_COMPOUND_DEVICE 0x00000006u
#define MCI_GETDEVCAPS_CAN_EJECT 0x00000007u
#define MCI_GETDEVCAPS_CAN_PLAY 0x00000008u
#define MCI_GETDEVCAPS_CAN_SAVE 0x00000009u

/* ---- MCI_INFO -------------------------------------------------------------------------------- */
#define MCI_INFO_PRODUCT 0x00000100u
#define MCI_INFO_FILE 0x00000200u
#define MCI_INFO_MEDIA_UPC 0x00000400u
#define MCI_INFO_MEDIA_IDENTITY 0x00000800u
#define MCI_INFO_NAME 0x00001000u
#define MCI_INFO_COPYRIGHT 0x00002000u

/* ---- MCI_SYSINFO ----------------------------------------------------------------------------- */
#define MCI_SYSINFO_QUANTITY 0x00000100u /* the count, a uint32_t, in the first 4 bytes */
#define MCI_SYSINFO_OPEN 0x00000200u
#define MCI_SYSINFO_NAME 0x00000400u
#define MCI_SYSINFO_INSTALLNAME 0x00000800u

/* ---- MCI_SET --------------------------------------------------------------------------------- */
#define MCI_SET_DOOR_OPEN 0x00000100u
#define MCI_SET_DOOR_CLOSED 0x00000200u
#define MCI_SET_TIME_FORMAT 0x00000400u
#define MCI_SET_AUDIO 0x00000800u
#define MCI_SET_VIDEO 0x00001000u
#define MCI_SET_ON 0x00002000u
#define MCI_SET_OFF 0x00004000u

#define MCI_SET_AUDIO_ALL 0x00000000u
#define MCI_SET_AUDIO_LEFT 0x00000001u
#define MCI_SET_AUDIO_RIGHT 0x00000002u

#define MCI_SEQ_SET_TEMPO 0x00010000u
#define MCI_SEQ_SET_PORT 0x00020000u
#define MCI_SEQ_SET_SLAVE 0x00040000u
#define MCI_SEQ_SET_MASTER 0x00080000u
#define MCI_SEQ_SET_OFFSET 0x01000000u

/* ---- MCI_BREAK ------------------------------------------------------------------------------- */
#define MCI_BREAK_KEY 0x00000100u
#define MCI_BREAK_HWND 0x00000200u
#define MCI_BREAK_OFF 0x00000400u

/* ---- Time formats ---------------------------------------------------------------------------- */
#define MCI_FORMAT_MILLISECONDS 0u
#define MCI_FORMAT_HMS 1u
#define MCI_FORMAT_MSF 2u
#define MCI_FORMAT_FRAMES 3u
#define MCI_FORMAT_SMPTE_24 4u
#define MCI_FORMAT_SMPTE_25 5u
#define MCI_FORMAT_SMPTE_30 6u
#define MCI_FORMAT_SMPTE_30DROP 7u
#define MCI_FORMAT_BYTES 8u
#define MCI_FORMAT_SAMPLES 9u
#define MCI_FORMAT_TMSF 10u

/* ---- Modes (MCI_STATUS_MODE) ----------------------------------------------------------------- */
#define MCI_STRING_OFFSET 512u
#define MCI_MODE_NOT_READY 524u
#define MCI_MODE_STOP 525u
#define MCI_MODE_PLAY 526u
#define MCI_MODE_RECORD 527u
#define MCI_MODE_SEEK 528u
#define MCI_MODE_PAUSE 529u
#define MCI_MODE_OPEN 530u

/* ---- Device types (MCI_GETDEVCAPS_DEVICE_TYPE, MCI_SYSINFO wDeviceType) ---------------------- */
#define MCI_DEVTYPE_VCR 513u
#define MCI_DEVTYPE_VIDEODISC 514u
#define MCI_DEVTYPE_OVERLAY 515u
#define MCI_DEVTYPE_CD_AUDIO 516u
#define MCI_DEVTYPE_DAT 517u
#define MCI_DEVTYPE_SCANNER 518u
#define MCI_DEVTYPE_ANIMATION 519u
#define MCI_DEVTYPE_DIGITAL_VIDEO 520u
#define MCI_DEVTYPE_OTHER 521u
#define MCI_DEVTYPE_WAVEFORM_AUDIO 522u
#define MCI_DEVTYPE_SEQUENCER 523u
#define MCI_DEVTYPE_FIRST MCI_DEVTYPE_VCR
#define MCI_DEVTYPE_LAST MCI_DEVTYPE_SEQUENCER

/* ---- Completion notices ---------------------------------------------------------------------- */
/* The message number of a completion notice; wParam = one of the MCI_NOTIFY_ codes, lParam = the
 * device ID. In the host a notice reaches the QObject named in dwCallback as a TMciNotifyEvent
 * (below), of type QEvent::User + MM_MCINOTIFY, on the main thread. */
#define MM_MCINOTIFY 0x03B9u

#define MCI_NOTIFY_SUCCESSFUL 0x0001u /* the command ran to its end */
#define MCI_NOTIFY_SUPERSEDED 0x0002u /* another command asked for a notice first */
#define MCI_NOTIFY_ABORTED 0x0004u    /* a command stopped the condition from being met */
#define MCI_NOTIFY_FAILURE 0x0008u    /* the device failed while carrying the command out */

/* ---- Error codes (the Windows values) -------------------------------------------------------- */
#define MCIERR_BASE 256u
#define MCIERR_INVALID_DEVICE_ID (MCIERR_BASE + 1u)
#define MCIERR_UNRECOGNIZED_KEYWORD (MCIERR_BASE + 3u)
#define MCIERR_UNRECOGNIZED_COMMAND (MCIERR_BASE + 5u)
#define MCIERR_HARDWARE (MCIERR_BASE + 6u)
#define MCIERR_INVALID_DEVICE_NAME (MCIERR_BASE + 7u)
#define MCIERR_OUT_OF_MEMORY (MCIERR_BASE + 8u)
#define MCIERR_DEVICE_OPEN (MCIERR_BASE + 9u)
#define MCIERR_CANNOT_LOAD_DRIVER (MCIERR_BASE + 10u)
#define MCIERR_MISSING_COMMAND_STRING (MCIERR_BASE + 11u)
#define MCIERR_PARAM_OVERFLOW (MCIERR_BASE + 12u)
#define MCIERR_MISSING_STRING_ARGUMENT (MCIERR_BASE + 13u)
#define MCIERR_BAD_INTEGER (MCIERR_BASE + 14u)
#define MCIERR_PARSER_INTERNAL (MCIERR_BASE + 15u)
#define MCIERR_DRIVER_INTERNAL (MCIERR_BASE + 16u)
#define MCIERR_MISSING_PARAMETER (MCIERR_BASE + 17u)
#define MCIERR_UNSUPPORTED_FUNCTION (MCIERR_BASE + 18u)
#define MCIERR_FILE_NOT_FOUND (MCIERR_BASE + 19u)
#define MCIERR_DEVICE_NOT_READY (MCIERR_BASE + 20u)
#define MCIERR_INTERNAL (MCIERR_BASE + 21u)
#define MCIERR_DRIVER (MCIERR_BASE + 22u)
#define MCIERR_CANNOT_USE_ALL (MCIERR_BASE + 23u)
#define MCIERR_MULTIPLE (MCIERR_BASE + 24u)
#define MCIERR_EXTENSION_NOT_FOUND (MCIERR_BASE + 25u)
#define MCIERR_OUTOFRANGE (MCIERR_BASE + 26u)
#define MCIERR_FLAGS_NOT_COMPATIBLE (MCIERR_BASE + 28u)
#define MCIERR_FILE_NOT_SAVED (MCIERR_BASE + 30u)
#define MCIERR_DEVICE_TYPE_REQUIRED (MCIERR_BASE + 31u)
#define MCIERR_DEVICE_LOCKED (MCIERR_BASE + 32u)
#define MCIERR_DUPLICATE_ALIAS (MCIERR_BASE + 33u)
#define MCIERR_BAD_CONSTANT (MCIERR_BASE + 34u)
#define MCIERR_MUST_USE_SHAREABLE (MCIERR_BASE + 35u)
#define MCIERR_MISSING_DEVICE_NAME (MCIERR_BASE + 36u)
#define MCIERR_BAD_TIME_FORMAT (MCIERR_BASE + 37u)
#define MCIERR_NO_CLOSING_QUOTE (MCIERR_BASE + 38u)
#define MCIERR_DUPLICATE_FLAGS (MCIERR_BASE + 39u)
#define MCIERR_INVALID_FILE (MCIERR_BASE + 40u)
#define MCIERR_NULL_PARAMETER_BLOCK (MCIERR_BASE + 41u)
#define MCIERR_UNNAMED_RESOURCE (MCIERR_BASE + 42u)
#define MCIERR_NEW_REQUIRES_ALIAS (MCIERR_BASE + 43u)
#define MCIERR_NOTIFY_ON_AUTO_OPEN (MCIERR_BASE + 44u)
#define MCIERR_NO_ELEMENT_ALLOWED (MCIERR_BASE + 45u)
#define MCIERR_NONAPPLICABLE_FUNCTION (MCIERR_BASE + 46u)
#define MCIERR_ILLEGAL_FOR_AUTO_OPEN (MCIERR_BASE + 47u)
#define MCIERR_FILENAME_REQUIRED (MCIERR_BASE + 48u)
#define MCIERR_EXTRA_CHARACTERS (MCIERR_BASE + 49u)
#define MCIERR_DEVICE_NOT_INSTALLED (MCIERR_BASE + 50u)
#define MCIERR_GET_CD (MCIERR_BASE + 51u)
#define MCIERR_SET_CD (MCIERR_BASE + 52u)
#define MCIERR_SET_DRIVE (MCIERR_BASE + 53u)
#define MCIERR_DEVICE_LENGTH (MCIERR_BASE + 54u)
#define MCIERR_DEVICE_ORD_LENGTH (MCIERR_BASE + 55u)
#define MCIERR_NO_INTEGER (MCIERR_BASE + 56u)
#define MCIERR_WAVE_OUTPUTSINUSE (MCIERR_BASE + 64u)
#define MCIERR_WAVE_SETOUTPUTINUSE (MCIERR_BASE + 65u)
#define MCIERR_WAVE_INPUTSINUSE (MCIERR_BASE + 66u)
#define MCIERR_WAVE_SETINPUTINUSE (MCIERR_BASE + 67u)
#define MCIERR_WAVE_OUTPUTUNSPECIFIED (MCIERR_BASE + 68u)
#define MCIERR_WAVE_INPUTUNSPECIFIED (MCIERR_BASE + 69u)
#define MCIERR_WAVE_OUTPUTSUNSUITABLE (MCIERR_BASE + 70u)
#define MCIERR_WAVE_SETOUTPUTUNSUITABLE (MCIERR_BASE + 71u)
#define MCIERR_WAVE_INPUTSUNSUITABLE (MCIERR_BASE + 72u)
#define MCIERR_WAVE_SETINPUTUNSUITABLE (MCIERR_BASE + 73u)
#define MCIERR_SEQ_DIV_INCOMPATIBLE (MCIERR_BASE + 80u)
#define MCIERR_SEQ_PORT_INUSE (MCIERR_BASE + 81u)
#define MCIERR_SEQ_PORT_NONEXISTENT (MCIERR_BASE + 82u)
#define MCIERR_SEQ_PORT_MAPNODEVICE (MCIERR_BASE + 83u)
#define MCIERR_SEQ_PORT_MISCERROR (MCIERR_BASE + 84u)
#define MCIERR_SEQ_TIMER (MCIERR_BASE + 85u)
#define MCIERR_SEQ_PORTUNSPECIFIED (MCIERR_BASE + 86u)
#define MCIERR_SEQ_NOMIDIPRESENT (MCIERR_BASE + 87u)
#define MCIERR_NO_WINDOW (MCIERR_BASE + 90u)
#define MCIERR_CREATEWINDOW (MCIERR_BASE + 91u)
#define MCIERR_FILE_READ (MCIERR_BASE + 92u)
#define MCIERR_FILE_WRITE (MCIERR_BASE + 93u)
#define MCIERR_NO_IDENTITY (MCIERR_BASE + 94u)
/* Tonaria's own: a command was sent from a thread other than the main thread. */
#define MCIERR_WRONG_THREAD (MCIERR_BASE + 95u)
/* Plug-in devices number their own errors from here. */
#define MCIERR_CUSTOM_DRIVER_BASE (MCIERR_BASE + 256u)

/* ---- Parameter blocks --------------------------------------------------------------------- */

/* MCI_CLOSE, MCI_PAUSE, MCI_RESUME, MCI_STOP, MCI_CONFIGURE. */
typedef struct MCI_GENERIC_PARMS {
    uintptr_t dwCallback;
} MCI_GENERIC_PARMS;

typedef struct MCI_OPEN_PARMS {
    uintptr_t dwCallback;
    MCIDEVICEID wDeviceID;        /* out: the new device's ID */
    const char *lpstrDeviceType;  /* "sequencer", or a type code with MCI_OPEN_TYPE_ID */
    const char *lpstrElementName; /* the file */
    const char *lpstrAlias;
} MCI_OPEN_PARMS;

typedef struct MCI_PLAY_PARMS {
    uintptr_t dwCallback;
    uint32_t dwFrom;
    uint32_t dwTo;
} MCI_PLAY_PARMS;

typedef struct MCI_SEEK_PARMS {
    uintptr_t dwCallback;
    uint32_t dwTo;
} MCI_SEEK_PARMS;

typedef struct MCI_STATUS_PARMS {
    uintptr_t dwCallback;
    uintptr_t dwReturn;
    uint32_t dwItem;
    uint32_t dwTrack;
} MCI_STATUS_PARMS;

typedef struct MCI_INFO_PARMS {
    uintptr_t dwCallback;
    char *lpstrReturn;
    uint32_t dwRetSize; /* bytes, the terminating zero included */
} MCI_INFO_PARMS;

typedef struct MCI_GETDEVCAPS_PARMS {
    uintptr_t dwCallback;
    uint32_t dwReturn;
    uint32_t dwItem;
} MCI_GETDEVCAPS_PARMS;

typedef struct MCI_SYSINFO_PARMS {
    uintptr_t dwCallback;
    char *lpstrReturn;
    uint32_t dwRetSize;
    uint32_t dwNumber;    /* 1-based, for MCI_SYSINFO_NAME */
    uint32_t wDeviceType; /* 0 = every type */
} MCI_SYSINFO_PARMS;

typedef struct MCI_SET_PARMS {
    uintptr_t dwCallback;
    uint32_t dwTimeFormat;
    uint32_t dwAudio;
} MCI_SET_PARMS;

typedef struct MCI_BREAK_PARMS {
    uintptr_t dwCallback;
    int32_t nVirtKey;
    uintptr_t hwndBreak;
} MCI_BREAK_PARMS;

typedef struct MCI_SAVE_PARMS {
    uintptr_t dwCallback;
    const char *lpfilename;
} MCI_SAVE_PARMS;

typedef struct MCI_LOAD_PARMS {
    uintptr_t dwCallback;
    const char *lpfilename;
} MCI_LOAD_PARMS;

typedef struct MCI_RECORD_PARMS {
    uintptr_t dwCallback;
    uint32_t dwFrom;
    uint32_t dwTo;
} MCI_RECORD_PARMS;

typedef struct MCI_SEQ_SET_PARMS {
    uintptr_t dwCallback;
    uint32_t dwTimeFormat;
    uint32_t dwAudio;
    uint32_t dwTempo;
    uint32_t dwPort;
    uint32_t dwSlave;
    uint32_t dwMaster;
    uint32_t dwOffset;
} MCI_SEQ_SET_PARMS;

typedef struct MCI_WAVE_OPEN_PARMS {
    uintptr_t dwCallback;
    MCIDEVICEID wDeviceID;
    const char *lpstrDeviceType;
    const char *lpstrElementName;
    const char *lpstrAlias;
    uint32_t dwBufferSeconds;
} MCI_WAVE_OPEN_PARMS;

typedef struct MCI_WAVE_SET_PARMS {
    uintptr_t dwCallback;
    uint32_t dwTimeFormat;
    uint32_t dwAudio;
    uint32_t wInput;
    uint32_t wOutput;
    uint16_t wFormatTag;
    uint16_t wReserved2;
    uint16_t nChannels;
    uint16_t wReserved3;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wReserved4;
    uint16_t wBitsPerSample;
    uint16_t wReserved5;
} MCI_WAVE_SET_PARMS;

/* ---- Functions the host exports ------------------------------------------------------------- */

/* Sends one command to a device. `dwParam1` holds the flags, `dwParam2` the address of the
 * command's parameter block. Returns 0 or an MCIERR_ code. Main thread only. */
TONARIA_EXPORT MCIERROR mciSendCommand(MCIDEVICEID mciId, uint32_t uMsg, uintptr_t dwParam1,
                                       uintptr_t dwParam2);

/* Writes the text of an error code into `pszText` (at most `cchText` bytes, zero-terminated).
 * Returns 1 for a known code, 0 for an unknown one (the buffer then holds an empty text). */
TONARIA_EXPORT int mciGetErrorString(MCIERROR mcierr, char *pszText, uint32_t cchText);

/* The ID of the open device with this alias (or device name when it was opened without an
 * alias), compared without letter case; 0 when there is none. Main thread only. */
TONARIA_EXPORT MCIDEVICEID mciGetDeviceID(const char *pszDevice);

/* Sends a completion notice for a device of a plug-in: MM_MCINOTIFY with `uStatus` (one of the
 * MCI_NOTIFY_ codes) and `wDeviceID` goes to the receiver named by `dwCallback`, the dwCallback of
 * the command the notice is about. The notice arrives later, through the main thread's event
 * loop. Returns 1 when a notice was posted, 0 when `dwCallback` is 0 or the call did not come
 * from the main thread (a plug-in's audio thread must hand the end of a play to the main thread
 * and notify from there). */
TONARIA_EXPORT int mciDriverNotify(uintptr_t dwCallback, MCIDEVICEID wDeviceID, uint32_t uStatus);

/* The names the Windows headers give the 8-bit variants. */
#define mciSendCommandA mciSendCommand
#define mciGetErrorStringA mciGetErrorString
#define mciGetDeviceIDA mciGetDeviceID
#define MCI_OPEN_PARMSA MCI_OPEN_PARMS
#define MCI_INFO_PARMSA MCI_INFO_PARMS
#define MCI_SYSINFO_PARMSA MCI_SYSINFO_PARMS

#ifdef __cplusplus
}
#endif

#if defined(__cplusplus) && defined(QT_CORE_LIB)
#include <QEvent>

/* A completion notice as its receiver gets it, in event() or customEvent(): the Qt event that
 * stands for the window message MM_MCINOTIFY (a window message N travels as QEvent::User + N). */
class TMciNotifyEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + MM_MCINOTIFY);

    TMciNotifyEvent(unsigned notifyCode, MCIDEVICEID deviceId)
        : QEvent(kType), notifyCode_(notifyCode), deviceId_(deviceId)
    {
    }

    /* wParam of the message: MCI_NOTIFY_SUCCESSFUL, _SUPERSEDED, _ABORTED or _FAILURE. */
    unsigned notifyCode() const { return notifyCode_; }
    /* lParam of the message: the device the notice is about. */
    MCIDEVICEID deviceId() const { return deviceId_; }

private:
    unsigned notifyCode_;
    MCIDEVICEID deviceId_;
};
#endif

#endif /* TONARIA_MCI_H */
