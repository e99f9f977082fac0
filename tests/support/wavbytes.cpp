#include "wavbytes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

QByteArray MakeWav(int rate, int channels, int frames, const std::function<double(int, int)> &value)
{
    QByteArray out;
    auto le16 = [&out](int v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto le32 = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
    };
    const std::uint32_t dataBytes = std::uint32_t(frames * channels * 2);
    out.append("RIFF", 4);
    le32(36 + dataBytes);
    out.append("WAVEfmt ", 8);
    le32(16);
    le16(1);
    le16(channels);
    le32(std::uint32_t(rate));
    le32(std::uint32_t(rate * channels * 2));
    le16(channels * 2);
    le16(16);
    out.append("data", 4);
    le32(dataBytes);
    for (int n = 0; n < frames; ++n) {
        for (int c = 0; c < channels; ++c)
            le16(int(std::lrint(std::clamp(value(n, c), -1.0, 1.0) * 32767.0)));
    }
    return out;
}
