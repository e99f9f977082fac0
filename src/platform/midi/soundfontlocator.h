#pragma once
// Finds the General MIDI SoundFont of the built-in synthesizer.
//
// Threads: any.

#include <QString>

class TSoundFontLocator {
public:
    // The folder searched when no SoundFont is named.
    static constexpr const char *DefaultFolder = "/usr/share/sounds/sf2";

    // TONARIA_SOUNDFONT when set to an existing file; else DefaultFolder/default-GM.sf2; else the
    // first ".sf2" file of DefaultFolder in name order; else an empty string.
    static QString locate();
    // The same search with the environment value and the folder given (for tests).
    static QString locate(const QString &environmentValue, const QString &folder);
};
