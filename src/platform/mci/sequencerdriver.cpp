#include "platform/mci/sequencerdriver.h"

#include "platform/mci/mcitransport.h"
#include "platform/midi/midifile.h"
#include "platform/midi/midifileplayer.h"
#include "platform/midi/synth.h"

#include <algorithm>
#include <vector>

namespace {

// How long the tails of a closed medium may ring in a synthesizer kept for the next one.
constexpr int kFlushSeconds = 3;

// A MIDI file playing on a synthesizer of its own (for as long as it is open).
class TMidiTransport : public TMciTransport {
public:
    TMidiTransport(std::shared_ptr<const TMidiFile> file, std::unique_ptr<TSynth> synth)
        : file_(std::move(file)), synth_(std::move(synth)), player_(file_, *synth_)
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

    std::unique_ptr<TSynth> takeSynth() { return std::move(synth_); }

private:
    std::shared_ptr<const TMidiFile> file_;
    std::unique_ptr<TSynth> synth_;
    TMidiFilePlayer player_;
    std::int64_t toMs_ = -1;
};

} // namespace

TSequencerDriver::TSequencerDriver() = default;
TSequencerDriver::~TSequencerDriver() = default;

MCIERROR TSequencerDriver::openElement(const QString &path, int sampleRate,
                                       std::unique_ptr<TMciTransport> &transport)
{
    auto file = std::make_shared<TMidiFile>();
    if (!file->load(path))
        return file->error() == TMidiFile::Error::CannotRead ? MCIERR_FILE_READ
                                                             : MCIERR_INVALID_FILE;

    std::unique_ptr<TSynth> synth;
    if (spare_ && spare_->sampleRate() == sampleRate) {
        synth = std::move(spare_);
        // Render away the release and reverb tails of the medium it played last.
        constexpr int kBlock = 4096;
        std::vector<float> scratch(std::size_t(kBlock) * 2);
        for (int done = 0; done < sampleRate * kFlushSeconds; done += kBlock)
            synth->render(scratch.data(), kBlock);
    }
    spare_.reset();
    if (!synth) synth = std::make_unique<TSynth>(sampleRate);
    if (!synth->isValid()) return MCIERR_SEQ_NOMIDIPRESENT;

    transport = std::make_unique<TMidiTransport>(std::move(file), std::move(synth));
    return 0;
}

void TSequencerDriver::release(std::unique_ptr<TMciTransport> transport)
{
    auto *midi = dynamic_cast<TMidiTransport *>(transport.get());
    if (!midi) return;
    std::unique_ptr<TSynth> synth = midi->takeSynth();
    transport.reset(); // the player goes before its synthesizer is touched again
    // Detached now: this thread may drive the synthesizer. The next medium starts from
    // power-on state and in silence, as a freshly opened device would.
    // The tails are rendered when the synthesizer is taken again, so a program that closes
    // its last medium and ends does not pay for them.
    synth->allNotesOff();
    synth->systemReset();
    spare_ = std::move(synth);
}
