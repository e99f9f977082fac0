#include "library/albumreader.h"

#include "library/album.h"
#include "library/commatext.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace {

enum class TSection { None, Album, Titles, CustomProgram, InternalProgram, Other };

// A decimal integer within 32 bits, with an optional sign and leading blanks; anything else
// is not a number.
std::optional<int> ParseDecimal(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64{std::numeric_limits<int>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(value);
}

int ToInt(QStringView text)
{
    return ParseDecimal(text).value_or(0);
}

bool IsBlankOrControl(QChar c)
{
    return c.unicode() <= 32;
}

QStringView Trim(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && IsBlankOrControl(text[start]))
        ++start;
    while (end > start && IsBlankOrControl(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

TSection SectionNamed(QStringView name)
{
    if (name == u"Album") return TSection::Album;
    if (name == u"Titles") return TSection::Titles;
    if (name == u"CProg") return TSection::CustomProgram;
    if (name == u"IProg") return TSection::InternalProgram;
    return TSection::Other;
}

class TAlbumLineReader {
public:
    explicit TAlbumLineReader(TAlbum &album) : album_(album) {}

    void Line(QStringView line)
    {
        const QStringView text = Trim(line);
        if (text.isEmpty()) return;
        const bool header = text.size() >= 3 && text.startsWith(u'[') && text.endsWith(u']');
        if (header) section_ = SectionNamed(text.mid(1, text.size() - 2));
        switch (section_) {
        case TSection::Album:
            if (!header) AlbumLine(text);
            break;
        case TSection::Titles:
            if (!header) TitleLine(text);
            break;
        case TSection::CustomProgram:
        case TSection::InternalProgram:
            ProgramLine(text, header);
            break;
        case TSection::None:
        case TSection::Other:
            break;
        }
    }

    void Finish();

private:
    void AlbumLine(QStringView text);
    void TitleLine(QStringView text);
    void ProgramLine(QStringView text, bool header);

    TAlbum &album_;
    TSection section_ = TSection::None;
    int programIndex_ = 0;
    int titleIndex_ = 0;
    TProgram *program_ = nullptr;
    std::vector<std::unique_ptr<TProgram>> internal_;
};

void TAlbumLineReader::AlbumLine(QStringView text)
{
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) return;
    const QStringView key = text.left(equals);
    const QStringView value = text.mid(equals + 1);
    if (key == u"Caption")
        album_.Caption = value.toString();
    else if (key == u"AlbumType")
        album_.AlbumType = ToInt(value);
    else if (key == u"CurProgramIndex")
        programIndex_ = ToInt(value);
    else if (key == u"CurTitle")
        titleIndex_ = ToInt(value);
    else if (key == u"DeviceName")
        album_.DeviceName = value.toString();
    else if (key == u"MediaID")
        album_.MediaID = value.left(TAlbum::kMediaIDLength).toString();
}

void TAlbumLineReader::TitleLine(QStringView text)
{
    TTitle *title = album_.AddTitle();
    const QStringList items = SplitCommaText(text);
    if (items.size() > 0) title->Caption = items[0];
    if (items.size() > 1) title->FileName = items[1];
    if (items.size() > 2) {
        if (const auto track = ParseDecimal(items[2])) title->Track = *track;
    }
    if (items.size() > 3) title->DeviceName = items[3];
}

void TAlbumLineReader::ProgramLine(QStringView text, bool header)
{
    const bool internal = section_ == TSection::InternalProgram;
    if (header) {
        auto program = album_.CreateProgram();
        program_ = program.get();
        if (internal)
            internal_.push_back(std::move(program));
        else
            album_.CustomPrograms.push_back(std::move(program));
        return;
    }
    if (!program_) return;
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) return;
    const QStringView key = text.left(equals);
    const QStringView value = text.mid(equals + 1);
    if (key == u"Caption") {
        program_->Caption = value.toString();
    } else if (key == u"ProgramType") {
        const int type = ToInt(value);
        if (internal && type <= ptReverse) program_->ProgramType = type;
    } else if (key == u"Links") {
        const auto count = static_cast<qsizetype>(album_.Titles.size());
        for (const QString &item : SplitCommaText(value)) {
            const auto position = ParseDecimal(item);
            if (position && *position >= 0 && *position < count)
                program_->Titles.push_back(album_.Titles[*position]);
        }
    }
}

void TAlbumLineReader::Finish()
{
    // Exactly one internal program of each type, in type order. The first program read for
    // a type keeps its order; a type not read is made anew; internal sections of other types
    // or repeated types (which no album file written here has) are dropped.
    std::array<std::unique_ptr<TProgram>, 3> byType;
    for (auto &program : internal_) {
        const int type = program->ProgramType;
        if (type >= ptNormal && type <= ptReverse && !byType[type - 1])
            byType[type - 1] = std::move(program);
    }
    internal_.clear();
    album_.InternalPrograms.clear();
    for (int type = ptNormal; type <= ptReverse; ++type) {
        auto &program = byType[type - 1];
        const bool made = !program;
        if (made) {
            program = album_.CreateProgram();
            program->ProgramType = type;
        }
        program->Caption = InternalProgramCaption(type);
        if (made) program->Regenerate();
        album_.InternalPrograms.push_back(std::move(program));
    }

    const int last = album_.ProgramCount() - 1;
    album_.CurrentProgram = album_.ProgramByIndex(std::clamp(programIndex_, 0, last));
    if (!album_.CurrentProgram) album_.CurrentProgram = album_.InternalPrograms.front().get();

    album_.Loaded = true;
    album_.RefreshInternalPrograms();

    album_.CurrentTitle = nullptr;
    if (titleIndex_ >= 0 && static_cast<std::size_t>(titleIndex_) < album_.Titles.size())
        album_.CurrentTitle = album_.Titles[titleIndex_];
    else if (!album_.CurrentProgram->Titles.empty())
        album_.CurrentTitle = album_.CurrentProgram->Titles.front();
}

} // namespace

void ReadAlbumLines(TAlbum &album, const QStringList &lines)
{
    TAlbumLineReader reader(album);
    for (const QString &line : lines)
        reader.Line(line);
    reader.Finish();
}
