#include "settings/preferences.h"

#include <climits>
#include <variant>

namespace {

using P = TPreferences;

struct TBoolItem {
    bool P::*field;
    bool def;
};
struct TIntItem {
    int P::*field;
    int def;
    int min = INT_MIN;
    int max = INT_MAX;
};
struct TModeItem {
    std::uint8_t P::*field;
    std::uint8_t def;
    std::uint8_t max;
};
struct TTextItem {
    QString P::*field;
    const char *def;
    bool plainName = false; // a file name without a folder part
};
struct TColourItem {
    TColour P::*field;
    TColour lowDepth;  // screens of fewer than 9 bits
    TColour highDepth; // palette-relative, for the others
};
struct TFontItem {
    TFontPref P::*field;
    const char *name;
    int size;
    bool bold;
};
struct TLinesItem {
    QStringList P::*field;
};
// A value of an earlier version, deleted when the preferences are read.
struct TObsoleteItem {};

using TItem = std::variant<TBoolItem, TIntItem, TModeItem, TTextItem, TColourItem, TFontItem,
                           TLinesItem, TObsoleteItem>;

struct TEntry {
    const char *name;
    TItem item;
};

// The values of each key, in the order they are read and written, with their defaults.
const TEntry kVisible[] = {
    {"AllowFly", TBoolItem{&P::AllowFly, true}},
    {"APMActive", TBoolItem{&P::APMActive, true}},
    {"APMInterval", TIntItem{&P::APMInterval, 10, 10, 100}},
    {"APMFall", TBoolItem{&P::APMFall, true}},
    {"APMFallInterval", TIntItem{&P::APMFallInterval, 60, 10, 250}},
    {"AutoOpenTitle", TBoolItem{&P::AutoOpenTitle, true}},
    {"AutoSnap", TBoolItem{&P::AutoSnap, true}},
    {"CTitleCaption", TColourItem{&P::CTitleCaption, 0x008080, 0x024080FF}},
    {"CPrimaryTime", TColourItem{&P::CPrimaryTime, 0x00FFFF, 0x0210E0FF}},
    {"CSecondaryTime", TColourItem{&P::CSecondaryTime, 0xFF00FF, 0x028040FF}},
    {"CTotalTime", TColourItem{&P::CTotalTime, 0xFFFF00, 0x02FF8040}},
    {"CPositionBar", TColourItem{&P::CPositionBar, 0x00FF00, 0x0280FF40}},
    {"CFloatbarCaption", TColourItem{&P::CFloatbarCaption, 0x008080, 0x024080FF}},
    {"CFloatbarTime", TColourItem{&P::CFloatbarTime, 0x00FFFF, 0x0210E0FF}},
    {"DisplayFlag", TBoolItem{&P::DisplayFlag, false}},
    {"FTitleCaption", TFontItem{&P::FTitleCaption, "MS Sans Serif", 8, false}},
    {"FPrimaryTime", TFontItem{&P::FPrimaryTime, "Times New Roman", 48, true}},
    {"FSecondaryTime", TFontItem{&P::FSecondaryTime, "Times New Roman", 14, true}},
    {"FTotalTime", TFontItem{&P::FTotalTime, "Times New Roman", 14, true}},
    {"FFloatbarCaption", TFontItem{&P::FFloatbarCaption, "MS Sans Serif", 8, false}},
    {"FFloatbarTime", TFontItem{&P::FFloatbarTime, "MS Sans Serif", 8, false}},
    {"FBSkip", TIntItem{&P::FBSkip, 5000, 0, 60000}},
    {"FBInt", TIntItem{&P::FBInt, 1000, 0, 60000}},
    {"FBDec", TIntItem{&P::FBDec, 100, 0, 60000}},
    {"FFSkip", TIntItem{&P::FFSkip, 5000, 0, 60000}},
    {"FFInt", TIntItem{&P::FFInt, 1000, 0, 60000}},
    {"FFDec", TIntItem{&P::FFDec, 100, 0, 60000}},
    {"FloatMode", TModeItem{&P::FloatMode, 0, 2}},
    {"FormMode", TModeItem{&P::FormMode, 0, 2}},
    {"Lang", TTextItem{&P::Lang, "English", true}},
    {"NowPlayingNotices", TBoolItem{&P::NowPlayingNotices, false}},
    {"PauseDelay", TIntItem{&P::PauseDelay, 0, 0, 60000}},
    {"Reset", TBoolItem{&P::Reset, false}},
    {"ResetFile", TTextItem{&P::ResetFile, "", true}},
    {"SU", TObsoleteItem{}},
    {"SUAuto", TBoolItem{&P::SUAuto, true}},
    {"SUAutoIfConnected", TBoolItem{&P::SUAutoIfConnected, true}},
    {"SUProxy", TBoolItem{&P::SUProxy, false}},
    {"SUProxyServer", TTextItem{&P::SUProxyServer, ""}},
    {"SUProxyPort", TIntItem{&P::SUProxyPort, 8080, 0, 65535}},
    {"SUProxyUsername", TTextItem{&P::SUProxyUsername, ""}},
    {"SUProxyPassword", TTextItem{&P::SUProxyPassword, ""}},
    {"SURemind", TBoolItem{&P::SURemind, false}},
    {"ThemeName", TTextItem{&P::ThemeName, "Default", true}},
    {"TimeSwap", TBoolItem{&P::TimeSwap, false}},
    {"TitlesGutter", TIntItem{&P::TitlesGutter, 20, 0, 256}},
    {"QuickNumber", TIntItem{&P::QuickNumber, 2000, 0, 60000}},
};

const TEntry kInvisible[] = {
    {"Cloaked", TBoolItem{&P::PrefCloaked, false}},
    {"CurAlbum", TIntItem{&P::CurAlbum, 0}},
    {"FloatWidth", TIntItem{&P::FloatWidth, -1}},
    {"FloatShow", TBoolItem{&P::FloatShow, true}},
    {"FloatX", TIntItem{&P::FloatX, -1}},
    {"FloatY", TIntItem{&P::FloatY, -1}},
    {"FormX", TIntItem{&P::FormX, -1}},
    {"FormY", TIntItem{&P::FormY, -1}},
    {"plbAlbumsBoxWidth", TIntItem{&P::plbAlbumsBoxWidth, 128}},
    {"plbAlbumsBoxHeight", TIntItem{&P::plbAlbumsBoxHeight, 128}},
    {"plbProgramsBoxWidth", TIntItem{&P::plbProgramsBoxWidth, 128}},
    {"plbProgramsBoxHeight", TIntItem{&P::plbProgramsBoxHeight, 128}},
    {"plbTitlesBoxWidth", TIntItem{&P::plbTitlesBoxWidth, 128}},
    {"plbTitlesBoxHeight", TIntItem{&P::plbTitlesBoxHeight, 128}},
    {"SUDate", TObsoleteItem{}},
    {"SUNews", TLinesItem{&P::SUNews}},
    {"SUURL", TObsoleteItem{}},
};

// Font sizes the desktop accepts, in points.
constexpr int kMaxFontSize = 1638;

template <class... F> struct TOverload : F... {
    using F::operator()...;
};
template <class... F> TOverload(F...) -> TOverload<F...>;

bool isPlainName(const QString &name)
{
    return !name.contains(u'/') && !name.contains(u'\\');
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            lines.append(text.mid(start, i - start));
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.append(text.mid(start));
    return lines;
}

QString joinLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

void setDefaults(P &prefs, const TEntry &entry, bool lowDepth)
{
    std::visit(
        TOverload{
            [&](const TBoolItem &i) { prefs.*i.field = i.def; },
            [&](const TIntItem &i) { prefs.*i.field = i.def; },
            [&](const TModeItem &i) { prefs.*i.field = i.def; },
            [&](const TTextItem &i) { prefs.*i.field = QString::fromLatin1(i.def); },
            [&](const TColourItem &i) { prefs.*i.field = lowDepth ? i.lowDepth : i.highDepth; },
            [&](const TFontItem &i) {
                prefs.*i.field = TFontPref{QString::fromLatin1(i.name), i.size, i.bold, false};
            },
            [&](const TLinesItem &i) { (prefs.*i.field).clear(); },
            [](const TObsoleteItem &) {},
        },
        entry.item);
}

void readEntry(P &prefs, const TEntry &entry, TRegistry &reg)
{
    const QString name = QString::fromLatin1(entry.name);
    std::visit(TOverload{
                   [&](const TBoolItem &i) {
                       if (const auto v = reg.ReadBool(name)) prefs.*i.field = *v;
                   },
                   [&](const TIntItem &i) {
                       const auto v = reg.ReadInteger(name);
                       if (v && *v >= i.min && *v <= i.max) prefs.*i.field = *v;
                   },
                   [&](const TModeItem &i) {
                       const auto v = reg.ReadInteger(name);
                       if (v && *v >= 0 && *v <= i.max) prefs.*i.field = std::uint8_t(*v);
                   },
                   [&](const TTextItem &i) {
                       const auto v = reg.ReadString(name);
                       if (v && !v->isEmpty() && (!i.plainName || isPlainName(*v)))
                           prefs.*i.field = *v;
                   },
                   [&](const TColourItem &i) {
                       if (const auto v = reg.ReadInteger(name)) prefs.*i.field = TColour(*v);
                   },
                   [&](const TFontItem &i) {
                       // Each part keeps the font's current one when it is missing.
                       TFontPref &font = prefs.*i.field;
                       if (const auto v = reg.ReadString(name + QStringLiteral(".Name"));
                           v && !v->isEmpty())
                           font.Name = *v;
                       if (const auto v = reg.ReadInteger(name + QStringLiteral(".Size"));
                           v && *v > 0 && *v <= kMaxFontSize)
                           font.Size = *v;
                       if (const auto v = reg.ReadBool(name + QStringLiteral(".Style.fsBold")))
                           font.Bold = *v;
                       if (const auto v = reg.ReadBool(name + QStringLiteral(".Style.fsItalic")))
                           font.Italic = *v;
                   },
                   [&](const TLinesItem &i) {
                       const auto v = reg.ReadString(name);
                       if (v && !v->isEmpty()) prefs.*i.field = splitLines(*v);
                   },
                   [&](const TObsoleteItem &) { reg.DeleteValue(name); },
               },
               entry.item);
}

void writeEntry(const P &prefs, const TEntry &entry, TRegistry &reg)
{
    const QString name = QString::fromLatin1(entry.name);
    std::visit(
        TOverload{
            [&](const TBoolItem &i) { reg.WriteBool(name, prefs.*i.field); },
            [&](const TIntItem &i) { reg.WriteInteger(name, prefs.*i.field); },
            [&](const TModeItem &i) { reg.WriteInteger(name, prefs.*i.field); },
            [&](const TTextItem &i) { reg.WriteString(name, prefs.*i.field); },
            [&](const TColourItem &i) { reg.WriteInteger(name, static_cast<int>(prefs.*i.field)); },
            [&](const TFontItem &i) {
                const TFontPref &font = prefs.*i.field;
                reg.WriteString(name + QStringLiteral(".Name"), font.Name);
                reg.WriteInteger(name + QStringLiteral(".Size"), font.Size);
                reg.WriteBool(name + QStringLiteral(".Style.fsBold"), font.Bold);
                reg.WriteBool(name + QStringLiteral(".Style.fsItalic"), font.Italic);
            },
            [&](const TLinesItem &i) { reg.WriteString(name, joinLines(prefs.*i.field)); },
            [](const TObsoleteItem &) {},
        },
        entry.item);
}

bool openKey(TRegistry &reg, const QString &key)
{
    return reg.OpenKey(u'\\' + key, true);
}

} // namespace

