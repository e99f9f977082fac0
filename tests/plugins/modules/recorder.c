#include "recorder.h"

#include <string.h>
#include <time.h>

TTestLog TestLog;
TPIProc TestHost;

static uint64_t Now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint64_t)t.tv_sec * 1000000000u + (uint64_t)t.tv_nsec;
}

void TestRecord(const TPIMessage *message)
{
    if (TestLog.Count >= TEST_LOG_SIZE) return;
    TTestCall *call = &TestLog.Calls[TestLog.Count++];
    call->Msg = message->Msg;
    call->Sub = 0;
    call->WParam = message->WParam;
    call->LParam = message->LParam;
    call->Stamp = Now();
    if ((message->Msg == PI_DEVICEMSG || message->Msg == PI_VIEWMSG) && message->LParam) {
        const TPISubMessage *sub = (const TPISubMessage *)message->LParam;
        call->Sub = sub->Msg;
        call->LParam = sub->Param1;
    }
}

intptr_t TestAsk(uint32_t code, uintptr_t wParam, uintptr_t lParam, intptr_t preset)
{
    TPIMessage message = {code, wParam, lParam, preset};
    if (TestHost) TestHost(&message);
    if (TestLog.AnswerCount < 64) TestLog.Answers[TestLog.AnswerCount++] = message.Result;
    return message.Result;
}

intptr_t TestAnswerText(const char *text, uintptr_t buffer, uintptr_t size)
{
    const size_t length = strlen(text);
    if (buffer && size > 0) {
        const size_t n = length < size - 1 ? length : size - 1;
        memcpy((char *)buffer, text, n);
        ((char *)buffer)[n] = '\0';
    }
    return (intptr_t)length + 1;
}

int TestDefault(TPIMessage *message, const char *name)
{
    switch (message->Msg) {
    case PI_INITIALIZE:
        message->Result = 1;
        return 1;
    case PI_SETHOST:
        TestHost = (TPIProc)message->WParam;
        TestLog.ID = (int)message->LParam;
        message->Result = 1;
        return 1;
    case PI_GETNAME:
    case PI_GETTITLE:
    case PI_GETABOUT:
        message->Result = TestAnswerText(name, message->WParam, message->LParam);
        return 1;
    default:
        return 0;
    }
}
