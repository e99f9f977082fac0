#pragma once
// How much a package may unpack. A package is a handful of songs: MIDI files of a few hundred
// kilobytes at most, now and then a recorded piece. An archive that asks for more is a bomb or
// a mistake, and is refused before it fills the disk.
//
// Threads: any (plain values).
#include <cstdint>

struct TZipLimits {
    // One member: a gigabyte still holds an hour and a half of CD-quality sound, a thousand
    // times the largest MIDI file anyone plays.
    std::uint64_t MaxMemberSize = std::uint64_t(1) << 30;
    // All playable members of a package together, as the archive declares them.
    std::uint64_t MaxPackageSize = std::uint64_t(4) << 30;
    // Unpacked bytes per packed byte. Deflate reaches about 1000 only on long runs of a single
    // byte; MIDI files pack 3 to 10 times, sound 1 to 3 times, and even a recording with long
    // silences stays well below 200.
    std::uint64_t MaxRatio = 200;
    // The ratio is not held against the first bytes of a member: a small file that packs
    // well harms nobody.
    std::uint64_t RatioFreeSize = std::uint64_t(8) << 20;
};
