#pragma once
// Applying the loaded theme to a skinned window: the group for the screen's colour depth is
// read entry by entry, and each entry whose first key part is the window's name changes the
// window or one of its components (background, outline, button pictures and glyphs, meter and
// flag pictures, bounds). Afterwards the window takes its background's size and the button
// collections load or generate their strips.
//
// Every application starts from empty button collections, so a window shows exactly what the
// group names; bounds, button sources and glyphs keep their values unless the group sets them.
// A picture that cannot be read, or a bound that is not a number, stops the application at
// that entry with an error message; what was applied before stays.
//
// Threads: main thread only.

#include <QString>

#include <functional>

class TSkinForm;
class TUIMan;

// What a theme needs of the program around the windows.
struct TThemeHost {
    // The themes folder, ending in "/"; theme picture paths are relative to it.
    QString ThemesFolder;
    // The display-flag preference, and applying the preferences again after it went off.
    std::function<bool()> DisplayFlag;
    std::function<void(bool)> SetDisplayFlag;
    std::function<void()> ApplyPreferences;
    // The screen's colour depth in bits per pixel; 0 asks the screen.
    int ScreenDepth = 0;
};

// Applies the theme to the window; false when there is no window or no group, or the
// application stopped at a faulty entry.
bool ApplyTheme(const TUIMan &manager, TSkinForm *window, const TThemeHost &host);

// What each skinned window does at the end of its creation, and the preferences dialog's Apply
// for every window that exists: when a theme is chosen (themeName not empty), apply it and
// repaint.
void ApplyThemeToForm(const TUIMan &manager, TSkinForm *window, const QString &themeName,
                      const TThemeHost &host);
// Both skinned windows, each when it exists (nullptr when not).
void ApplyThemeToForms(const TUIMan &manager, TSkinForm *display, TSkinForm *floatbar,
                       const QString &themeName, const TThemeHost &host);
