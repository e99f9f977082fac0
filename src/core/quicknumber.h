#pragma once
// The quick number: a title of the current program picked by typing its number (1 for the
// first title). These answer what the typed digits may still become.
//
// Threads: main thread only.

#include <QStringView>

class TAlbum;
class TProgram;

// The number of decimal digits of the current program's title count; 0 when there is no album,
// no current program or the album has no titles.
int QuickNumberWidth(const TAlbum *album);

// The position (from 0) in the program that the digits name, or -1 when they name none of its
// titles (no program, no digits, not a number, 0, or past its end).
int QuickNumberPosition(const TProgram *program, QStringView digits);
