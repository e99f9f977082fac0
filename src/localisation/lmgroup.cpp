#include "localisation/lmgroup.h"

#include "platform/system/asciicase.h"

#include <algorithm>

QStringView TLMGroup::NameOf(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QStringView(line) : QStringView(line).left(eq);
}

QString TLMGroup::ValueOf(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QString() : line.mid(eq + 1);
}

qsizetype TLMGroup::IndexOfName(QStringView name) const
{
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (SameAsciiNoCase(NameOf(lines_[i]), name)) return i;
    }
    return -1;
}

QString TLMGroup::Value(QStringView name) const
{
    const qsizetype i = IndexOfName(name);
    return i < 0 ? QString() : ValueOf(lines_[i]);
}

void TLMGroup::SetEntry(const QString &name, const QString &value)
{
    if (name.isEmpty() || name.contains(u'=')) return;
    QString line = name + u'=' + value;
    const qsizetype i = IndexOfName(name);
    if (i < 0)
        lines_.append(std::move(line));
    else
        lines_[i] = std::move(line);
}

void TLMGroup::Prune(const QStringList &usedNames)
{
    lines_.removeIf([&usedNames](const QString &line) {
        const QStringView name = NameOf(line);
        return std::none_of(usedNames.cbegin(), usedNames.cend(),
                            [name](const QString &used) { return SameAsciiNoCase(name, used); });
    });
}

void TLMGroup::Sort()
{
    std::stable_sort(lines_.begin(), lines_.end(), [](const QString &a, const QString &b) {
        return CompareAsciiNoCase(a, b) < 0;
    });
}
