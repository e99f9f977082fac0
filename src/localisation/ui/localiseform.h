#pragma once
// Puts the texts of the current language on a window; in generate mode it also records the
// window's own texts as entries of the window's group, so that a complete language file can
// be written from what is on screen.
//
// How a window is read:
// - a widget's or action's objectName is its name (names beginning "qt_" or "_q_" are Qt's
//   own parts and count as unnamed); its dynamic property "tag" (an integer, 0 when absent)
//   its tag: 0 translates caption and hint, 1 or any negative tag the hint only, 2 or more
//   nothing;
// - captions: the window title of the window itself; the text of labels and of buttons of
//   every kind (push, check, radio, tool buttons and their subclasses); the title of group
//   boxes; the tab text of a tab page; the text of menu items and actions;
// - hints are tool tips. A widget shows hints when its dynamic property "showHint" says so,
//   or, without that property, when it has a tool tip;
// - menus are the menu bars and menus owned (as QObject children) by the window or by any of
//   its controls, items at every depth; action lists are the actions owned by the window or
//   a control, directly or through a holder object (an action list or QActionGroup).
// A window whose group is missing keeps its design texts (generate mode creates the group);
// an entry with an empty value counts as missing. Generate mode writes the texts it did not
// find and then prunes the entries of controls that no longer exist.
//
// Threads: main thread only.

class QWidget;
class TLM;

void LocaliseForm(TLM &lm, QWidget *form, bool generate);
// With the program's language manager.
void LocaliseForm(QWidget *form, bool generate);
