#pragma once
// The keyboard of the display window and the floating bar: Escape and the digits feed the
// typed title number, "." stops, and the shortcuts run the station's actions.
//
// A shortcut runs its action only when the action is enabled, and only when the modifier keys
// held are exactly those of the shortcut (Ctrl+Shift+Space is not Ctrl+Space). The keypad is not
// a modifier: its Home, Page Up and digits count as the main keys do.
//
// Threads: main thread only.

#include "core/stationactions.h"

#include <QString>
#include <Qt>

#include <optional>

class TStationCommands;
class TTonariaGlobals;

class TStationKeys {
public:
    // Both must outlive the keys.
    TStationKeys(TTonariaGlobals &globals, TStationCommands &commands);

    // One key event of either window: the key code, the modifiers held and the text typed.
    // Returns true when the key was one of the program's own (used, or refused because its
    // action is disabled), so that the window takes it no further.
    bool KeyPressed(int key, Qt::KeyboardModifiers modifiers, const QString &text);

    // The action a key with exactly these modifiers stands for, or none.
    static std::optional<TStationAction> ShortcutAction(int key, Qt::KeyboardModifiers modifiers);

private:
    TTonariaGlobals &g_;
    TStationCommands &commands_;
};
