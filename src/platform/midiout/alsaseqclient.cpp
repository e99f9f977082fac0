#include "platform/midiout/alsaseqclient.h"

#include <unistd.h>

#include <map>

TAlsaSeqClient::TAlsaSeqClient(const char *clientName)
{
    // Without the device node there is no sequencer: say nothing, where ALSA would complain.
    if (access("/dev/snd/seq", F_OK) != 0) return;
    if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
        seq_ = nullptr;
        return;
    }
    snd_seq_set_client_name(seq_, clientName);
    clientId_ = snd_seq_client_id(seq_);
    ownPort_ = snd_seq_create_simple_port(
        seq_, "MIDI out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (ownPort_ < 0) {
        snd_seq_close(seq_);
        seq_ = nullptr;
    }
}

TAlsaSeqClient::~TAlsaSeqClient()
{
    if (seq_) snd_seq_close(seq_);
}

std::vector<TAlsaSeqClient::TPort> TAlsaSeqClient::ports()
{
    std::vector<TPort> result;
    if (!seq_) return result;
    std::lock_guard lock(mutex_);
    snd_seq_client_info_t *clientInfo = nullptr;
    snd_seq_port_info_t *portInfo = nullptr;
    snd_seq_client_info_malloc(&clientInfo);
    snd_seq_port_info_malloc(&portInfo);
    if (!clientInfo || !portInfo) {
        snd_seq_client_info_free(clientInfo);
        snd_seq_port_info_free(portInfo);
        return result;
    }
    constexpr unsigned wanted = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
    std::map<std::string, int> seen;
    snd_seq_client_info_set_client(clientInfo, -1);
    while (snd_seq_query_next_client(seq_, clientInfo) >= 0) {
        const int client = snd_seq_client_info_get_client(clientInfo);
        // The system client (timer and announcements) is no instrument; our own is us.
        if (client == SND_SEQ_CLIENT_SYSTEM || client == clientId_) continue;
        const std::string clientName = snd_seq_client_info_get_name(clientInfo);
        snd_seq_port_info_set_client(portInfo, client);
        snd_seq_port_info_set_port(portInfo, -1);
        while (snd_seq_query_next_port(seq_, portInfo) >= 0) {
            const unsigned caps = snd_seq_port_info_get_capability(portInfo);
            if ((caps & wanted) != wanted || (caps & SND_SEQ_PORT_CAP_NO_EXPORT)) continue;
            TPort p;
            p.client = client;
            p.port = snd_seq_port_info_get_port(portInfo);
            p.name = clientName + ": " + snd_seq_port_info_get_name(portInfo);
            // Two identical instruments would otherwise share a name.
            const int n = ++seen[p.name];
            if (n > 1) p.name += " (" + std::to_string(n) + ")";
            result.push_back(std::move(p));
        }
    }
    snd_seq_client_info_free(clientInfo);
    snd_seq_port_info_free(portInfo);
    return result;
}

bool TAlsaSeqClient::connect(int client, int port)
{
    if (!seq_) return false;
    std::lock_guard lock(mutex_);
    return snd_seq_connect_to(seq_, ownPort_, client, port) >= 0;
}

void TAlsaSeqClient::disconnect(int client, int port)
{
    if (!seq_) return;
    std::lock_guard lock(mutex_);
    snd_seq_disconnect_to(seq_, ownPort_, client, port);
}

int TAlsaSeqClient::send(snd_seq_event_t &event, int client, int port)
{
    if (!seq_) return -ENODEV;
    snd_seq_ev_set_source(&event, static_cast<unsigned char>(ownPort_));
    snd_seq_ev_set_dest(&event, static_cast<unsigned char>(client),
                        static_cast<unsigned char>(port));
    snd_seq_ev_set_direct(&event);
    std::lock_guard lock(mutex_);
    return snd_seq_event_output_direct(seq_, &event);
}
