#pragma once
// A sequencer-type device: Standard MIDI Files (".mid", ".rmi", ".kar"), device type
// MCI_DEVTYPE_SEQUENCER. The "sequencer" device plays them on the built-in synthesizer
// (FluidSynth with a General MIDI SoundFont); more devices of this kind (a hardware MIDI port
// each) are made with a name, a product name and a function that opens their sink, and
// registered with the media-control layer.
//
// The built-in synthesizers come from their pool (TSynthPool): the SoundFont loads in the
// background, and a closed medium's synthesizer goes back to the pool once its tail has rung
// out, so the SoundFont is not loaded for every title and no open waits for a load.
//
// Threads: main thread only.

#include "platform/mci/mcidriver.h"

#include "platform/mci/mcitransport.h"

#include <functional>

class TMidiSink;

class TSequencerDriver : public TMciDriver {
public:
    // Opens the sink a medium plays on, for an output of `sampleRate`; null with an MCIERR_
    // code in `error` when it cannot (a port that went away: MCIERR_SEQ_PORT_NONEXISTENT).
    using TSinkOpener = std::function<std::unique_ptr<TMidiSink>(int sampleRate, MCIERROR &error)>;

    // The "sequencer" device on the built-in synthesizer.
    TSequencerDriver();
    // Another sequencer-type device.
    TSequencerDriver(const QString &name, const QString &product, TSinkOpener opener);
    ~TSequencerDriver() override;

    QString name() const override { return name_; }
    std::uint32_t deviceType() const override { return MCI_DEVTYPE_SEQUENCER; }
    QString product() const override { return product_; }

    MCIERROR openElement(const QString &path, const TMciOutputFormat &format,
                         std::unique_ptr<TMciTransport> &transport) override;
    void release(std::unique_ptr<TMciTransport> transport) override;

private:
    std::unique_ptr<TMidiSink> openSynth(int sampleRate, bool waitForLoad, MCIERROR &error);

    QString name_ = QStringLiteral("sequencer");
    QString product_ = QStringLiteral("MIDI Sequencer");
    TSinkOpener opener_;
};
