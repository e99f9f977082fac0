/*
 * Tonaria plug-ins: the message codes the host sends a plug-in through its PIProc.
 *
 * This header is C (plug-ins may be written in C) and C++.
 */
#ifndef TONARIA_PLUGIN_H
#define TONARIA_PLUGIN_H

/* ---- Notifications ---------------------------------------------------------------------------
 * Sent to every loaded plug-in, in load order, each time the host has carried out the matching
 * action, whether its own clock or a plug-in's request started it. WParam and LParam are 0; the
 * answer is ignored. */
#define PI_NOTIFYCONTROLS 0x4200u /* the host has just updated its controls */
#define PI_NOTIFYDISPLAY 0x4201u  /* the host has just updated its display */
#define PI_NOTIFYANIMATE 0x4202u  /* the display animation tick has run */
#define PI_NOTIFYPEAK 0x4203u     /* the peak meter tick has run */
#define PI_NOTIFYENDCHECK 0x4204u /* the end-of-title check has run */

#endif /* TONARIA_PLUGIN_H */
