#include "platform/desktop/mimeappslist.h"

namespace {

QByteArray HeaderName(const QByteArray &trimmed)
{
    // "[Name]" and nothing after the bracket but blanks.
    if (!trimmed.startsWith('[') || !trimmed.endsWith(']')) return {};
    return trimmed.mid(1, trimmed.size() - 2);
}

} // namespace

TMimeAppsList::TLine TMimeAppsList::ParseLine(const QByteArray &text, const QByteArray &group)
{
    TLine line{text, group, {}};
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith('#')) return line;
    const QByteArray header = HeaderName(trimmed);
    if (!header.isEmpty()) {
        line.group = header;
        return line;
    }
    const qsizetype equals = trimmed.indexOf('=');
    if (equals > 0) line.key = trimmed.left(equals).trimmed();
    return line;
}

TMimeAppsList::TMimeAppsList(const QByteArray &text)
{
    if (text.contains("\r\n")) lineEnd_ = "\r\n";
    QList<QByteArray> raw = text.split('\n');
    if (!raw.isEmpty() && raw.last().isEmpty()) raw.removeLast();
    QByteArray group;
    for (QByteArray &piece : raw) {
        if (piece.endsWith('\r')) piece.chop(1);
        TLine line = ParseLine(piece, group);
        group = line.group;
        lines_.append(std::move(line));
    }
}

qsizetype TMimeAppsList::FindKey(const QByteArray &group, const QByteArray &key,
                                 qsizetype from) const
{
    for (qsizetype i = from; i < lines_.size(); ++i)
        if (lines_[i].group == group && lines_[i].key == key) return i;
    return -1;
}

QStringList TMimeAppsList::Values(const QString &group, const QString &key) const
{
    const qsizetype at = FindKey(group.toUtf8(), key.toUtf8(), 0);
    if (at < 0) return {};
    const QByteArray &text = lines_[at].text;
    const QString value = QString::fromUtf8(text.mid(text.indexOf('=') + 1));
    QStringList values;
    for (const QString &item : value.split(u';')) {
        const QString id = item.trimmed();
        if (!id.isEmpty()) values.append(id);
    }
    return values;
}

bool TMimeAppsList::Has(const QString &group, const QString &key) const
{
    return FindKey(group.toUtf8(), key.toUtf8(), 0) >= 0;
}

void TMimeAppsList::SetValues(const QString &group, const QString &key, const QStringList &values)
{
    const QByteArray groupName = group.toUtf8();
    const QByteArray keyName = key.toUtf8();
    const QByteArray text =
        values.isEmpty() ? QByteArray() : keyName + '=' + values.join(u';').toUtf8() + ';';
    qsizetype at = FindKey(groupName, keyName, 0);
    if (at >= 0) {
        // Later lines of the key would only confuse readers that take the last one.
        for (qsizetype later = FindKey(groupName, keyName, at + 1); later >= 0;
             later = FindKey(groupName, keyName, later))
            lines_.removeAt(later);
        if (values.isEmpty())
            lines_.removeAt(at);
        else
            lines_[at].text = text;
        return;
    }
    if (values.isEmpty()) return;
    qsizetype header = -1;
    for (qsizetype i = 0; i < lines_.size() && header < 0; ++i)
        if (lines_[i].group == groupName && lines_[i].key.isEmpty() &&
            HeaderName(lines_[i].text.trimmed()) == groupName)
            header = i;
    if (header < 0) {
        if (!lines_.isEmpty() && !lines_.last().text.trimmed().isEmpty())
            lines_.append(TLine{{}, lines_.last().group, {}});
        lines_.append(TLine{'[' + groupName + ']', groupName, {}});
        lines_.append(TLine{text, groupName, keyName});
        return;
    }
    // After the block's last line that is not blank, so that a blank line before the next
    // group stays where it was.
    qsizetype insertAt = header + 1;
    for (qsizetype i = header + 1; i < lines_.size() && lines_[i].group == groupName; ++i) {
        if (!HeaderName(lines_[i].text.trimmed()).isEmpty()) break;
        if (!lines_[i].text.trimmed().isEmpty()) insertAt = i + 1;
    }
    lines_.insert(insertAt, TLine{text, groupName, keyName});
}

QByteArray TMimeAppsList::Text() const
{
    QByteArray text;
    for (const TLine &line : lines_)
        text += line.text + lineEnd_;
    return text;
}
