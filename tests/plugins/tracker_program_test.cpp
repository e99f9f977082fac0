// The real program with the tracker plug-in installed: modules and MIDI files as titles of one
// program, one after the other, their sound in the recording the program writes. Modules play a
// low note (about C3), the MIDI files a high tone, so the recording tells them apart.
#include "core/program_support.h"
#include "trackerfiles.h"

#include <QFile>

namespace {

using TrackerProgramTest = TProgramTest;

constexpr int kModule = 48; // the modules' note
constexpr int kMidi = 76;
const std::vector<int> kKeys = {kModule, kMidi};

// The preferences list the built plug-in, as the preferences dialog's Install leaves them.
void ListPlugin(const QString &config)
{
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("REGEDIT4\r\n\r\n"
               "[HKEY_CURRENT_USER\\Software\\Brimvel\\Tonaria\\CurrentVersion\\Preferences\\"
               "Plugins]\r\n\"" TRACKER_PLUGIN "\"=\"\"\r\n\r\n");
}

TEST_F(TrackerProgramTest, ModulesAndMidiFilesAlternateAsTitles)
{
    ListPlugin(env.config());
    const QString mod = env.writeFile("one.mod", TrackerFiles::Mod(1, 24));
    const QString mid = env.writeFile("two.mid", ToneMidiBytes(1200, kMidi));
    const QString xm = env.writeFile("three.xm", TrackerFiles::Xm(1, 24));
    const QString wav = env.scratch() + "mix.wav";
    QProcess *program = Launch({"/play", mod, mid, xm, mid}, wav);
    ASSERT_TRUE(WaitForPassages(wav, kKeys, 5, 60000));
    QProcess *closer = Launch({"/close"}, env.scratch() + "closer.wav");
    ASSERT_TRUE(closer->waitForFinished(10000));
    ASSERT_TRUE(program->waitForFinished(30000));
    EXPECT_EQ(program->exitCode(), 0);

    const TRecording recording = ReadRecording(wav);
    ASSERT_TRUE(recording.ok);
    const std::vector<TPassage> passages = FindPassages(recording, kKeys);
    // Module, MIDI file, module, MIDI file, and the program starts over with the first module.
    ASSERT_GE(passages.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(passages[i].key, i % 2 ? kMidi : kModule) << "title " << i;
        if (i % 2 == 0) { // a module plays its whole length: 24 rows of 60 ms
            EXPECT_NEAR(passages[i].end - passages[i].start, 1.44, 0.25) << "title " << i;
        }
    }
}

} // namespace
