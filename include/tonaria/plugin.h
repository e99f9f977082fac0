/*
 * Tonaria plug-ins: the records, codes and entry points shared by the program and its plug-ins.
 *
 * A plug-in is an ELF shared object whose name ends in ".tpi". It exports one function with C
 * linkage, PIProc, through which the program (the host) sends it messages. During loading the
 * host hands it the address of its own call-back, PIHostProc, through which the plug-in
 * registers devices and views and asks the host to refresh itself. A plug-in can add:
 *
 *   - devices: players of their own that the program's player uses like its built-in ones
 *     (they take the media-control commands of tonaria/mci.h);
 *   - views: windows of its own, listed in the display's View menu, which shows and hides them;
 *   - followers of the program's periodic work (the notifications).
 *
 * This header is C (plug-ins may be written in C) and C++. It needs nothing but the C library.
 * examples/plugin/hello.c is a complete plug-in; it builds with
 *
 *     cc -shared -fPIC -I include -o hello.tpi examples/plugin/hello.c
 *
 * ---- Messages ----------------------------------------------------------------------------------
 *
 * Both directions use one record, TPIMessage, passed by address. The sender fills Msg, WParam
 * and LParam and sets Result to 0 (a plug-in calling the host may preset Result: a refused
 * request leaves it as it was); the receiver answers in Result. Only the low 16 bits of Msg
 * count; the host always sends the high 16 bits as 0.
 *
 * ---- The order of the calls -------------------------------------------------------------------
 *
 * The host loads the plug-ins listed in the preferences, in their order, once at start-up:
 *
 *   1. the library is loaded and PIProc looked up (a missing file, a library that does not load,
 *      or one without PIProc is reported to the user and skipped);
 *   2. PI_INITIALIZE: answer 1 to go on; anything else refuses the plug-in (the user is told);
 *   3. PI_SETHOST: WParam is PIHostProc's address, LParam the plug-in's ID; answer 1 to go on
 *      (anything else unloads the plug-in without a word);
 *   4. PI_GETNAME (a text query) for the splash's "Loading plug-in: <name>...";
 *   5. PI_START: loading is complete.
 *
 * Devices can be registered only during PI_INITIALIZE, PI_SETHOST and PI_START; the player
 * takes them in once every plug-in is loaded. Views can be registered and removed at any time.
 * A plug-in refused in step 2 or 3 loses what it registered, and the next plug-in takes its ID.
 *
 * While the program runs: device messages, view messages, the notifications, and PI_CONFIGURE,
 * PI_GETTITLE, PI_GETABOUT and PI_GETNAME from the preferences dialog.
 *
 * At the end: PI_SHUTDOWN to every plug-in from the last to the first, once the program has
 * saved its preferences; later, once every device and view entry has been released, PI_FINALIZE
 * from the last to the first. Requests made during PI_FINALIZE are ignored. The library stays
 * loaded until the process ends, so a thread of the plug-in's own may finish its work.
 *
 * ---- IDs ----------------------------------------------------------------------------------------
 *
 *   - A plug-in's ID is its position in the list of loaded plug-ins (0, 1, ...). It never
 *     changes once PI_SETHOST has given it.
 *   - A DeviceID is the number of the player's own devices plus the number of plug-in devices
 *     registered before it: plug-in devices are numbered after the player's own. A plug-in must
 *     keep the DeviceIDs it was given and tell its devices apart by them.
 *   - A ViewID is the number of views registered when it was registered, as long as no view
 *     before the last has been removed. After such a removal a new view takes one more than the
 *     largest ViewID in use: a ViewID names one view until that view is removed, two views never
 *     share one, and PH_UNREGISTERVIEW takes the ViewID the registration gave.
 *
 * ---- Text queries -------------------------------------------------------------------------------
 *
 * PI_GETABOUT, PI_GETTITLE, PI_GETNAME, DM_GETEXTENSIONS, VM_GETCAPTION and the host's
 * PH_GETFILENAME come in two calls. The first has no buffer (address 0, size 0): answer the size
 * the text needs in bytes, its terminating zero included. The second carries a buffer of that
 * size: copy the zero-terminated UTF-8 text into it (never more than the size given) and answer
 * the same size again. The host takes at most 64 KiB of a text; an answer of 0 or less is "".
 *
 * ---- Threads ------------------------------------------------------------------------------------
 *
 * Every call in either direction is made on the program's main (user-interface) thread. A
 * plug-in that runs threads of its own (a timer, a decoder) calls PIHostProc only from the main
 * thread: calls from any other thread are ignored. Answer every message promptly; the program's
 * windows wait meanwhile.
 *
 * ---- What a plug-in may rely on ----------------------------------------------------------------
 *
 *   - The records and codes of this header keep their values and layout.
 *   - PIHostProc carries out every request inside the call, and may call the plug-in back from
 *     there (a PH_UPDATECONTROLS leads to a PI_NOTIFYCONTROLS to every plug-in, the caller
 *     included). A notification is not sent again while it is still on its way: asking for the
 *     same action from inside its notification runs the action without a second notification.
 *   - The host never addresses a device or view that is not registered: a message for a view
 *     removed meanwhile is not sent.
 *   - Nothing else of the program is visible to a plug-in but the functions of the tonaria/
 *     headers, which the executable exports.
 */
