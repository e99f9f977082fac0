#include "playback/sonoricplayerexception.h"

#include <cstring>

QString MciErrorText(std::uint32_t code)
{
    char buffer[300] = {};
    if (mciGetErrorString(code, buffer, sizeof buffer) && buffer[0] != '\0')
        return QString::fromUtf8(buffer, qsizetype(strnlen(buffer, sizeof buffer)));
    return QStringLiteral("The media device reported error %1.").arg(code);
}

const QString &OperationAbortedText()
{
    static const QString text = QStringLiteral("Operation aborted");
    return text;
}
