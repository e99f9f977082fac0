#include "platform/midiout/alsamidiout.h"

#include "platform/midiout/midibytes.h"

bool alsaEventFromShort(const TShortMessage &m, snd_seq_event_t &ev)
{
    snd_seq_ev_clear(&ev);
    const int channel = m.status & 0x0F;
    switch (m.status & 0xF0) {
    case 0x80:
        snd_seq_ev_set_noteoff(&ev, channel, m.data1, m.data2);
        return true;
    case 0x90:
        snd_seq_ev_set_noteon(&ev, channel, m.data1, m.data2);
        return true;
    case 0xA0:
        snd_seq_ev_set_keypress(&ev, channel, m.data1, m.data2);
        return true;
    case 0xB0:
        snd_seq_ev_set_controller(&ev, channel, m.data1, m.data2);
        return true;
    case 0xC0:
        snd_seq_ev_set_pgmchange(&ev, channel, m.data1);
        return true;
    case 0xD0:
        snd_seq_ev_set_chanpress(&ev, channel, m.data1);
        return true;
    case 0xE0:
        snd_seq_ev_set_pitchbend(&ev, channel, ((m.data2 << 7) | m.data1) - 8192);
        return true;
    default:
        break;
    }
    snd_seq_ev_set_fixed(&ev);
    switch (m.status) {
    case 0xF1:
        ev.type = SND_SEQ_EVENT_QFRAME;
        ev.data.control.value = m.data1;
        return true;
    case 0xF2:
        ev.type = SND_SEQ_EVENT_SONGPOS;
        ev.data.control.value = (m.data2 << 7) | m.data1;
        return true;
    case 0xF3:
        ev.type = SND_SEQ_EVENT_SONGSEL;
        ev.data.control.value = m.data1;
        return true;
    case 0xF6:
        ev.type = SND_SEQ_EVENT_TUNE_REQUEST;
        return true;
    case 0xF8:
        ev.type = SND_SEQ_EVENT_CLOCK;
        return true;
    case 0xFA:
        ev.type = SND_SEQ_EVENT_START;
        return true;
    case 0xFB:
        ev.type = SND_SEQ_EVENT_CONTINUE;
        return true;
    case 0xFC:
        ev.type = SND_SEQ_EVENT_STOP;
        return true;
    case 0xFE:
        ev.type = SND_SEQ_EVENT_SENSING;
        return true;
    case 0xFF:
        ev.type = SND_SEQ_EVENT_RESET;
        return true;
    default:
        return false;
    }
}

TAlsaMidiOut::TAlsaMidiOut(TAlsaSeqClient &client, TAlsaSeqClient::TPort port)
    : client_(client), port_(std::move(port))
{
}

MMRESULT TAlsaMidiOut::open()
{
    // The port may have gone since the list was taken.
    return client_.connect(port_.client, port_.port) ? MMSYSERR_NOERROR : MIDIERR_NODEVICE;
}

void TAlsaMidiOut::close()
{
    client_.disconnect(port_.client, port_.port);
}

MMRESULT TAlsaMidiOut::sendShort(const TShortMessage &message) noexcept
{
    snd_seq_event_t ev;
    if (!alsaEventFromShort(message, ev)) return MMSYSERR_NOERROR; // nothing to send
    return client_.send(ev, port_.client, port_.port) < 0 ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
}

MMRESULT TAlsaMidiOut::sendLong(const std::uint8_t *data, std::size_t length)
{
    MMRESULT result = MMSYSERR_NOERROR;
    splitMidiBytes(
        data, length,
        [&](const TShortMessage &m) {
            if (sendShort(m) != MMSYSERR_NOERROR) result = MMSYSERR_ERROR;
        },
        [&](const std::uint8_t *bytes, std::size_t count) {
            snd_seq_event_t ev;
            snd_seq_ev_clear(&ev);
            snd_seq_ev_set_sysex(&ev, static_cast<unsigned>(count),
                                 const_cast<std::uint8_t *>(bytes));
            if (client_.send(ev, port_.client, port_.port) < 0) result = MMSYSERR_ERROR;
        });
    return result;
}

MMRESULT TAlsaMidiOut::reset()
{
    MMRESULT result = MMSYSERR_NOERROR;
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        const std::uint8_t status = 0xB0 | channel;
        for (const std::uint8_t controller : {std::uint8_t{64}, std::uint8_t{123}}) {
            if (sendShort(TShortMessage{0, status, controller, 0}) != MMSYSERR_NOERROR)
                result = MMSYSERR_ERROR;
        }
    }
    return result;
}
