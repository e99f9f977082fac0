#include "platform/ui/colourmap.h"

#include <QGuiApplication>

#include <array>

namespace {

QColor fromBgr(std::uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// The desktop's system colours by index, as palette roles.
QColor systemColour(std::uint32_t index, const QPalette &p)
{
    using R = QPalette;
    switch (index) {
    case 0:
        return p.color(R::Button); // scroll bar
    case 1:
        return p.color(R::Window); // desktop
    case 2:
        return p.color(R::Active, R::Highlight); // active caption
    case 3:
        return p.color(R::Inactive, R::Highlight); // inactive caption
    case 4:
        return p.color(R::Window); // menu
    case 5:
        return p.color(R::Base); // window
    case 6:
        return p.color(R::Shadow); // window frame
    case 7:
        return p.color(R::WindowText); // menu text
    case 8:
        return p.color(R::Text); // window text
    case 9:
        return p.color(R::Active, R::HighlightedText); // caption text
    case 10:
        return p.color(R::Active, R::Window); // active border
    case 11:
        return p.color(R::Inactive, R::Window); // inactive border
    case 12:
        return p.color(R::Dark); // application workspace
    case 13:
        return p.color(R::Highlight); // highlight
    case 14:
        return p.color(R::HighlightedText); // highlighted text
    case 15:
        return p.color(R::Button); // button face
    case 16:
        return p.color(R::Dark); // button shadow
    case 17:
        return p.color(R::Disabled, R::Text); // grey text
    case 18:
        return p.color(R::ButtonText); // button text
    case 19:
        return p.color(R::Inactive, R::HighlightedText); // inactive caption text
    case 20:
        return p.color(R::Light); // button highlight
    case 21:
        return p.color(R::Shadow); // dark 3-D shadow
    case 22:
        return p.color(R::Midlight); // 3-D light
    case 23:
        return p.color(R::ToolTipText); // tooltip text
    case 24:
        return p.color(R::ToolTipBase); // tooltip background
    case 26:
        return p.color(R::Link); // hot-tracked item
    case 27:
        return p.color(R::Active, R::Highlight); // gradient of the active caption
    case 28:
        return p.color(R::Inactive, R::Highlight); // ... of the inactive caption
    case 29:
        return p.color(R::Highlight); // highlighted menu item
    case 30:
        return p.color(R::Window); // menu bar
    default:
        return p.color(R::Window);
    }
}

// The 16 colours every palette starts with, as 0x00BBGGRR.
constexpr std::array<std::uint32_t, 16> kStandardPalette = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF};

} // namespace

QColor ColourToQColor(std::uint32_t value, const QPalette &palette)
{
    if (value & 0x80000000u) return systemColour(value & 0x7FFFFFFFu, palette);
    switch (value >> 24) {
    case 0x01: {
        const std::uint32_t index = value & 0xFFFF;
        return fromBgr(index < kStandardPalette.size() ? kStandardPalette[index] : 0);
    }
    default:
        return fromBgr(value);
    }
}

QColor ColourToQColor(std::uint32_t value)
{
    return ColourToQColor(value, QGuiApplication::palette());
}

std::uint32_t ColourFromQColor(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return std::uint32_t(rgb.red()) | std::uint32_t(rgb.green()) << 8 |
           std::uint32_t(rgb.blue()) << 16;
}
