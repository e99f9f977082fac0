#include "presentation/theme/themecolour.h"

#include "platform/system/asciicase.h"
#include "presentation/theme/tuiman.h"

#include <array>

namespace {

struct TNamedColour {
    const char16_t *Name;
    std::uint32_t Value;
};

constexpr std::array<TNamedColour, 16> kStandard = {{
    {u"clBlack", 0x000000},
    {u"clMaroon", 0x000080},
    {u"clGreen", 0x008000},
    {u"clOlive", 0x008080},
    {u"clNavy", 0x800000},
    {u"clPurple", 0x800080},
    {u"clTeal", 0x808000},
    {u"clGray", 0x808080},
    {u"clSilver", 0xC0C0C0},
    {u"clRed", 0x0000FF},
    {u"clLime", 0x00FF00},
    {u"clYellow", 0x00FFFF},
    {u"clBlue", 0xFF0000},
    {u"clFuchsia", 0xFF00FF},
    {u"clAqua", 0xFFFF00},
    {u"clWhite", 0xFFFFFF},
}};

// In the order of the system colour indices 0 to 24.
constexpr std::array<const char16_t *, 25> kSystem = {
    u"clScrollBar",    u"clBackground",  u"clActiveCaption", u"clInactiveCaption",
    u"clMenu",         u"clWindow",      u"clWindowFrame",   u"clMenuText",
    u"clWindowText",   u"clCaptionText", u"clActiveBorder",  u"clInactiveBorder",
    u"clAppWorkSpace", u"clHighlight",   u"clHighlightText", u"clBtnFace",
    u"clBtnShadow",    u"clGrayText",    u"clBtnText",       u"clInactiveCaptionText",
    u"clBtnHighlight", u"cl3DDkShadow",  u"cl3DLight",       u"clInfoText",
    u"clInfoBk"};

} // namespace

bool ParseThemeColour(QStringView text, std::uint32_t &colour)
{
    for (const TNamedColour &c : kStandard) {
        if (SameAsciiNoCase(text, QStringView(c.Name))) {
            colour = c.Value;
            return true;
        }
    }
    for (size_t i = 0; i < kSystem.size(); ++i) {
        if (SameAsciiNoCase(text, QStringView(kSystem[i]))) {
            colour = 0x80000000u + std::uint32_t(i);
            return true;
        }
    }
    int value = 0;
    if (!ParseThemeInteger(text, value)) return false;
    colour = std::uint32_t(value);
    return true;
}
