#include "localisation/messageformat.h"

namespace {

QString IntegerText(const QVariant &value)
{
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    return ok ? QString::number(number) : value.toString();
}

} // namespace

QString FormatMessageText(const QString &pattern, const QVariantList &args)
{
    QString out;
    out.reserve(pattern.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != u'%' || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        const QChar kind = pattern[i + 1];
        if (kind == u'%') {
            out += u'%';
        } else if (kind == u's' || kind == u'd') {
            if (next < args.size()) {
                const QVariant &arg = args[next];
                out += kind == u's' ? arg.toString() : IntegerText(arg);
            }
            ++next;
        } else {
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}
