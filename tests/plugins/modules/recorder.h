/* What every test plug-in shares: a log of the calls it received, which the test reads through
 * dlsym ("TestLog"), and the host's call-back as PI_SETHOST gave it. */
#ifndef TONARIA_TEST_RECORDER_H
#define TONARIA_TEST_RECORDER_H

#include "tonaria/plugin.h"

#include <stddef.h>
#include <stdint.h>

#define TEST_LOG_SIZE 512

typedef struct TTestCall {
    uint32_t Msg;
    uint32_t Sub;       /* the sub-message of PI_DEVICEMSG and PI_VIEWMSG, else 0 */
    uintptr_t WParam;
    uintptr_t LParam;   /* for a sub-message: its Param1 */
    uint64_t Stamp;     /* monotonic nanoseconds: orders the calls of several plug-ins */
} TTestCall;

typedef struct TTestLog {
    int Count;
    TTestCall Calls[TEST_LOG_SIZE];
    int ID;                /* as PI_SETHOST gave it */
    intptr_t Answers[64];  /* what the plug-in's own requests got back */
    int AnswerCount;
} TTestLog;

extern TONARIA_EXPORT TTestLog TestLog;
extern TPIProc TestHost;

/* Logs the message (and the sub-message it carries). */
void TestRecord(const TPIMessage *message);
/* Sends a request to the host; Result starts as `preset`. Logs and returns the Result. */
intptr_t TestAsk(uint32_t code, uintptr_t wParam, uintptr_t lParam, intptr_t preset);
/* Answers a text query with the text: the size, or the text copied into the buffer. */
intptr_t TestAnswerText(const char *text, uintptr_t buffer, uintptr_t size);
/* The default answers of a well-behaved plug-in: PI_INITIALIZE and PI_SETHOST accepted (the
 * host kept), texts named after `name`. Returns 1 when it answered the message. */
int TestDefault(TPIMessage *message, const char *name);

#endif
