#include "localisation/showmessage.h"

#include "localisation/languagemanager.h"
#include "localisation/messageformat.h"
#include "platform/system/messageservice.h"

int ShowMessageText(const QString &text, unsigned style)
{
    return messageService().show(text, kProductName, style);
}

QString GetMessageText(const QString &id)
{
    return languageManager().MessageText(id);
}

int ShowMessageById(const QString &id, const QVariantList &args, unsigned style)
{
    return ShowMessageText(FormatMessageText(GetMessageText(id), args), style);
}
