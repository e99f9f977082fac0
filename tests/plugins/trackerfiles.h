#pragma once
// Small tracker modules of our own making for the tests: a looped sine cycle struck every fourth
// row at one pitch (about 130 Hz, MIDI key 48), at speed 3 and 125 beats per minute, so every row
// lasts 60 ms and a module of P patterns of R rows lasts P * R * 60 ms.
#include <QByteArray>

namespace TrackerFiles {

constexpr int RowMs = 60;

// A four-channel ProTracker module ("M.K."); `rows` (1 to 64) per pattern, cut short by a
// pattern break when below 64.
QByteArray Mod(int patterns, int rows, const char *title = "tonaria mod");

// A FastTracker II module (version 1.04) of `channels` channels (2 to 32), every one of them
// playing, `rows` (1 to 256) per pattern.
QByteArray Xm(int patterns, int rows, const char *title = "tonaria xm", int channels = 2);

} // namespace TrackerFiles
