#include "news/newsdocument.h"

#include "platform/system/textdecoding.h"

TNewsDocument TNewsDocument::FromBytes(QByteArrayView bytes)
{
    return TNewsDocument(SplitTextLines(DecodeText(bytes)));
}

QString TNewsDocument::Field(QStringView name) const
{
    for (const QString &line : lines_) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) continue;
        if (QStringView(line).first(equals).compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(equals + 1);
    }
    return {};
}

int TNewsDocument::MessageStartIndex() const
{
    bool ok = false;
    const int index = Field(u"MessageStartIndex").trimmed().toInt(&ok);
    return ok && index > 0 ? index : 0;
}

QString TNewsDocument::Message() const
{
    QString message;
    for (qsizetype i = MessageStartIndex(); i < lines_.size(); ++i)
        message += lines_[i] + QStringLiteral("\r\n");
    return message;
}

QString TNewsDocument::StoredFileName() const
{
    return SafeNewsBaseName(FileName()) + QStringLiteral(".sun");
}

QString SafeNewsBaseName(const QString &value)
{
    // Only the part after the last separator of either kind; a NUL would cut the name short.
    const qsizetype cut =
        std::max(value.lastIndexOf(QLatin1Char('/')), value.lastIndexOf(QLatin1Char('\\')));
    QString name = value.mid(cut + 1);
    name.remove(QChar(0));
    return name;
}
