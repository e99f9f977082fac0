#include "packages/zipstreamerror.h"

EZipStreamError::EZipStreamError(const QString &message)
    : message_(message), utf8_(message.toUtf8())
{
}