#ifndef TONARIA_PLUGIN_H
#define TONARIA_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Records ------------------------------------------------------------------------------ */

/* One message. WParam and LParam are wide enough for an address. */
typedef struct TPIMessage {
    uint32_t Msg;
    uintptr_t WParam;
    uintptr_t LParam;
    intptr_t Result;
} TPIMessage;

/* A device or view message, carried by address in the LParam of PI_DEVICEMSG and PI_VIEWMSG.
 * The host sets its Result to 0 and never reads it: the answer is the outer message's Result. */
typedef struct TPISubMessage {
    uint32_t Msg;
    uintptr_t Param1;
    uintptr_t Param2;
    intptr_t Result;
} TPISubMessage;

/* The entry points: the plug-in's PIProc and the host's PIHostProc. */
typedef void (*TPIProc)(TPIMessage *message);

/* ---- Host to plug-in (sent through the plug-in's PIProc) ---------------------------------- */

#define PI_INITIALIZE 0x4000u /* Result 1 = accepted, anything else = the plug-in is refused */
#define PI_FINALIZE 0x4001u   /* last call before the host forgets the plug-in */
#define PI_SETHOST 0x4002u    /* WParam = address of PIHostProc, LParam = the plug-in's ID;
                                 Result 1 = accepted */
#define PI_START 0x4003u      /* loading is complete */
#define PI_SHUTDOWN 0x4004u   /* the program is closing; its preferences are saved */
#define PI_CONFIGURE 0x4005u  /* Result 1 = the plug-in showed its own configuration; anything
                                 else: the host shows the plug-in's title and about text */
#define PI_GETABOUT 0x4006u   /* text query (WParam = buffer, LParam = size): a descriptive text */
#define PI_GETTITLE 0x4007u   /* text query: the full title */
#define PI_GETNAME 0x4008u    /* text query: the short name */
#define PI_DEVICEMSG 0x4100u  /* WParam = DeviceID, LParam = address of a TPISubMessage;
                                 Result = the device's answer */
#define PI_VIEWMSG 0x4300u    /* WParam = ViewID, LParam = address of a TPISubMessage;
                                 Result = the view's answer */

/* ---- Notifications ------------------------------------------------------------------------
 * Sent to every loaded plug-in, in load order, each time the host has carried out the matching
 * action, whether its own clock or a plug-in's request started it. WParam and LParam are 0; the
 * answer is ignored. */
#define PI_NOTIFYCONTROLS 0x4200u /* the host has just updated its controls */
#define PI_NOTIFYDISPLAY 0x4201u  /* the host has just updated its display */
#define PI_NOTIFYANIMATE 0x4202u  /* the display animation tick has run */
#define PI_NOTIFYPEAK 0x4203u     /* the peak meter tick has run: from the host's own clock only
                                     while the meter is on, at most once per meter interval */
#define PI_NOTIFYENDCHECK 0x4204u /* the end-of-title check has run */

