#pragma once
// What the display texts write into the display window. The display window implements it
// and installs itself while it exists; with none installed nothing is written.
//
// Threads: main thread only.

#include <QString>

#include <cstdint>

// The display window's controls whose enabled state follows the transport.
enum class TDisplayControl {
    bbAddToProgram,
    bbRemoveFromAlbum,
    bbRemoveFromProgram,
    bbModeLoad,
    bbModeStore,
    bb0,
    bb1,
    bb2,
    bb3,
    bb4,
    bb5,
    bb6,
    bb7,
    bb8,
    bb9,
    tpbDisplay,
    bbEject,
};

// The digit button of a digit 0 to 9.
inline TDisplayControl DigitButton(int digit)
{
    return TDisplayControl(int(TDisplayControl::bb0) + digit);
}

class TDisplaySink {
public:
    virtual ~TDisplaySink() = default;

    // While the user drags the position bar, its own position (milliseconds) stands for the
    // player's; false when no drag is under way.
    virtual bool DraggedPosition(std::uint32_t &position) const = 0;

    // The position bar `tpbDisplay`: its range and where it stands (milliseconds).
    virtual void SetPositionBar(std::uint32_t maximum, std::uint32_t position) = 0;
    // `tlCaption`.
    virtual void SetCaption(const QString &caption) = 0;
    // `tlTime` (the main time, or the quick number being typed), `tlTime2` (the other time)
    // and `tlTimeTotal` (the length).
    virtual void SetTimes(const QString &time, const QString &time2, const QString &total) = 0;
    virtual void SetControlEnabled(TDisplayControl control, bool enabled) = 0;
    // One step of the flag animation.
    virtual void AdvanceAnimation() = 0;
    // The two meter bars `blL` and `blR`, on the scale 0 to 32768.
    virtual void SetMeter(std::int32_t left, std::int32_t right) = 0;
};
