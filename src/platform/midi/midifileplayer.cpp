#include "platform/midi/midifileplayer.h"

TMidiFilePlayer::TMidiFilePlayer(std::shared_ptr<const TMidiFile> file, TMidiSink &sink)
    : file_(std::move(file)), sink_(sink), lengthMs_(file_->lengthMs())
{
}
TMidiFilePlayer::~TMidiFilePlayer() = default;
void TMidiFilePlayer::play(std::int64_t, std::int64_t) {}
void TMidiFilePlayer::pause() {}
void TMidiFilePlayer::resume() {}
void TMidiFilePlayer::stop() {}
void TMidiFilePlayer::seek(std::int64_t) {}
void TMidiFilePlayer::close() {}
std::uint32_t TMidiFilePlayer::positionMs() const
{
    return 0;
}
TMidiFilePlayer::Mode TMidiFilePlayer::mode() const
{
    return Mode::Stopped;
}
bool TMidiFilePlayer::reachedEnd() const
{
    return false;
}
void TMidiFilePlayer::mixInto(float *, int, int) noexcept {}
