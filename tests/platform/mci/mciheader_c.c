/* The public media-control, audio and plug-in headers must compile as C: plug-ins may be written
 * in it. */
#include "tonaria/audio.h"
#include "tonaria/mci.h"
#include "tonaria/plugin.h"

#include <stddef.h>

unsigned long mciHeaderCheckC(void)
{
    MCI_OPEN_PARMS open = {0, 0, "sequencer", NULL, NULL};
    MCI_STATUS_PARMS status = {0, 0, MCI_STATUS_MODE, 0};
    TAudioRenderProc render = NULL;
    HAUDIOSTREAM stream = 0;
    (void)open;
    (void)render;
    (void)stream;
    return (unsigned long)(status.dwItem + offsetof(MCI_STATUS_PARMS, dwItem) + MCI_PLAY +
                           PI_NOTIFYENDCHECK - PI_NOTIFYCONTROLS);
}
