#pragma once
// Font preferences as Qt fonts and back, for the windows and the font dialog.
//
// Threads: main thread.

#include "settings/preferences.h"

#include <QFont>

QFont FontFromPref(const TFontPref &pref);
TFontPref FontToPref(const QFont &font);
