#pragma once
// The "sequencer" device: Standard MIDI Files (".mid", ".rmi", ".kar") played on the built-in
// synthesizer (FluidSynth with a General MIDI SoundFont), device type MCI_DEVTYPE_SEQUENCER.
//
// The synthesizer outlives the medium: a closed medium hands it back and the next open takes it,
// so the SoundFont is loaded once, not for every title.
//
// Threads: main thread only.

#include "platform/mci/mcidriver.h"

class TSynth;

class TSequencerDriver : public TMciDriver {
public:
    TSequencerDriver();
    ~TSequencerDriver() override;

    QString name() const override { return QStringLiteral("sequencer"); }
    std::uint32_t deviceType() const override { return MCI_DEVTYPE_SEQUENCER; }
    QString product() const override { return QStringLiteral("MIDI Sequencer"); }

    MCIERROR openElement(const QString &path, int sampleRate,
                         std::unique_ptr<TMciTransport> &transport) override;
    void release(std::unique_ptr<TMciTransport> transport) override;

private:
    // A synthesizer kept for the next open.
    std::unique_ptr<TSynth> spare_;
};