/* ---- Device sub-messages (inside PI_DEVICEMSG) ---------------------------------------------
 * DM_GETEXTENSIONS is a text query (Param1 = buffer, Param2 = size): the comma-separated file
 * extensions, without dots, that the device plays ("mid,kar"); the player offers the device
 * every file whose extension is in the list. Every other sub-message is a media-control command
 * from the player (tonaria/mci.h): Msg = the command code, Param1 = its flags, Param2 = the
 * address of its parameter block; the answer is the command's error code (0 = success;
 * MCIERR_UNSUPPORTED_FUNCTION for a command the device does not take). The player first asks
 * each device, as it takes it in, for MCI_SYSINFO (its name), MCI_OPEN, MCI_GETDEVCAPS (device
 * type, uses files, can eject), MCI_INFO (its product name, shown in the device menu) and
 * MCI_CLOSE. An answer outside the 32-bit range counts as MCIERR_UNSUPPORTED_FUNCTION. */
#define DM_GETEXTENSIONS 0x0C00u

/* ---- View sub-messages (inside PI_VIEWMSG) ------------------------------------------------ */
#define VM_ISVISIBLE 0x100u  /* answer 1 when the view is showing (the menu item's check mark) */
#define VM_SETVISIBLE 0x101u /* Param1 = 1 show, 0 hide (a click on the menu item) */
#define VM_GETCAPTION 0x102u /* text query (Param1 = buffer, Param2 = size): the menu caption */

/* ---- Plug-in to host (sent through PIHostProc) --------------------------------------------
 * A refused request, or an unknown code, leaves Result as the caller set it. */
#define PH_REGISTERDEVICE 0x200u /* WParam = the plug-in's ID; Result = the new DeviceID. Only
                                    while the program starts up (during PI_INITIALIZE,
                                    PI_SETHOST or PI_START) */
#define PH_UPDATECONTROLS 0x300u /* the host updates its controls now (then PI_NOTIFYCONTROLS) */
#define PH_UPDATEDISPLAY 0x301u  /* the host updates its display now (then PI_NOTIFYDISPLAY) */
#define PH_ANIMATE 0x302u        /* one display animation step (then PI_NOTIFYANIMATE) */
#define PH_PEAKTICK 0x303u       /* one peak meter tick, at any time (then PI_NOTIFYPEAK) */
#define PH_CHECKEND 0x304u       /* the end-of-title check (then PI_NOTIFYENDCHECK) */
#define PH_REGISTERVIEW 0x400u   /* WParam = the plug-in's ID; Result = the new ViewID */
#define PH_UNREGISTERVIEW 0x401u /* WParam = the ViewID; Result 0 when the view was removed */

/* Tonaria's own host codes, 0x1000 to 0x10FF: what the loaded title is and where it stands. */
#define PH_GETFILENAME 0x1000u /* text query (WParam = buffer, LParam = size): the loaded
                                  title's file path, "" when nothing is loaded. A buffer too
                                  small gets as much as fits, never half a character, ended
                                  with a zero; Result is always the size the whole path needs */
#define PH_GETPOSITION 0x1001u /* Result = the position in the loaded title, milliseconds */
#define PH_GETLENGTH 0x1002u   /* Result = the loaded title's length, milliseconds */
#define PH_GETSTATE 0x1003u    /* Result = one of the PH_STATE_ values */

#define PH_STATE_CLOSED 0  /* nothing is loaded */
#define PH_STATE_STOPPED 1 /* a title is loaded and not playing */
#define PH_STATE_PLAYING 2
#define PH_STATE_PAUSED 3

/* ---- Entry points ------------------------------------------------------------------------- */

#ifndef TONARIA_EXPORT
#define TONARIA_EXPORT __attribute__((visibility("default")))
#endif

/* Exported by the program. A plug-in normally calls the address it received in PI_SETHOST. */
TONARIA_EXPORT void PIHostProc(TPIMessage *message);

/* Exported by every plug-in: define it in exactly one source file of the plug-in. */
TONARIA_EXPORT void PIProc(TPIMessage *message);

#ifdef __cplusplus
}
#endif

#endif /* TONARIA_PLUGIN_H */
