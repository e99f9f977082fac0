#include "presentation/theme/tuiman.h"

#include "library/commatext.h"
#include "localisation/showmessage.h"
#include "platform/system/messageservice.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

// Blanks and control characters go from both ends.
QStringView trimLine(QStringView line)
{
    qsizetype from = 0, to = line.size();
    while (from < to && line[from].unicode() <= 32)
        ++from;
    while (to > from && line[to - 1].unicode() <= 32)
        --to;
    return line.mid(from, to - from);
}

} // namespace

bool ParseThemeInteger(QStringView text, int &value)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return false;
    qint64 v = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        v = v * base + digit;
        if (v > 0xFFFFFFFFLL) return false;
    }
    if (negative) v = -v;
    if (base == 10 && (v > 2147483647LL || v < -2147483648LL)) return false;
    if (base == 16 && v > 2147483647LL) v -= 0x100000000LL;
    if (v < -2147483648LL) return false;
    value = int(v);
    return true;
}

void TUIMan::Clear()
{
    groups_.clear();
}

TUIGroup *TUIMan::FindGroup(int number) const
{
    for (const auto &group : groups_)
        if (group->Number() == number) return group.get();
    return nullptr;
}

TUIGroup *TUIMan::GroupForDepth(int bitsPerPixel) const
{
    if (TUIGroup *group = FindGroup(bitsPerPixel)) return group;
    return groups_.empty() ? nullptr : groups_.front().get();
}

TUIGroup &TUIMan::FindOrAddGroup(int number)
{
    if (TUIGroup *group = FindGroup(number)) return *group;
    groups_.push_back(std::make_unique<TUIGroup>(number));
    return *groups_.back();
}

bool TUIMan::LoadFromFile(const QString &path)
{
    QFile file(path);
    bool ok = file.open(QIODevice::ReadOnly);
    if (ok) {
        // One byte past the limit catches a device that never ends.
        const QByteArray bytes = file.read(kMaxFileSize + 1);
        ok = file.error() == QFileDevice::NoError && bytes.size() <= kMaxFileSize &&
             LoadFromText(bytes);
    }
    if (!ok) ShowMessageById(QStringLiteral("ErrFileLoad"), {path}, MB_OK | MB_ICONERROR);
    return ok;
}

bool TUIMan::LoadFromText(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    std::vector<TUIGroup *> current;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = trimLine(QStringView(text).mid(start, end - start));
        start = end + 1;
        if (end + 1 < size && text[end] == u'\r' && text[end + 1] == u'\n') ++start;

        if (line.isEmpty()) continue;
        if (line.size() >= 3 && line.front() == u'[' && line.back() == u']') {
            current.clear();
            for (const QString &item : SplitCommaText(line.mid(1, line.size() - 2))) {
                int number = 0;
                if (!ParseThemeInteger(item, number)) return false;
                TUIGroup *group = &FindOrAddGroup(number);
                if (std::find(current.begin(), current.end(), group) == current.end())
                    current.push_back(group);
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) continue;
        const QString key = line.left(eq).toString();
        const QString value = line.mid(eq + 1).toString();
        for (TUIGroup *group : current)
            group->SetEntry(key, value);
    }
    return true;
}

bool TUIMan::SaveToFile(const QString &path)
{
    const QByteArray bytes = SaveToText();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ShowMessageById(QStringLiteral("ErrFileSave"), {path}, MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

QByteArray TUIMan::SaveToText()
{
    QString text;
    for (size_t i = 0; i < groups_.size(); ++i) {
        TUIGroup &group = *groups_[i];
        group.Sort();
        text += u'[' + QString::number(group.Number()) + u']' + kLineEnd;
        for (const QString &line : group.Lines())
            text += line + kLineEnd;
        if (i + 1 < groups_.size()) text += kLineEnd;
    }
    return text.toUtf8();
}

void TUIMan::LoadChosenTheme(const QString &themeName, const QString &themesFolder)
{
    if (themeName.isEmpty() || themeName == Name) return;
    Clear();
    const QString base = QStringLiteral("Default");
    if (themeName != base) LoadFromFile(themesFolder + base + QStringLiteral(".tui"));
    LoadFromFile(themesFolder + themeName + QStringLiteral(".tui"));
    Name = themeName;
}
