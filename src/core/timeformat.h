#pragma once
// Time texts: a position or length as the player reports it, split into its parts by the time
// format it is in, then written out through a pattern of letters.
//
// Pattern letters (every other character is copied as it stands):
//   B b  bytes            F  frames            f  frames, two digits
//   H    hours            h  hours, two digits M  total minutes, two digits
//   m    minutes, two digits                   S  total seconds
//   s    seconds, two digits                   T  track            t  track, two digits
//   U    total milliseconds                    u  hundredths, two digits
//   V    half the total milliseconds           v  milliseconds, three digits
//   X x  samples
// "Two digits" pads with zeros to at least two characters; a larger value keeps all its digits
// (a hundred hours is "100").
//
// Threads: any (pure functions).

#include <QString>
#include <QStringView>

#include <cstdint>

struct TTimeParts {
    std::int64_t Hours = 0;
    std::int64_t Minutes = 0;
    std::int64_t Seconds = 0;
    std::int64_t Milliseconds = 0;
    std::int64_t Frames = 0;
    std::int64_t Track = 0;
    std::int64_t Bytes = 0;
    std::int64_t Samples = 0;

    std::int64_t TotalMinutes() const { return Hours * 60 + Minutes; }
    std::int64_t TotalSeconds() const { return TotalMinutes() * 60 + Seconds; }
    std::int64_t TotalMilliseconds() const { return TotalSeconds() * 1000 + Milliseconds; }
};

// Splits a value of the given media-control time format (milliseconds, hours-minutes-seconds,
// minutes-seconds-frames, frames, bytes, samples or tracks-minutes-seconds-frames); a format
// not in that list gives all parts 0.
TTimeParts DecomposeTime(std::uint32_t value, std::uint32_t timeFormat);

// The pattern a time of that format is shown with when nothing else is asked for.
QString DefaultTimePattern(std::uint32_t timeFormat);

// Writes the parts out through the pattern.
QString FormatTimeParts(const TTimeParts &parts, QStringView pattern);
