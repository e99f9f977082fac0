/*
 * Tonaria plug-ins: the records, codes and entry points shared by the program and its plug-ins.
 *
 * A plug-in is an ELF shared object whose name ends in ".tpi". It exports one function with C
 * linkage, PIProc, through which the program (the host) sends it messages. During loading the
 * host hands it the address of its own call-back, PIHostProc, through which the plug-in
 * registers devices and views and asks the host to refresh itself.
 *
 * Both directions use one record, TPIMessage, passed by address. The sender fills Msg, WParam
 * and LParam and sets Result to 0; the receiver answers in Result.
 *
 * Every call in either direction is made on the program's main (user-interface) thread.
 *
 * This header is C (plug-ins may be written in C) and C++. It needs nothing but the C library.
 */
#ifndef TONARIA_PLUGIN_H
#define TONARIA_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Records ------------------------------------------------------------------------------ */

/* One message. Only the low 16 bits of Msg are significant; the host always sends the high 16
 * bits as 0. WParam and LParam are wide enough for an address. */
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
#define PI_SHUTDOWN 0x4004u   /* the program's main window is being destroyed */
#define PI_CONFIGURE 0x4005u  /* Result 1 = the plug-in showed its own configuration */
#define PI_GETABOUT 0x4006u   /* text query: a descriptive text */
#define PI_GETTITLE 0x4007u   /* text query: the full title */
#define PI_GETNAME 0x4008u    /* text query: the short name */
#define PI_DEVICEMSG 0x4100u  /* WParam = DeviceID, LParam = address of a TPISubMessage */
#define PI_VIEWMSG 0x4300u    /* WParam = ViewID, LParam = address of a TPISubMessage */

/* Text queries (PI_GETABOUT, PI_GETTITLE, PI_GETNAME, DM_GETEXTENSIONS, VM_GETCAPTION and the
 * host's PH_GETFILENAME) come in two calls. The first has no buffer (address 0, size 0): answer
 * the size the text needs in bytes, its terminating zero included. The second carries a buffer
 * of that size: copy the zero-terminated UTF-8 text into it (never more than the size given)
 * and answer the same size again. */

/* ---- Notifications ------------------------------------------------------------------------
 * Sent to every loaded plug-in, in load order, each time the host has carried out the matching
 * action, whether its own clock or a plug-in's request started it. WParam and LParam are 0; the
 * answer is ignored. */
#define PI_NOTIFYCONTROLS 0x4200u /* the host has just updated its controls */
#define PI_NOTIFYDISPLAY 0x4201u  /* the host has just updated its display */
#define PI_NOTIFYANIMATE 0x4202u  /* the display animation tick has run */
#define PI_NOTIFYPEAK 0x4203u     /* the peak meter tick has run */
#define PI_NOTIFYENDCHECK 0x4204u /* the end-of-title check has run */

/* ---- Device sub-messages (inside PI_DEVICEMSG) ---------------------------------------------
 * DM_GETEXTENSIONS is a text query: the comma-separated file extensions, without dots, that the
 * device plays. Every other sub-message is a media-control command from the player
 * (tonaria/mci.h): Msg = the command code, Param1 = its flags, Param2 = the address of its
 * parameter block; the answer is the command's error code (0 = success). */
#define DM_GETEXTENSIONS 0x0C00u

/* ---- View sub-messages (inside PI_VIEWMSG) ------------------------------------------------ */
#define VM_ISVISIBLE 0x100u  /* answer 1 when the view is showing */
#define VM_SETVISIBLE 0x101u /* Param1 = 1 show, 0 hide */
#define VM_GETCAPTION 0x102u /* text query (Param1 = buffer, Param2 = size): the menu caption */

/* ---- Plug-in to host (sent through PIHostProc) -------------------------------------------- */
#define PH_REGISTERDEVICE 0x200u /* WParam = the plug-in's ID; Result = the new DeviceID. Only
                                    while the program starts up (during PI_INITIALIZE,
                                    PI_SETHOST or PI_START) */
#define PH_UPDATECONTROLS 0x300u
#define PH_UPDATEDISPLAY 0x301u
#define PH_ANIMATE 0x302u
#define PH_PEAKTICK 0x303u
#define PH_CHECKEND 0x304u
#define PH_REGISTERVIEW 0x400u   /* WParam = the plug-in's ID; Result = the new ViewID */
#define PH_UNREGISTERVIEW 0x401u /* WParam = the view's position in the view list; Result 0 */

/* Tonaria's own host codes, 0x1000 to 0x10FF: what the loaded title is and where it stands.
 * A refused registration, or an unknown code, leaves Result as the caller set it. */
#define PH_GETFILENAME 0x1000u /* text query (WParam = buffer, LParam = size): the loaded
                                  title's file path, "" when nothing is loaded */
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
