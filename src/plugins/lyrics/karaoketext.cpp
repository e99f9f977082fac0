#include "karaoketext.h"

#include "platform/midi/midifile.h"
#include "platform/system/textdecoding.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <set>

namespace {

constexpr std::uint8_t kTextEvent = 0x01;
constexpr std::uint8_t kLyricEvent = 0x05;

bool IsHeader(const QByteArray &text)
{
    return text.startsWith('@');
}

// Builds the lines syllable by syllable.
class TLineBuilder {
public:
    explicit TLineBuilder(std::vector<TKaraokeLine> &lines) : lines_(lines) {}

    void Syllable(std::int64_t timeMs, const QString &text)
    {
        bool wrote = false; // this syllable put characters on the current line
        for (qsizetype i = 0; i < text.size(); ++i) {
            QChar c = text.at(i);
            if (i == 0 && (c == u'/' || c == u'\\')) {
                Break(c == u'\\' ? 2 : 1);
                continue;
            }
            if (c == u'\r' || c == u'\n') {
                // CR LF is one break; a second break in a row makes a paragraph.
                if (c == u'\n' && i > 0 && text.at(i - 1) == u'\r') continue;
                Break(breaks_ + 1);
                continue;
            }
            if (c == u'\t') c = u' ';
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)) continue;
            const bool space = c.isSpace();
            // A long line ends at the next word.
            if (space && line_.Text.size() >= TKaraokeText::SoftLineLength) Break(1);
            if (breaks_ > 0 || line_.Text.size() >= TKaraokeText::HardLineLength) {
                if (space) continue; // spaces that end the old line do not begin the new one
                if (wrote) line_.Syllables.push_back({timeMs, line_.Text.size()});
                wrote = false;
                Flush();
            }
            if (space && line_.Text.isEmpty()) continue;
            line_.Text += c;
            wrote = true;
        }
        if (wrote) line_.Syllables.push_back({timeMs, line_.Text.size()});
    }

    void Finish() { Flush(); }

private:
    void Break(int strength) { breaks_ = std::max(breaks_, std::min(strength, 2)); }

    // Ends the current line and begins the next, as a new verse when a paragraph mark came.
    void Flush()
    {
        qsizetype kept = line_.Text.size();
        while (kept > 0 && line_.Text.at(kept - 1).isSpace())
            --kept;
        line_.Text.truncate(kept);
        if (!line_.Text.isEmpty() && !line_.Syllables.empty()) {
            for (TKaraokeSyllable &s : line_.Syllables)
                s.End = std::min(s.End, kept);
            lines_.push_back(std::move(line_));
            paragraphNext_ = false;
        }
        if (breaks_ >= 2 || lines_.empty()) paragraphNext_ = true;
        line_ = TKaraokeLine();
        line_.Paragraph = paragraphNext_;
        breaks_ = 0;
    }

    std::vector<TKaraokeLine> &lines_;
    TKaraokeLine line_{{}, {}, true};
    int breaks_ = 0; // 0 none waiting, 1 a new line, 2 a new paragraph
    bool paragraphNext_ = true;
};

} // namespace

TKaraokeText::TKaraokeText(const TMidiFile &file, bool karaoke)
{
    std::vector<const TMidiText *> words;
    for (const TMidiText &text : file.texts())
        if (text.type == kLyricEvent) words.push_back(&text);

    // The tracks that hold karaoke headers hold the words as well.
    std::set<std::uint16_t> karaokeTracks;
    std::vector<const TMidiText *> titles;
    for (const TMidiText &text : file.texts()) {
        if (text.type != kTextEvent || !IsHeader(text.text)) continue;
        karaokeTracks.insert(text.track);
        if (text.text.startsWith("@T")) titles.push_back(&text);
    }
    if (words.empty() && (karaoke || !karaokeTracks.empty())) {
        for (const TMidiText &text : file.texts()) {
            if (text.type != kTextEvent || IsHeader(text.text)) continue;
            if (karaokeTracks.empty() || karaokeTracks.contains(text.track)) words.push_back(&text);
        }
    }

    bool utf8 = true;
    for (const TMidiText *word : words)
        utf8 = utf8 && IsUtf8(word->text);
    for (const TMidiText *title : titles)
        utf8 = utf8 && IsUtf8(title->text);

    QStringList titleParts;
    for (const TMidiText *title : titles) {
        const QString part = Decode(title->text.mid(2), utf8).simplified();
        if (!part.isEmpty() && titleParts.size() < 2) titleParts << part;
    }
    title_ = titleParts.join(QStringLiteral(" \u2014 "));

    TLineBuilder builder(lines_);
    for (const TMidiText *word : words)
        // Microseconds down to milliseconds: a syllable is never lit early.
        builder.Syllable(word->timeUs / 1000, Decode(word->text, utf8));
    builder.Finish();
}

int TKaraokeText::LineAt(std::int64_t ms) const
{
    if (lines_.empty()) return -1;
    // The last line that has begun.
    const auto after = std::upper_bound(
        lines_.begin(), lines_.end(), ms,
        [](std::int64_t time, const TKaraokeLine &line) { return time < line.StartMs(); });
    if (after == lines_.begin()) return 0;
    const int begun = int(after - lines_.begin()) - 1;
    if (after == lines_.end()) return begun;
    // Once sung, a line gives way to the next one after a while.
    const std::int64_t last = lines_[begun].LastMs();
    const std::int64_t gap = after->StartMs() - last;
    return ms >= last + std::min(gap / 2, LineHoldMs) ? begun + 1 : begun;
}

qsizetype TKaraokeText::SungLength(int line, std::int64_t ms) const
{
    if (line < 0 || std::size_t(line) >= lines_.size()) return 0;
    const auto &syllables = lines_[std::size_t(line)].Syllables;
    const auto after = std::upper_bound(
        syllables.begin(), syllables.end(), ms,
        [](std::int64_t time, const TKaraokeSyllable &s) { return time < s.TimeMs; });
    return after == syllables.begin() ? 0 : std::prev(after)->End;
}

bool TKaraokeText::IsUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder(bytes);
    return !decoder.hasError();
}

QString TKaraokeText::Decode(const QByteArray &bytes, bool utf8)
{
    if (utf8) return QString::fromUtf8(bytes);
    // The bytes the code page leaves undefined are control characters: no lyric shows them.
    QString text = DecodeWindows1252(bytes);
    text.removeIf([](QChar c) { return c.unicode() >= 0x80 && c.unicode() < 0xA0; });
    return text;
}
