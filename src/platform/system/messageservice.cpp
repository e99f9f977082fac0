#include "platform/system/messageservice.h"

#include <cstdio>

namespace {

class TConsoleMessageService : public TMessageService {
public:
    int show(const QString &text, const QString &caption, unsigned flags) override
    {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
        return defaultAnswer(flags);
    }
};

TConsoleMessageService consoleService;
TMessageService *currentService = nullptr;

} // namespace

TMessageService &messageService()
{
    return currentService ? *currentService : consoleService;
}

void setMessageService(TMessageService *service)
{
    currentService = service;
}

int defaultAnswer(unsigned flags)
{
    // The answer that changes least: nobody saw the question, so nothing is retried, removed
    // or overwritten on their behalf.
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNO: return IDNO;
    default: return IDOK;
    }
}

TScriptedMessageService::TScriptedMessageService()
    : previous_(currentService)
{
    setMessageService(this);
}

TScriptedMessageService::~TScriptedMessageService()
{
    setMessageService(previous_);
}

int TScriptedMessageService::show(const QString &text, const QString &caption, unsigned flags)
{
    boxes_.push_back({text, caption, flags});
    if (answers_.empty())
        return defaultAnswer(flags);
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
}
