#include "platform/midi/midilyrics.h"

#include "platform/midi/midifile.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <iterator>

namespace {

constexpr std::uint8_t kTextEvent = 0x01;
constexpr std::uint8_t kLyricEvent = 0x05;

bool AllUtf8(const std::vector<const TMidiText *> &words)
{
    for (const TMidiText *word : words) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder(word->text);
        if (decoder.hasError()) return false;
    }
    return true;
}

// Builds the lines syllable by syllable.
class TLineBuilder {
public:
    explicit TLineBuilder(std::vector<TLyricStep> &steps) : steps_(steps) {}

    void Word(std::int64_t timeMs, const QString &text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c == u'\r' || c == u'\n' || (i == 0 && (c == u'/' || c == u'\\'))) {
                broken_ = true;
                continue;
            }
            if (c.unicode() < 0x20 || c.unicode() == 0x7F) continue;
            if (broken_ || line_.size() >= TMidiLyrics::MaxLineLength) {
                // Spaces that end the old line do not start the new one.
                if (c.isSpace()) continue;
                line_.clear();
                broken_ = false;
            }
            line_ += c;
        }
        const QString shown = line_.trimmed();
        if (shown.isEmpty() || (!steps_.empty() && steps_.back().Line == shown)) return;
        if (!steps_.empty() && steps_.back().TimeMs >= timeMs) {
            // Syllables of one moment are one step.
            steps_.back().Line = shown;
            return;
        }
        steps_.push_back({timeMs, shown});
    }

private:
    std::vector<TLyricStep> &steps_;
    QString line_;
    bool broken_ = false;
};

} // namespace

TMidiLyrics::TMidiLyrics(const TMidiFile &file, bool karaoke)
{
    std::vector<const TMidiText *> words;
    for (const TMidiText &text : file.texts())
        if (text.type == kLyricEvent) words.push_back(&text);
    // A karaoke file's words may be in text events; a header text is no word.
    const bool karaokeTexts = words.empty() && karaoke;
    if (karaokeTexts)
        for (const TMidiText &text : file.texts())
            if (text.type == kTextEvent && !text.text.startsWith('@')) words.push_back(&text);
    if (words.empty()) return;

    const bool utf8 = AllUtf8(words);
    TLineBuilder builder(steps_);
    for (const TMidiText *word : words) {
        const QString text =
            utf8 ? QString::fromUtf8(word->text) : QString::fromLatin1(word->text);
        // Microseconds to milliseconds, rounded down: a step is never shown early.
        builder.Word(word->timeUs / 1000, text);
    }
}

TMidiLyrics TMidiLyrics::FromFile(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    static const QStringList kMidiSuffixes = {QStringLiteral("mid"), QStringLiteral("midi"),
                                              QStringLiteral("kar"), QStringLiteral("rmi"),
                                              QStringLiteral("smf")};
    if (!kMidiSuffixes.contains(suffix) || !info.isFile() || info.size() > MaxFileSize)
        return TMidiLyrics();
    TMidiFile file;
    if (!file.load(path)) return TMidiLyrics();
    return TMidiLyrics(file, suffix == u"kar");
}

const QString *TMidiLyrics::LineAt(std::int64_t ms) const
{
    const auto after = std::upper_bound(
        steps_.begin(), steps_.end(), ms,
        [](std::int64_t time, const TLyricStep &step) { return time < step.TimeMs; });
    if (after == steps_.begin()) return nullptr;
    return &std::prev(after)->Line;
}

std::int64_t TMidiLyrics::NextStepAfter(std::int64_t ms) const
{
    const auto after = std::upper_bound(
        steps_.begin(), steps_.end(), ms,
        [](std::int64_t time, const TLyricStep &step) { return time < step.TimeMs; });
    return after == steps_.end() ? -1 : after->TimeMs;
}
