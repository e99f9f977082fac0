#pragma once
// WAV files made on the spot for the tests.
#include <QByteArray>

#include <functional>

// A 16-bit PCM WAV file of `frames` frames at `rate`: sample n of channel c is `value(n, c)`
// (-1..1).
QByteArray MakeWav(int rate, int channels, int frames,
                   const std::function<double(int, int)> &value);
