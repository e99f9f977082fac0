#pragma once
// The one language manager of the program, and the loading of the chosen language into it.
//
// Threads: main thread only.

#include "localisation/lm.h"

// The process-wide language manager; it lives from first use to the end of the program.
TLM &languageManager();

// Rebuilds the language manager from the language folder: clears it; an empty language
// name loads nothing and gives false. Any language but "English" has "English.tlg" loaded
// first, so that whatever a translation lacks still shows in English (a failure there is
// shown but does not count); then "<language>.tlg" is loaded and its result returned.
// The caller localises the windows that exist afterwards.
bool LoadLanguage(const QString &langFolder, const QString &language);
bool LoadLanguage(TLM &lm, const QString &langFolder, const QString &language);
