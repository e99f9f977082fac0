#pragma once
// Helpers of the player tests: waiting on the event loop, generated media files, and a scripted
// plug-in device that answers the player's commands as a CD drive would.

#include "playback/sonoricplayer.h"
#include "support/testwait.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

// A one-track Standard MIDI File holding one note, `lengthMs` long; the same in an RMID wrapper.
QByteArray MidiFileBytes(std::uint32_t lengthMs);
QByteArray RmidFileBytes(std::uint32_t lengthMs);
// Mono 16-bit PCM WAV at 44100 Hz: a square wave of `level` (0..1) of full scale.
QByteArray WavFileBytes(std::uint32_t lengthMs, double level);

// Points the synthesizer at the small SoundFont the tests use.
void UseTestSoundFont();
// Opens `path` on the automatic device, as the transport does for each title.
void OpenOnAnyDevice(TSonoricPlayer &player, const QString &path);

// A plug-in device served through a player's OnDeviceMessage: a CD drive with three tracks
// whose medium starts at 2000 ms. It counts the status questions it gets.
class TScriptedDevice {
public:
    QString Name = QStringLiteral("cdaudio");
    QString Product = QStringLiteral("Scripted CD Drive");
    std::uint32_t Type = MCI_DEVTYPE_CD_AUDIO;
    std::uint32_t Start = 2000;
    std::vector<std::uint32_t> TrackLengths = {60000, 90000, 120000};

    std::uint32_t Mode = MCI_MODE_STOP;
    std::uint32_t Position = 2000;
    std::map<std::uint32_t, MCIERROR> Failures; // commands answered with an error
    std::vector<std::uint32_t> Commands;        // every command received
    std::map<std::uint32_t, int> StatusQuestions;

    // Serves `player` as its one plug-in device.
    void Attach(TSonoricPlayer &player);
    MCIERROR Handle(std::uint32_t uMsg, std::uint32_t flags, std::uintptr_t param);

    std::uint32_t TrackStartOf(std::uint32_t track) const;
    std::uint32_t TotalLength() const;
};
