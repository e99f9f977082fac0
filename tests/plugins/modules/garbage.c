/* A plug-in whose answers are wrong in every way the host must survive: text sizes that are
 * negative or far too large, texts without their terminating zero, a device answer outside the
 * 32-bit range, a caption of 0 bytes, a visibility answer that is neither 0 nor 1, and views
 * removed and added from inside the view messages while the host asks about them. */
#include "recorder.h"

#include <string.h>

static void Fill(uintptr_t buffer, uintptr_t size)
{
    if (buffer) memset((char *)buffer, 'A', size); /* no terminating zero */
}

TONARIA_EXPORT void PIProc(TPIMessage *message)
{
    TestRecord(message);
    TPISubMessage *sub = (TPISubMessage *)message->LParam;
    switch (message->Msg) {
    case PI_INITIALIZE:
        message->Result = 1;
        break;
    case PI_SETHOST:
        TestHost = (TPIProc)message->WParam;
        TestLog.ID = (int)message->LParam;
        message->Result = 1;
        break;
    case PI_START:
        TestAsk(PH_REGISTERDEVICE, (uintptr_t)TestLog.ID, 0, -1);
        TestAsk(PH_REGISTERVIEW, (uintptr_t)TestLog.ID, 0, -1);
        TestAsk(PH_REGISTERVIEW, (uintptr_t)TestLog.ID, 0, -1);
        TestAsk(PH_REGISTERVIEW, (uintptr_t)-1, 0, -1); /* refused */
        break;
    case PI_GETNAME:
        message->Result = -5;
        break;
    case PI_GETTITLE:
        message->Result = (intptr_t)1 << 40;
        Fill(message->WParam, message->LParam);
        break;
    case PI_GETABOUT:
        message->Result = 10;
        Fill(message->WParam, message->LParam);
        break;
    case PI_DEVICEMSG:
        if (sub->Msg == DM_GETEXTENSIONS) {
            message->Result = 4;
            Fill(sub->Param1, sub->Param2);
        } else {
            message->Result = (intptr_t)1 << 40;
        }
        break;
    case PI_VIEWMSG:
        if (sub->Msg == VM_GETCAPTION) {
            /* Each caption query removes the view asked about and adds another. */
            if (!sub->Param1) {
                TestAsk(PH_UNREGISTERVIEW, message->WParam, 0, -1);
                TestAsk(PH_REGISTERVIEW, (uintptr_t)TestLog.ID, 0, -1);
            }
            message->Result = 0;
        } else if (sub->Msg == VM_ISVISIBLE) {
            message->Result = 7;
        }
        break;
    default:
        break;
    }
}
