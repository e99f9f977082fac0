#include "platform/mci/sequencerdriver.h"

#include "platform/mci/mcitransport.h"
#include "platform/midi/midifile.h"
#include "platform/midi/midifileplayer.h"
#include "platform/midi/synthpool.h"

#include <algorithm>

namespace {

// A MIDI file playing on a sink of its own (for as long as it is open).
class TMidiTransport : public TMciTransport {
public:
    TMidiTransport(std::shared_ptr<const TMidiFile> file, std::unique_ptr<TMidiSink> sink)
        : file_(std::move(file)), sink_(std::move(sink)), player_(file_, *sink_)
    {
    }

    void play(std::int64_t fromMs, std::int64_t toMs) override
    {
        toMs_ = toMs;
        player_.play(fromMs, toMs);
    }
    void pause() override { player_.pause(); }
    void resume() override { player_.resume(); }
    void stop() override { player_.stop(); }
    void seek(std::int64_t ms) override { player_.seek(ms); }
    void close() override { player_.close(); }
    std::uint32_t positionMs() const override
    {
        // A play that ran to its end stands exactly where it was asked to stop: the length
        // itself when it played to the end.
        if (player_.reachedEnd())
            return toMs_ < 0 ? player_.lengthMs()
                             : std::uint32_t(std::min<std::int64_t>(toMs_, player_.lengthMs()));
        return player_.positionMs();
    }
    std::uint32_t lengthMs() const override { return player_.lengthMs(); }
    Mode mode() const override
    {
        switch (player_.mode()) {
        case TMidiFilePlayer::Mode::Playing:
            return Mode::Playing;
        case TMidiFilePlayer::Mode::Paused:
            return Mode::Paused;
        case TMidiFilePlayer::Mode::Stopped:
            break;
        }
        return Mode::Stopped;
    }
    bool reachedEnd() const override { return player_.reachedEnd(); }

    bool statusItem(std::uint32_t item, std::uintptr_t &value) const override
    {
        switch (item) {
        case MCI_SEQ_STATUS_TEMPO: {
            // Beats per minute at the current position (the time format is milliseconds).
            const std::int64_t us = std::int64_t(player_.positionMs()) * 1000;
            std::uint32_t usPerQuarter = 500000;
            for (const TMidiTempo &tempo : file_->tempoMap()) {
                if (tempo.timeUs > us) break;
                usPerQuarter = tempo.usPerQuarter;
            }
            value = usPerQuarter ? (60000000u + usPerQuarter / 2) / usPerQuarter : 0;
            return true;
        }
        case MCI_SEQ_STATUS_DIVTYPE: {
            // MCI_SEQ_DIV_PPQN and the SMPTE kinds follow it at 1216 + n.
            const auto division = std::int16_t(file_->division());
            if (division >= 0) {
                value = 1216;
            } else {
                switch (-(division >> 8)) {
                case 24:
                    value = 1217;
                    break;
                case 25:
                    value = 1218;
                    break;
                case 29:
                    value = 1219;
                    break;
                default:
                    value = 1220;
                    break;
                }
            }
            return true;
        }
        case MCI_SEQ_STATUS_PORT:
            value = 0xFFFF; // the mapper: the built-in synthesizer
            return true;
        default:
            return false;
        }
    }

    TAudioSource &source() override { return player_; }
    // The built-in synthesizer's release and reverb ring on after close; a port's do not.
    bool ringsOut() const override { return dynamic_cast<const TSynthSink *>(sink_.get()); }

    std::unique_ptr<TMidiSink> takeSink() { return std::move(sink_); }

private:
    std::shared_ptr<const TMidiFile> file_;
    std::unique_ptr<TMidiSink> sink_;
    TMidiFilePlayer player_;
    std::int64_t toMs_ = -1;
};

} // namespace

TSequencerDriver::TSequencerDriver() = default;

TSequencerDriver::TSequencerDriver(const QString &name, const QString &product, TSinkOpener opener)
    : name_(name), product_(product), opener_(std::move(opener))
{
}

TSequencerDriver::~TSequencerDriver() = default;

std::unique_ptr<TMidiSink> TSequencerDriver::openSynth(int sampleRate, bool waitForLoad,
                                                       MCIERROR &error)
{
    std::unique_ptr<TSynthSink> sink = TSynthPool::shared().acquire(sampleRate);
    if (!sink) {
        error = MCIERR_SEQ_NOMIDIPRESENT;
        return nullptr;
    }
    // A render that is not paced by a clock would write silence for as long as the load takes.
    if (waitForLoad && !sink->isReady()) TSynthPool::shared().waitForLoads();
    return sink;
}

MCIERROR TSequencerDriver::openElement(const QString &path, const TMciOutputFormat &format,
                                       std::unique_ptr<TMciTransport> &transport)
{
    auto file = std::make_shared<TMidiFile>();
    if (!file->load(path))
        return file->error() == TMidiFile::Error::CannotRead ? MCIERR_FILE_READ
                                                             : MCIERR_INVALID_FILE;
    MCIERROR error = MCIERR_SEQ_PORT_NONEXISTENT;
    std::unique_ptr<TMidiSink> sink =
        opener_ ? opener_(format.sampleRate, error)
                : openSynth(format.sampleRate, format.unpaced, error);
    if (!sink) return error;
    transport = std::make_unique<TMidiTransport>(std::move(file), std::move(sink));
    return 0;
}

void TSequencerDriver::release(std::unique_ptr<TMciTransport> transport)
{
    auto *midi = dynamic_cast<TMidiTransport *>(transport.get());
    if (!midi) return;
    std::unique_ptr<TMidiSink> sink = midi->takeSink();
    transport.reset(); // the player goes before its sink is touched again
    // Detached now: this thread may drive the sink, and silences it. (The built-in synthesizer
    // rings out instead, and goes back to its pool when its tail has ended.)
    sink->allNotesOff();
}
