#pragma once
// Audio CD images made on the spot: a .cue sheet with its .bin of generated tracks, for the
// "cdaudio" device to read in place of a drive (TONARIA_CDROM names the .cue).
#include <QString>

#include <cstdint>
#include <vector>

struct TCdImageTrack {
    int sectors = 75;  // 588 stereo frames each, 75 to a second
    bool audio = true; // false: a data track (mode 1, raw sectors)
    std::uint32_t seed = 1;
};

// Sample `channel` (0 left, 1 right) of frame `frame` of an audio track made from `seed`: noise
// at a third of full scale, different for every seed, frame and channel.
std::int16_t CdImageSample(std::uint32_t seed, std::int64_t frame, int channel);

// Writes `folder`/`name`.bin and `folder`/`name`.cue, the tracks one after the other from the
// disc's first sector, and returns the path of the .cue (empty when it cannot be written).
QString WriteCdImage(const QString &folder, const QString &name,
                     const std::vector<TCdImageTrack> &tracks);

// Sets TONARIA_CDROM for as long as it lives, and puts the old value back.
class TCdromVariable {
public:
    explicit TCdromVariable(const QString &value);
    ~TCdromVariable();
    TCdromVariable(const TCdromVariable &) = delete;
    TCdromVariable &operator=(const TCdromVariable &) = delete;

private:
    QByteArray old_;
    bool had_ = false;
};
