// Writes the MIDI reset files that ship in the program folder's "Reset" folder:
//   makeresetfiles OUTPUT_FOLDER
// Each file is a one-track Standard MIDI File holding one reset message at its start and
// ending 200 ms later, because a hardware synthesizer needs that long after a reset before it
// takes notes again. The sound is nothing; what matters is that the synthesizer ends up in its
// power-on state.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kDivision = 480;          // ticks per quarter note
constexpr std::uint32_t kTempo = 500000;          // microseconds per quarter note
constexpr std::uint32_t kTailTicks = 480 * 2 / 5; // 200 ms at this tempo and division

void PutBigEndian(Bytes &out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

void PutVariableLength(Bytes &out, std::uint32_t value)
{
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = std::uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(std::uint8_t(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

// A reset file: track name, tempo, the SysEx message (its bytes after F0, ending in F7) at tick
// 0, and the end of the track 200 ms later.
Bytes ResetFile(const std::string &name, const Bytes &sysexBody)
{
    Bytes track;
    PutVariableLength(track, 0);
    track.insert(track.end(), {0xFF, 0x03});
    PutVariableLength(track, std::uint32_t(name.size()));
    track.insert(track.end(), name.begin(), name.end());
    PutVariableLength(track, 0);
    track.insert(track.end(), {0xFF, 0x51, 0x03});
    PutBigEndian(track, kTempo, 3);
    PutVariableLength(track, 0);
    track.push_back(0xF0);
    PutVariableLength(track, std::uint32_t(sysexBody.size()));
    track.insert(track.end(), sysexBody.begin(), sysexBody.end());
    PutVariableLength(track, kTailTicks);
    track.insert(track.end(), {0xFF, 0x2F, 0x00});

    Bytes file = {'M', 'T', 'h', 'd'};
    PutBigEndian(file, 6, 4);
    PutBigEndian(file, 0, 2); // format 0
    PutBigEndian(file, 1, 2); // one track
    PutBigEndian(file, kDivision, 2);
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutBigEndian(file, std::uint32_t(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

bool Write(const std::string &path, const Bytes &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
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
        Bytes body;
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
        if (!Write(folder + reset.file, ResetFile(reset.name, reset.body))) {
            std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), reset.file);
            return 1;
        }
    }
    return 0;
}
