/* A plug-in that, asked to configure itself, sends the host every code in turn and keeps the
 * answers (TestLog.Answers, and the file name in TestFileName). It answers each peak
 * notification by asking for a peak tick, which the host must not turn into an endless loop. */
#include "recorder.h"

TONARIA_EXPORT char TestFileName[256];

TONARIA_EXPORT void PIProc(TPIMessage *message)
{
    TestRecord(message);
    if (TestDefault(message, "hostcodes")) return;
    switch (message->Msg) {
    case PI_CONFIGURE: {
        const uintptr_t id = (uintptr_t)TestLog.ID;
        TestLog.AnswerCount = 0;
        TestAsk(PH_UPDATECONTROLS, 0, 0, 11);    /* 0: unchanged */
        TestAsk(PH_UPDATEDISPLAY, 0, 0, 12);     /* 1 */
        TestAsk(PH_ANIMATE, 0, 0, 13);           /* 2 */
        TestAsk(PH_PEAKTICK, 0, 0, 14);          /* 3 */
        TestAsk(PH_CHECKEND, 0, 0, 15);          /* 4 */
        const intptr_t size = TestAsk(PH_GETFILENAME, 0, 0, -1); /* 5 */
        TestAsk(PH_GETFILENAME, (uintptr_t)TestFileName,
                size > 0 && size < 256 ? (uintptr_t)size : 256, -1); /* 6 */
        TestAsk(PH_GETPOSITION, 0, 0, -1);       /* 7 */
        TestAsk(PH_GETLENGTH, 0, 0, -1);         /* 8 */
        TestAsk(PH_GETSTATE, 0, 0, -1);          /* 9 */
        TestAsk(PH_REGISTERVIEW, id, 0, -1);     /* 10: a new view */
        TestAsk(PH_REGISTERVIEW, 99, 0, -1);     /* 11: refused, stays -1 */
        TestAsk(PH_UNREGISTERVIEW, 42, 0, -1);   /* 12: refused, stays -1 */
        TestAsk(PH_REGISTERDEVICE, id, 0, 77);   /* 13: refused after loading, stays 77 */
        TestAsk(0x0999, 0, 0, 55);               /* 14: unknown, stays 55 */
        TestAsk(0xABCD0000u | PH_GETSTATE, 0, 0, -1); /* 15: the high bits do not count */
        message->Result = 1;
        break;
    }
    case PI_NOTIFYPEAK: {
        TPIMessage tick = {PH_PEAKTICK, 0, 0, 0};
        TestHost(&tick);
        break;
    }
    default:
        break;
    }
}
