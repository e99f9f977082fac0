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
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return IDOK;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
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
