#include "playback/sonoricplayerexception.h"

#include "platform/mci/mcierrortext.h"

QString MciErrorText(std::uint32_t code)
{
    const char *text = mciErrorText(code);
    if (text && *text) return QString::fromUtf8(text);
    return QStringLiteral("The media device reported error %1.").arg(code);
}

const QString &OperationAbortedText()
{
    static const QString text = QStringLiteral("Operation aborted");
    return text;
}
