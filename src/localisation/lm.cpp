#include "localisation/lm.h"

#include "localisation/messageformat.h"
#include "localisation/showmessage.h"
#include "platform/system/asciicase.h"
#include "platform/system/atomicfile.h"
#include "platform/system/messageservice.h"
#include "platform/system/textdecoding.h"

namespace {

const QString kGlobals = QStringLiteral("Globals");
const QString kLineEnd = QStringLiteral("\r\n");

} // namespace

void TLM::Clear()
{
    groups_.clear();
}

TLMGroup *TLM::FindGroup(QStringView name) const
{
    for (const auto &group : groups_) {
        if (SameAsciiNoCase(group->Name(), name)) return group.get();
    }
    return nullptr;
}

TLMGroup &TLM::FindOrAddGroup(const QString &name)
{
    if (TLMGroup *group = FindGroup(name)) return *group;
    groups_.push_back(std::make_unique<TLMGroup>(name));
    return *groups_.back();
}

QString TLM::Lookup(QStringView groupName, QStringView entryName) const
{
    const TLMGroup *group = FindGroup(groupName);
    return group ? group->Value(entryName) : QString();
}

bool TLM::LoadFromFile(const QString &path)
{
    QByteArray bytes;
    QString reason;
    if (!ReadWholeFile(path, kMaxFileSize, bytes, reason)) {
        ShowFileMessage(QStringLiteral("ErrFileLoad"), path);
        return false;
    }
    LoadFromText(bytes);
    return true;
}

void TLM::LoadFromText(const QByteArray &bytes)
{
    const QString text = DecodeText(bytes);
    TLMGroup *current = nullptr;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        // A line ends at CR LF, a lone CR or a lone LF.
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = QStringView(text).mid(start, end - start);
        start = end + 1;
        if (end + 1 < size && text[end] == u'\r' && text[end + 1] == u'\n') ++start;

        if (line.size() >= 3 && line.front() == u'[') {
            current = &FindOrAddGroup(line.mid(1, line.size() - 2).toString());
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || !current) continue;
        current->SetEntry(line.left(eq).toString(), UnescapeValue(line.mid(eq + 1)));
    }
}

bool TLM::SaveToFile(const QString &path)
{
    const QByteArray bytes = SaveToText();
    QString reason;
    if (!WriteFileAtomically(path, bytes, reason)) {
        ShowFileMessage(QStringLiteral("ErrFileSave"), path);
        return false;
    }
    return true;
}

QByteArray TLM::SaveToText()
{
    QString text;
    for (size_t i = 0; i < groups_.size(); ++i) {
        TLMGroup &group = *groups_[i];
        if (group.Count() == 0) continue;
        group.Sort();
        text += u'[' + group.Name() + u']' + kLineEnd;
        for (const QString &line : group.Lines())
            text += EscapeEntry(line) + kLineEnd;
        if (i + 1 < groups_.size()) text += kLineEnd;
    }
    return text.toUtf8();
}

void TLM::PruneGroup(TLMGroup &group, const QStringList &usedNames)
{
    group.Prune(usedNames);
}

QString TLM::MessageText(const QString &id) const
{
    const QString text = Lookup(kGlobals, id);
    return text.isEmpty() ? MissingMessageText(id) : text;
}

QString TLM::UnescapeValue(QStringView raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c != u'\\' || i + 1 == raw.size()) {
            out += c;
            continue;
        }
        const QChar next = raw[++i];
        if (next == u'n')
            out += kLineEnd;
        else if (next == u'\\')
            out += u'\\';
        // Any other escaped character is dropped together with its backslash.
    }
    return out;
}

QString TLM::EscapeEntry(QStringView line)
{
    QString out;
    out.reserve(line.size() + 8);
    for (const QChar c : line) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\r')
            out += QStringLiteral("\\n");
        else if (c != u'\n')
            out += c;
    }
    return out;
}

void TLM::ShowFileMessage(const QString &id, const QString &path) const
{
    ShowMessageText(FormatMessageText(MessageText(id), {path}), MB_OK | MB_ICONERROR);
}

QString MissingMessageText(const QString &id)
{
    return QStringLiteral("[Cannot load message. Message ID: ") + id + QStringLiteral("]\r") +
           QStringLiteral("\r") +
           QStringLiteral("(There should be a message here. Unfortunately, this message has "
                          "not been translated. Thus, you are unable to know what this "
                          "message is. Please try to contact the language file vendor to see "
                          "if an upgraded language file is available.\r\r") +
           QStringLiteral("Language file vendors may look at the provided \"English.tlg\" "
                          "file which should always be up-to-date. If you suspect the "
                          "\"English.tlg\" file to be in error, please report to the author "
                          "of this software.)");
}
