#include "localisation/showmessage.h"

#include "platform/system/messageservice.h"

int ShowMessageText(const QString &text, unsigned style)
{
    return messageService().show(text, kProductName, style);
}
