#pragma once
// Helpers of the tests that start the real program: a fixture that launches `tonaria` headless
// with a world of its own, the WAV recording it writes (also while it is still being written),
// and the tones in that recording told apart by pitch.
#include "localisation/printqt.h"
#include "support/testenv.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A recording as mono samples (the channels averaged).
struct TRecording {
    bool ok = false;
    int rate = 0;
    std::vector<float> mono;
    double seconds = 0;
    float peak = 0;
};

// A finished WAV file, read through libsndfile (so its header must be complete).
TRecording ReadRecording(const QString &path);
// A WAV file still being written: every whole frame after the data chunk's start, whatever the
// header says so far. ok is false until the header and some data are there.
TRecording ReadLiveRecording(const QString &path);

// A one-track Standard MIDI File holding one sustained note (an ocarina) of the given key number,
// `lengthMs` long, then `silenceMs` of silence before the title ends. Keys five semitones or more
// apart are told apart in the recording.
QByteArray ToneMidiBytes(std::uint32_t lengthMs, int key, std::uint32_t silenceMs = 0);

// A stretch of the recording where one of the expected keys sounds.
struct TPassage {
    int key = 0;
    double start = 0; // seconds
    double end = 0;
};

// The passages of the recording, in order: blocks of 40 ms are either silent or given the nearest
// of `keys` by their rate of zero crossings; runs of one key shorter than 160 ms are dropped and
// runs of one key split by a short glitch are joined.
std::vector<TPassage> FindPassages(const TRecording &recording, const std::vector<int> &keys);
std::vector<int> KeysOf(const std::vector<TPassage> &passages);
// Seconds of silence at the end of the recording.
double TrailingSilence(const TRecording &recording);

class TProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The environment the program starts in: headless, this test's own folders, its sound
    // going to the WAV file `wav` (to no output when `wav` is empty).
    QProcessEnvironment Environment(const QString &wav) const;
    // Starts the program with these arguments in Environment(wav), changed by `adjust` when
    // given, in `workingFolder` when one is given.
    QProcess *Launch(const QStringList &arguments, const QString &wav,
                     const std::function<void(QProcessEnvironment &)> &adjust = {},
                     const QString &workingFolder = {});
    // The executable started: the one built with the tests, or TONARIA_TEST_PROGRAM when set.
    static QString Program();
    // The system album's title files as the program left them.
    QStringList SystemAlbumFiles();
    // Waits (running no event loop) until `done` holds or `timeoutMs` have passed, looking every
    // `intervalMs`; returns `done()`.
    static bool Poll(const std::function<bool()> &done, int timeoutMs, int intervalMs = 50);
    // Waits until the WAV file has grown past `bytes` (the program is running its output).
    static bool WaitForSound(const QString &wav, qint64 bytes, int timeoutMs);
    // Waits until the live recording shows at least `count` passages of `keys`, the last of them
    // followed by `silenceAfter` seconds of silence when that is above 0.
    static bool WaitForPassages(const QString &wav, const std::vector<int> &keys, std::size_t count,
                                int timeoutMs, double silenceAfter = 0);
    // The private folder the program uses for its scratch files (package members).
    QString TempFolder() const;

    TTestEnvironment env;
    QTemporaryDir runtime;
    std::vector<std::unique_ptr<QProcess>> processes;
};
