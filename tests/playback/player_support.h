#pragma once
// Helpers of the player tests: waiting on the event loop, generated media files, and a scripted
// plug-in device that answers the player's commands the way a CD drive would.

#include "playback/sonoricplayer.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

// Runs the event loop until `done` holds or `timeoutMs` have passed; returns `done()`.
bool WaitUntil(const std::function<bool()> &done, int timeoutMs = 10000);
// Runs the event loop for about `ms` milliseconds.
void RunEvents(int ms);

// A one-track Standard MIDI File that holds one note and lasts `lengthMs`.
QByteArray MidiFileBytes(std::uint32_t lengthMs);
// The same wrapped in a RIFF RMID container.
QByteArray RmidFileBytes(std::uint32_t lengthMs);
// 16-bit PCM WAV at 44100 Hz: a square wave of the given levels (0..1), one per channel.
QByteArray WavFileBytes(std::uint32_t lengthMs, const std::vector<double> &levels);

// Points the synthesizer at the small SoundFont the tests use.
void UseTestSoundFont();

// A plug-in device of a player: answers through OnDeviceMessage, posts its completion notices
// like a media device does, and counts the status questions it gets. By default a CD drive
// with three tracks whose medium starts at 2000 ms.
class TScriptedDevice {
public:
    QString Name = QStringLiteral("cdaudio");
    QString Product = QStringLiteral("Scripted CD Drive");
    std::uint32_t Type = MCI_DEVTYPE_CD_AUDIO;
    bool UsesFiles = false;
    bool CanEject = true;
    std::uint32_t Start = 2000;
    std::vector<std::uint32_t> TrackLengths = {60000, 90000, 120000};

    std::uint32_t Mode = MCI_MODE_STOP;
    std::uint32_t Position = 2000;
    bool DoorOpen = false;
    // Commands answered with an error instead.
    std::map<std::uint32_t, MCIERROR> Failures;
    // Every command received, in order.
    std::vector<std::uint32_t> Commands;
    // Status questions by item (MCI_STATUS_LENGTH, ...).
    std::map<std::uint32_t, int> StatusQuestions;

    // Serves `player`'s plug-in commands (one device) and counts it as its only plug-in device.
    void Attach(TSonoricPlayer &player);
    MCIERROR Handle(std::uint32_t uMsg, std::uint32_t flags, std::uintptr_t param);

    std::uint32_t TrackStartOf(std::uint32_t track) const;
    std::uint32_t TotalLength() const;
    // Play reaches its end: stopped, and the owed notice goes out as successful.
    void FinishPlay();

private:
    std::uint32_t TrackAt(std::uint32_t position) const;
    void Retire(bool byNotifyingCommand);

    std::uintptr_t pendingCallback_ = 0;
};
