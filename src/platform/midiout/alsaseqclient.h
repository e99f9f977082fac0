#pragma once
// The program's client of the ALSA sequencer: it lists the ports that take MIDI and sends
// events straight to them. A machine without a sequencer (no /dev/snd/seq) simply has no ports.
//
// Threads: any thread; sends and connections are serialised by one mutex of the client.
#include <alsa/asoundlib.h>

#include <mutex>
#include <string>
#include <vector>

class TAlsaSeqClient {
public:
    struct TPort {
        int client = 0;
        int port = 0;
        std::string name; // "<client name>: <port name>", made unique within the list
    };

    // Opens the sequencer under `clientName`; isOpen() says whether that worked.
    explicit TAlsaSeqClient(const char *clientName);
    ~TAlsaSeqClient();
    TAlsaSeqClient(const TAlsaSeqClient &) = delete;
    TAlsaSeqClient &operator=(const TAlsaSeqClient &) = delete;

    bool isOpen() const { return seq_ != nullptr; }
    int clientId() const { return clientId_; }

    // The ports of other clients that accept writes and subscriptions, in client and port order.
    std::vector<TPort> ports();

    // Subscribes the port to our own output port, so that the link shows in the patchbay.
    bool connect(int client, int port);
    void disconnect(int client, int port);

    // Sends `event` at once to (client, port); a negative ALSA error code on failure.
    int send(snd_seq_event_t &event, int client, int port);

private:
    snd_seq_t *seq_ = nullptr;
    int clientId_ = -1;
    int ownPort_ = -1;
    std::mutex mutex_;
};
