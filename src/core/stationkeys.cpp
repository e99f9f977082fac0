#include "core/stationkeys.h"

#include "core/stationcommands.h"
#include "core/tonariaglobals.h"
#include "core/transport.h"

namespace {

struct TShortcut {
    int key;
    Qt::KeyboardModifiers modifiers;
    TStationAction action;
};

const TShortcut kShortcuts[] = {
    {Qt::Key_Space, Qt::ControlModifier, TStationAction::aPlay},
    {Qt::Key_Space, Qt::NoModifier, TStationAction::aPlayPause},
    {Qt::Key_Left, Qt::ControlModifier, TStationAction::aPlayPrev},
    {Qt::Key_Right, Qt::ControlModifier, TStationAction::aPlayNext},
    {Qt::Key_Home, Qt::NoModifier, TStationAction::aPlayRew},
    {Qt::Key_PageUp, Qt::NoModifier, TStationAction::aPlayFB},
    {Qt::Key_PageDown, Qt::NoModifier, TStationAction::aPlayFF},
    {Qt::Key_F2, Qt::NoModifier, TStationAction::aEditTitles},
    {Qt::Key_F2, Qt::ControlModifier, TStationAction::aEditPrograms},
    {Qt::Key_F2, Qt::ShiftModifier, TStationAction::aEditAlbums},
    {Qt::Key_F1, Qt::NoModifier, TStationAction::aHelpTopics},
};

// The modifier keys the user holds; the keypad flag only tells where a key sits.
Qt::KeyboardModifiers Held(Qt::KeyboardModifiers modifiers)
{
    return modifiers & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
}

// A typed character counts whatever Shift does on the layout, but not with Ctrl, Alt or Meta.
bool PlainCharacter(Qt::KeyboardModifiers modifiers)
{
    return !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace

TStationKeys::TStationKeys(TTonariaGlobals &globals, TStationCommands &commands)
    : g_(globals), commands_(commands)
{
}

std::optional<TStationAction> TStationKeys::ShortcutAction(int key, Qt::KeyboardModifiers modifiers)
{
    for (const TShortcut &shortcut : kShortcuts)
        if (shortcut.key == key && shortcut.modifiers == Held(modifiers)) return shortcut.action;
    return std::nullopt;
}

bool TStationKeys::KeyPressed(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    // The typed number comes first: Escape drops it, digits extend it.
    if (key == Qt::Key_Escape && Held(modifiers) == Qt::NoModifier) {
        g_.Transport().CancelQuickNumber();
        // The digit buttons follow the digits typed.
        g_.UpdateControls();
        return true;
    }
    const QChar typed = text.size() == 1 ? text.front() : QChar();
    if (PlainCharacter(modifiers) && typed >= u'0' && typed <= u'9') {
        commands_.QuickNumberKey(typed);
        return true;
    }

    std::optional<TStationAction> action;
    if (PlainCharacter(modifiers) && typed == u'.')
        action = TStationAction::aPlayStop;
    else
        action = ShortcutAction(key, modifiers);
    if (!action) return false;
    if (commands_.ActionEnabled(*action)) commands_.ExecuteAction(*action);
    return true;
}
