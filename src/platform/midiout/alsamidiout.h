#pragma once
// A MIDI output device that is one ALSA sequencer port of another program or of a sound card.
//
// Threads: as TMidiOutDevice; the client serialises the sends.
#include "platform/midiout/alsaseqclient.h"
#include "platform/midiout/midioutdevice.h"

// Fills `event` for one short message; false for a message the sequencer has no event for.
// The event's source, destination and timing are left to the sender.
bool alsaEventFromShort(const TShortMessage &message, snd_seq_event_t &event);

class TAlsaMidiOut : public TMidiOutDevice {
public:
    TAlsaMidiOut(TAlsaSeqClient &client, TAlsaSeqClient::TPort port);

    std::string name() const override { return port_.name; }
    std::uint16_t technology() const override { return MOD_MIDIPORT; }
    int clientId() const { return port_.client; }
    int portId() const { return port_.port; }

    MMRESULT open() override;
    void close() override;
    MMRESULT sendShort(const TShortMessage &message) noexcept override;
    MMRESULT sendLong(const std::uint8_t *data, std::size_t length) override;
    MMRESULT reset() override;

private:
    TAlsaSeqClient &client_;
    TAlsaSeqClient::TPort port_;
};