TPreferences::TPreferences(int colourDepth)
{
    SetPreferenceDefaults(colourDepth);
}

void TPreferences::SetPreferenceDefaults(int colourDepth)
{
    const bool lowDepth = colourDepth < 9;
    for (const TEntry &entry : kVisible)
        setDefaults(*this, entry, lowDepth);
    for (const TEntry &entry : kInvisible)
        setDefaults(*this, entry, lowDepth);
    PluginList.clear();
    SUNews.clear();
    SUStatusLog.clear();
}

void TPreferences::LoadPreferences(TRegistry &reg)
{
    reg.SetRootKey(TRegistry::THive::CurrentUser);
    if (openKey(reg, kVisibleKey)) {
        for (const TEntry &entry : kVisible)
            readEntry(*this, entry, reg);
    }
    if (openKey(reg, kInvisibleKey)) {
        for (const TEntry &entry : kInvisible)
            readEntry(*this, entry, reg);
    }
    if (openKey(reg, kPluginsKey)) {
        PluginList.clear();
        for (const QString &name : reg.GetValueNames()) {
            if (!name.isEmpty()) // a default value is no plug-in
                PluginList.append(name);
        }
    }
    reg.CloseKey();
}

bool TPreferences::SavePreferences(TRegistry &reg, int curAlbumIndex, const QString &executablePath,
                                   QString *error)
{
    bool ok = true;
    reg.SetRootKey(TRegistry::THive::CurrentUser);
    if ((ok = openKey(reg, kVisibleKey))) {
        for (const TEntry &entry : kVisible)
            writeEntry(*this, entry, reg);
    }
    CurAlbum = curAlbumIndex;
    if (ok && (ok = openKey(reg, kInvisibleKey))) {
        for (const TEntry &entry : kInvisible)
            writeEntry(*this, entry, reg);
    }
    if (ok && (ok = openKey(reg, kPluginsKey))) {
        for (const QString &name : reg.GetValueNames())
            reg.DeleteValue(name);
        for (const QString &path : PluginList)
            reg.WriteString(path, QString());
    }

    // The class that media files associated with the program point at.
    reg.SetRootKey(TRegistry::THive::ClassesRoot);
    const QString cls = u'\\' + kMediaFileClass;
    if (ok && (ok = reg.OpenKey(cls, true)))
        reg.WriteString(QString(), QStringLiteral("Tonaria Media File"));
    if (ok && (ok = reg.OpenKey(cls + QStringLiteral("\\DefaultIcon"), true)))
        reg.WriteString(QString(), executablePath + QStringLiteral(",1"));
    if (ok && (ok = reg.OpenKey(cls + QStringLiteral("\\Shell\\Open\\Command"), true)))
        reg.WriteString(QString(),
                        u'"' + executablePath + QStringLiteral("\" /Play /Close \"%1\""));
    reg.CloseKey();
    reg.SetRootKey(TRegistry::THive::CurrentUser);

    if (!ok) {
        if (error) *error = QStringLiteral("Cannot open the preferences' registry keys");
        return false;
    }
    return reg.Flush(error);
}
