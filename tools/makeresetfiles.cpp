// Writes the MIDI reset files that ship in the program folder's "Reset" folder:
//   makeresetfiles OUTPUT_FOLDER
// Each file is a one-track Standard MIDI File holding one reset message at its start and
// ending 200 ms later, because a hardware synthesizer needs that long after a reset before it
// takes notes again. The sound is nothing; what matters is that the synthesizer ends up in its
// power-on state.
#include "scorewriter.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr std::uint32_t kTempo = 500000;          // microseconds per quarter note
constexpr std::uint32_t kTailTicks = 480 * 2 / 5; // 200 ms at this tempo and 480 ticks a quarter

// A reset file: track name, tempo, the SysEx message (its bytes after F0, ending in F7) at tick
// 0, and the end of the track 200 ms later.
TScoreWriter ResetFile(const std::string &name, const TScoreWriter::Bytes &sysexBody)
{
    TScoreWriter file(480);
    const int track = file.AddTrack();
    file.Text(track, 0, 0x03, name);
    file.Tempo(track, 0, kTempo);
    file.SysEx(track, 0, sysexBody);
    file.EndAt(kTailTicks);
    return file;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    struct Reset {
        const char *file;
        const char *name;
        TScoreWriter::Bytes body;
    };
    const Reset resets[] = {
        // General MIDI System On (universal non-real-time, all devices).
        {"GM Reset.mid", "GM Reset", {0x7E, 0x7F, 0x09, 0x01, 0xF7}},
        // Roland GS reset: data set 1 to address 40 00 7F, value 00, with its checksum.
        {"GS Reset.mid", "GS Reset", {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}},
        // Yamaha XG System On: parameter change to address 00 00 7E, value 00.
        {"XG Reset.mid", "XG Reset", {0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}},
    };
    for (const Reset &reset : resets) {
        if (!ResetFile(reset.name, reset.body).Write(folder + reset.file)) {
            std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), reset.file);
            return 1;
        }
    }
    return 0;
}
