#include "platform/midiout/recordingmidiout.h"

TRecordingMidiOut::TRecordingMidiOut(std::string name) : name_(std::move(name)) {}

MMRESULT TRecordingMidiOut::open()
{
    std::lock_guard lock(mutex_);
    open_ = true;
    return MMSYSERR_NOERROR;
}

void TRecordingMidiOut::close()
{
    std::lock_guard lock(mutex_);
    open_ = false;
}

MMRESULT TRecordingMidiOut::sendShort(const TShortMessage &message) noexcept
{
    try {
        std::lock_guard lock(mutex_);
        TEntry e;
        e.message = message;
        entries_.push_back(std::move(e));
        return MMSYSERR_NOERROR;
    } catch (...) {
        return MMSYSERR_NOMEM;
    }
}

MMRESULT TRecordingMidiOut::sendLong(const std::uint8_t *data, std::size_t length)
{
    std::lock_guard lock(mutex_);
    if (longResult_ != MMSYSERR_NOERROR) return longResult_;
    TEntry e;
    e.kind = TEntry::Long;
    e.data.assign(data, data + length);
    entries_.push_back(std::move(e));
    return MMSYSERR_NOERROR;
}

MMRESULT TRecordingMidiOut::reset()
{
    std::lock_guard lock(mutex_);
    TEntry e;
    e.kind = TEntry::Reset;
    entries_.push_back(std::move(e));
    return MMSYSERR_NOERROR;
}

void TRecordingMidiOut::setLongResult(MMRESULT result)
{
    std::lock_guard lock(mutex_);
    longResult_ = result;
}

std::vector<TRecordingMidiOut::TEntry> TRecordingMidiOut::entries() const
{
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<std::uint32_t> TRecordingMidiOut::shortWords() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::uint32_t> words;
    for (const TEntry &e : entries_) {
        if (e.kind == TEntry::Short) words.push_back(e.message.packed);
    }
    return words;
}

void TRecordingMidiOut::clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
}

bool TRecordingMidiOut::isOpen() const
{
    std::lock_guard lock(mutex_);
    return open_;
}
