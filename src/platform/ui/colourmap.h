#pragma once
// The desktop's colour values as Qt colours: 0x00BBGGRR is a plain colour; a top byte of 0x02
// marks a palette-relative colour, which on a true-colour screen is the same colour; 0x01 marks a
// palette index, of which only the 16 standard colours are known; 0x80000000 + n is the system
// colour n, taken from the application's palette.
//
// Threads: main thread (the palette belongs to it).

#include <QColor>
#include <QPalette>

#include <cstdint>

QColor ColourToQColor(std::uint32_t value, const QPalette &palette);
QColor ColourToQColor(std::uint32_t value);
// A plain colour value (0x00BBGGRR) for a Qt colour; the alpha channel is dropped.
std::uint32_t ColourFromQColor(const QColor &colour);
