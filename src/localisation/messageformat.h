#pragma once
// Fills the placeholders of a message text with its arguments. Message texts come from
// language files, which anyone may write, so the format never trusts them: "%s" takes the
// next argument as text, "%d" as a whole number (a value that is no number shows as it is),
// a placeholder without an argument left formats as nothing, "%%" is "%", and any other "%"
// stays as written. Arguments left over are ignored.
//
// Threads: any (pure function).

#include <QString>
#include <QVariantList>

QString FormatMessageText(const QString &pattern, const QVariantList &args);
