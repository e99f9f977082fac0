/*
 * hello.c: the smallest useful Tonaria plug-in.
 *
 * It registers one view, captioned with its name, which the display's View menu lists; choosing
 * the item shows or hides the view (here the view is only a flag and a line on standard error),
 * and it answers the host's text queries. Build it with
 *
 *     cc -shared -fPIC -I include -o hello.tpi examples/plugin/hello.c
 *
 * and copy hello.tpi into the Plugins folder of Tonaria's program folder; the preferences'
 * Install button then adds it to the list, and it loads at the next start.
 */
#include "tonaria/plugin.h"

#include <stdio.h>
#include <string.h>

#define HELLO_NAME "Hello"
#define HELLO_TITLE "Hello, the example plug-in"
#define HELLO_ABOUT "Shows how a plug-in registers a view and answers the host."

static TPIProc host;      /* the host's call-back, from PI_SETHOST */
static uintptr_t selfId;  /* this plug-in's ID, from PI_SETHOST */
static intptr_t viewId = -1;
static int visible;

/* Answers a text query: first the size the text needs, its zero included; then, given a buffer
 * of that size, the text itself. */
static intptr_t AnswerText(const char *text, uintptr_t buffer, uintptr_t size)
{
    const size_t needed = strlen(text) + 1;
    if (buffer != 0 && size != 0) {
        const size_t n = needed <= size ? needed - 1 : size - 1;
        memcpy((char *)buffer, text, n);
        ((char *)buffer)[n] = '\0';
    }
    return (intptr_t)needed;
}

/* Sends one request to the host and returns its answer. */
static intptr_t Ask(uint32_t code, uintptr_t wParam, uintptr_t lParam)
{
    TPIMessage message = {code, wParam, lParam, -1};
    if (host) host(&message);
    return message.Result;
}

static intptr_t ViewMessage(const TPISubMessage *sub)
{
    switch (sub->Msg) {
    case VM_GETCAPTION:
        return AnswerText(HELLO_NAME, sub->Param1, sub->Param2);
    case VM_ISVISIBLE:
        return visible;
    case VM_SETVISIBLE:
        visible = sub->Param1 == 1;
        fprintf(stderr, "hello: the view is %s\n", visible ? "shown" : "hidden");
        return 0;
    default:
        return 0;
    }
}

TONARIA_EXPORT void PIProc(TPIMessage *message)
{
    switch (message->Msg) {
    case PI_INITIALIZE:
        message->Result = 1;
        break;
    case PI_SETHOST:
        host = (TPIProc)message->WParam;
        selfId = message->LParam;
        message->Result = 1;
        break;
    case PI_START:
        viewId = Ask(PH_REGISTERVIEW, selfId, 0);
        break;
    case PI_GETNAME:
        message->Result = AnswerText(HELLO_NAME, message->WParam, message->LParam);
        break;
    case PI_GETTITLE:
        message->Result = AnswerText(HELLO_TITLE, message->WParam, message->LParam);
        break;
    case PI_GETABOUT:
        message->Result = AnswerText(HELLO_ABOUT, message->WParam, message->LParam);
        break;
    case PI_VIEWMSG:
        if ((intptr_t)message->WParam == viewId)
            message->Result = ViewMessage((const TPISubMessage *)message->LParam);
        break;
    case PI_SHUTDOWN:
        /* The program is closing: the view goes. */
        if (viewId >= 0) Ask(PH_UNREGISTERVIEW, (uintptr_t)viewId, 0);
        viewId = -1;
        break;
    default:
        break; /* every other message, PI_FINALIZE included, needs nothing */
    }
}
