/* A plug-in that says no: to PI_INITIALIZE (REFUSE_CODE = PI_INITIALIZE) or to PI_SETHOST. Before
 * it refuses it registers a device and a view, which must not outlive it. */
#include "recorder.h"

#include <dlfcn.h>

TONARIA_EXPORT void PIProc(TPIMessage *message)
{
    TestRecord(message);
    if (message->Msg == PI_INITIALIZE || message->Msg == PI_SETHOST) {
        /* Its ID is the list's length; before PI_SETHOST it finds the host by name. */
        if (message->Msg == PI_SETHOST)
            TestHost = (TPIProc)message->WParam;
        else
            *(void **)&TestHost = dlsym(RTLD_DEFAULT, "PIHostProc");
        const uintptr_t id = message->Msg == PI_SETHOST ? message->LParam : 0;
        TestAsk(PH_REGISTERDEVICE, id, 0, -1);
        TestAsk(PH_REGISTERVIEW, id, 0, -1);
        message->Result = message->Msg == REFUSE_CODE ? 0 : 1;
        return;
    }
    TestDefault(message, "refuse");
}
