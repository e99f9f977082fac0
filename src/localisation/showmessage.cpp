#include "localisation/showmessage.h"

#include "localisation/languagemanager.h"
#include "localisation/messageformat.h"
#include "platform/system/messageservice.h"
#include "platform/system/programfolder.h"
#include "platform/system/textdecoding.h"

namespace {

// The English file the program ships: the messages shown before any language is loaded (the
// start-up's first steps) are read there, so that the user reads a real text.
const TLM &ShippedEnglish()
{
    static TLM english;
    static const bool loaded = [] {
        QByteArray bytes;
        QString reason;
        if (!ReadWholeFile(ShippedDataFolder() + QStringLiteral("Lang/English.tlg"),
                           TLM::kMaxFileSize, bytes, reason))
            return false;
        english.LoadFromText(bytes);
        return true;
    }();
    Q_UNUSED(loaded);
    return english;
}

} // namespace

int ShowMessageText(const QString &text, unsigned style)
{
    return messageService().show(text, kProductName, style);
}

QString GetMessageText(const QString &id)
{
    const TLM &lm = languageManager();
    if (lm.GroupCount() == 0) {
        const QString text = ShippedEnglish().Lookup(u"Globals", id);
        if (!text.isEmpty()) return text;
    }
    return lm.MessageText(id);
}

int ShowMessageById(const QString &id, const QVariantList &args, unsigned style)
{
    return ShowMessageText(FormatMessageText(GetMessageText(id), args), style);
}
