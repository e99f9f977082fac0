#pragma once
// The view's colours: a dark, calm ground, quiet captions, and one warm colour for what is sung.

#include <QColor>

namespace ViewColours {

inline const QColor Window{0x0f, 0x11, 0x15};
inline const QColor CardTop{0x1b, 0x1f, 0x27};
inline const QColor CardBottom{0x14, 0x17, 0x1d};
inline const QColor CardEdge{0x27, 0x2c, 0x36};
inline const QColor Caption{0x9a, 0xa2, 0xb4};
inline const QColor Quiet{0x6b, 0x73, 0x84};
inline const QColor Track{0x26, 0x2b, 0x35};
inline const QColor Unsung{0xd2, 0xd7, 0xe1};
inline const QColor Next{0x74, 0x7c, 0x8e};
inline const QColor Sung{0xff, 0xc1, 0x4d};
inline const QColor SungDim{0xd9, 0x9e, 0x3a};
inline const QColor Glow{0xff, 0xa8, 0x20, 0x50};
inline const QColor KeyWhite{0x3a, 0x40, 0x4d};
inline const QColor KeyC{0x48, 0x4f, 0x5e}; // every C, to find one's way
inline const QColor KeyBlack{0x10, 0x12, 0x16};
inline const QColor Gutter{0x80, 0x88, 0x99};

// The colour of channel c (0-based): hues spread round the wheel so neighbours differ.
inline QColor Channel(int c)
{
    return QColor::fromHsv((25 + c * 137) % 360, 140, 250);
}

} // namespace ViewColours
