#pragma once
// Colour values of theme files: a number (0x00BBGGRR, or 0x80000000 plus a system colour
// index) or one of the names "clBlack" ... "clWhite" (the sixteen standard colours) and
// "clScrollBar" ... "clInfoBk" (the system colours 0 to 24). Names match without regard to
// letter case.
//
// Threads: any.

#include <QStringView>

#include <cstdint>

bool ParseThemeColour(QStringView text, std::uint32_t &colour);
