/* A plug-in with two devices and a view. The devices answer the player's questions as a
 * sequencer that plays files ("Test device 1" and "Test device 2") whose extensions are mid and
 * kar; every other command answers 274. The view's caption is "Device view"; showing it also
 * tries to register a device, which the host must refuse once loading is over. */
#include "recorder.h"
#include "tonaria/mci.h"

#include <string.h>

static int visible;
static intptr_t firstDevice = -1;

static void Text(char *out, uint32_t size, const char *text)
{
    if (!out || size == 0) return;
    strncpy(out, text, size - 1);
    out[size - 1] = '\0';
}

static intptr_t Device(uintptr_t deviceId, TPISubMessage *sub)
{
    const char *name = deviceId == (uintptr_t)firstDevice ? "Test device 1" : "Test device 2";
    switch (sub->Msg) {
    case DM_GETEXTENSIONS:
        return TestAnswerText("mid,kar", sub->Param1, sub->Param2);
    case MCI_SYSINFO:
        Text(((MCI_SYSINFO_PARMS *)sub->Param2)->lpstrReturn,
             ((MCI_SYSINFO_PARMS *)sub->Param2)->dwRetSize, "testdevice");
        return 0;
    case MCI_OPEN:
        ((MCI_OPEN_PARMS *)sub->Param2)->wDeviceID = 1;
        return 0;
    case MCI_GETDEVCAPS: {
        MCI_GETDEVCAPS_PARMS *caps = (MCI_GETDEVCAPS_PARMS *)sub->Param2;
        caps->dwReturn = caps->dwItem == MCI_GETDEVCAPS_DEVICE_TYPE ? MCI_DEVTYPE_SEQUENCER
                         : caps->dwItem == MCI_GETDEVCAPS_USES_FILES ? 1
                                                                      : 0;
        return 0;
    }
    case MCI_INFO:
        Text(((MCI_INFO_PARMS *)sub->Param2)->lpstrReturn,
             ((MCI_INFO_PARMS *)sub->Param2)->dwRetSize, name);
        return 0;
    case MCI_CLOSE:
        return 0;
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

TONARIA_EXPORT void PIProc(TPIMessage *message)
{
    TestRecord(message);
    if (TestDefault(message, "devices")) return;
    TPISubMessage *sub = (TPISubMessage *)message->LParam;
    switch (message->Msg) {
    case PI_START:
        firstDevice = TestAsk(PH_REGISTERDEVICE, (uintptr_t)TestLog.ID, 0, -1);
        TestAsk(PH_REGISTERDEVICE, (uintptr_t)TestLog.ID, 0, -1);
        TestAsk(PH_REGISTERVIEW, (uintptr_t)TestLog.ID, 0, -1);
        break;
    case PI_DEVICEMSG:
        message->Result = Device(message->WParam, sub);
        break;
    case PI_VIEWMSG:
        if (sub->Msg == VM_GETCAPTION)
            message->Result = TestAnswerText("Device view", sub->Param1, sub->Param2);
        else if (sub->Msg == VM_ISVISIBLE)
            message->Result = visible;
        else if (sub->Msg == VM_SETVISIBLE) {
            visible = sub->Param1 == 1;
            TestAsk(PH_REGISTERDEVICE, (uintptr_t)TestLog.ID, 0, 77);
        }
        break;
    default:
        break;
    }
}
