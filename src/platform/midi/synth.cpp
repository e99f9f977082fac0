#include "platform/midi/synth.h"

TSynth::TSynth(int sampleRate, const QString &) : sampleRate_(sampleRate) {}
TSynth::~TSynth() = default;
void TSynth::send(std::uint32_t) noexcept {}
void TSynth::sendSysEx(std::span<const std::uint8_t>) noexcept {}
void TSynth::allNotesOff() noexcept {}
void TSynth::render(float *, int) noexcept {}
void TSynth::systemReset() noexcept {}
int TSynth::program(int) const noexcept
{
    return -1;
}
int TSynth::bank(int) const noexcept
{
    return -1;
}
int TSynth::controller(int, int) const noexcept
{
    return -1;
}
int TSynth::pitchBend(int) const noexcept
{
    return -1;
}
int TSynth::activeVoices() const noexcept
{
    return 0;
}
void TSynth::setMasterVolume(int) noexcept {}
