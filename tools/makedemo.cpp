// Writes the demo pieces that ship in the program folder's "Demo" folder, so that a first start
// has music to play:
//   makedemo OUTPUT_FOLDER
// Three short General MIDI pieces of the project's own making, each in its own style: a
// morning tune on piano and flute, a waltz on strings and accordion, and a night drive on
// drums, bass and a lead synthesizer. They are written by rule (chord progressions, arpeggios
// and melodies given as scale steps), so they can be remade exactly.
#include "scorewriter.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t Q = 480; // ticks per quarter note
constexpr std::uint8_t kDrums = 9;

// A chord as MIDI keys of its root position (three notes).
struct TChord {
    int root;
    bool minor;
    int Key(int step) const { return root + (step == 0 ? 0 : step == 1 ? (minor ? 3 : 4) : 7); }
};

constexpr int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};

// The key of degree `step` (0-based, may pass the octave either way) of `scale` from `tonic`.
int ScaleStep(const int (&scale)[7], int tonic, int step)
{
    const int octave = step >= 0 ? step / 7 : (step - 6) / 7;
    return tonic + 12 * octave + scale[step - 7 * octave];
}

void Setup(TScoreWriter &file, int track, std::uint8_t channel, std::uint8_t program,
           std::uint8_t volume, std::uint8_t pan, std::uint8_t reverb, const std::string &name)
{
    file.Text(track, 0, 0x03, name);
    if (channel != kDrums) file.Channel(track, 0, std::uint8_t(0xC0 | channel), program);
    file.Channel(track, 0, std::uint8_t(0xB0 | channel), 7, volume);
    file.Channel(track, 0, std::uint8_t(0xB0 | channel), 10, pan);
    file.Channel(track, 0, std::uint8_t(0xB0 | channel), 91, reverb);
}

TScoreWriter Start(const std::string &title, std::uint32_t tempo, std::uint8_t beats)
{
    TScoreWriter file(Q);
    const int conductor = file.AddTrack();
    file.Text(conductor, 0, 0x03, title);
    file.Text(conductor, 0, 0x02, "Tonaria demo; free to use");
    file.Meta(conductor, 0, 0x58, {beats, 2, 24, 8});
    file.Tempo(conductor, 0, tempo);
    // General MIDI System On, so that any synthesizer starts clean.
    file.SysEx(conductor, 0, {0x7E, 0x7F, 0x09, 0x01, 0xF7});
    return file;
}

// "Morning Walk": C major, 4/4, 100 beats a minute; piano arpeggios, a flute tune, a walking
// bass. Sixteen bars and a closing chord.
TScoreWriter MorningWalk()
{
    TScoreWriter file = Start("Morning Walk", 600000, 4);
    const int piano = file.AddTrack(), flute = file.AddTrack(), bass = file.AddTrack();
    Setup(file, piano, 0, 0, 92, 44, 50, "Piano");
    Setup(file, flute, 1, 73, 100, 84, 60, "Flute");
    Setup(file, bass, 2, 32, 100, 64, 30, "Bass");

    const TChord chords[] = {{60, false}, {55, false}, {57, true},  {53, false},
                             {60, false}, {53, false}, {55, false}, {55, false}};
    // The tune, as scale steps from C5 with lengths in eighths (-99 rests); one line per two bars.
    struct TTone {
        int step;
        int eighths;
    };
    const std::vector<TTone> tune[] = {
        {{4, 2}, {2, 1}, {4, 1}, {7, 3}, {6, 1}, {4, 2}, {2, 2}, {1, 2}, {2, 2}},
        {{0, 2}, {2, 1}, {4, 1}, {5, 3}, {4, 1}, {2, 4}, {-99, 4}},
        {{4, 2}, {5, 1}, {7, 1}, {9, 3}, {7, 1}, {5, 2}, {4, 2}, {2, 2}, {3, 2}},
        {{4, 3}, {2, 1}, {1, 2}, {2, 2}, {0, 6}, {-99, 2}},
    };
    const std::uint32_t bar = 4 * Q;
    for (int b = 0; b < 16; ++b) {
        const TChord chord = chords[b % 8];
        const std::uint32_t at = std::uint32_t(b) * bar;
        // Piano: a rising and falling arpeggio in eighths, the top an octave up.
        const int pattern[] = {0, 1, 2, 3, 2, 1, 0, 1};
        for (int i = 0; i < 8; ++i) {
            const int key = pattern[i] == 3 ? chord.Key(0) + 12 : chord.Key(pattern[i]);
            file.Note(piano, at + std::uint32_t(i) * Q / 2, 0, std::uint8_t(key),
                      std::uint8_t(i % 4 == 0 ? 78 : 62), Q / 2);
        }
        // Bass: root, fifth, root an octave up, and a step leading on.
        const int root = chord.Key(0) - 24;
        const int walk[] = {root, root + 7, root + 12, root + (b % 2 ? 5 : 10)};
        for (int i = 0; i < 4; ++i)
            file.Note(bass, at + std::uint32_t(i) * Q, 2, std::uint8_t(walk[i]), 88, Q - 40);
    }
    // The flute enters in bar 3 and plays the four lines once.
    std::uint32_t at = 2 * bar;
    for (const std::vector<TTone> &line : tune) {
        std::uint32_t t = at;
        for (const TTone &tone : line) {
            const std::uint32_t length = std::uint32_t(tone.eighths) * Q / 2;
            if (tone.step != -99)
                file.Note(flute, t, 1, std::uint8_t(ScaleStep(kMajor, 72, tone.step)), 96,
                          length - 20);
            t += length;
        }
        at += 2 * bar;
    }
    // Closing chord.
    const std::uint32_t end = 16 * bar;
    for (int key : {48, 60, 64, 67, 72})
        file.Note(piano, end, 0, std::uint8_t(key), 80, 2 * bar);
    file.Note(flute, end, 1, 84, 80, 2 * bar - Q);
    file.Note(bass, end, 2, 36, 90, 2 * bar);
    file.EndAt(end + 2 * bar + Q);
    return file;
}

// "Harbour Waltz": G major, 3/4, 138 beats a minute; pizzicato bass on one, string chords on two
// and three, an accordion tune. Twenty-four bars.
TScoreWriter HarbourWaltz()
{
    TScoreWriter file = Start("Harbour Waltz", 434783, 3);
    const int strings = file.AddTrack(), accordion = file.AddTrack(), bass = file.AddTrack();
    Setup(file, strings, 0, 48, 80, 40, 70, "Strings");
    Setup(file, accordion, 1, 21, 96, 88, 50, "Accordion");
    Setup(file, bass, 2, 45, 110, 64, 40, "Pizzicato");

    const TChord chords[] = {{55, false}, {55, false}, {60, false}, {62, false},
                             {52, true},  {60, false}, {62, false}, {55, false}};
    const std::uint32_t bar = 3 * Q;
    for (int b = 0; b < 24; ++b) {
        const TChord chord = chords[b % 8];
        const std::uint32_t at = std::uint32_t(b) * bar;
        file.Note(bass, at, 2, std::uint8_t(chord.Key(b % 2 ? 2 : 0) - 24), 100, Q);
        for (int beat = 1; beat < 3; ++beat)
            for (int step = 0; step < 3; ++step)
                file.Note(strings, at + std::uint32_t(beat) * Q, 0, std::uint8_t(chord.Key(step)),
                          64, Q - 60);
        // The tune, from the chord's own notes: the third held, the fifth, then the root or
        // the third again; every fourth bar one long note.
        if (b >= 2 && b < 22) {
            if (b % 4 == 3) {
                file.Note(accordion, at, 1, std::uint8_t(chord.Key(0) + 12), 92, bar - 30);
            } else {
                file.Note(accordion, at, 1, std::uint8_t(chord.Key(1) + 12), 96, Q + Q / 2 - 20);
                file.Note(accordion, at + Q + Q / 2, 1, std::uint8_t(chord.Key(2) + 12), 84,
                          Q / 2 - 20);
                file.Note(accordion, at + 2 * Q, 1,
                          std::uint8_t(b % 2 ? chord.Key(0) + 24 : chord.Key(1) + 12), 90, Q - 30);
            }
        }
    }
    const std::uint32_t end = 24 * bar;
    for (int key : {43, 55, 59, 62, 67})
        file.Note(strings, end, 0, std::uint8_t(key), 72, 2 * bar);
    file.Note(bass, end, 2, 31, 100, Q);
    file.EndAt(end + 2 * bar + Q);
    return file;
}

// "Night Drive": A minor, 4/4, 118 beats a minute; drums, a pulsing synthesizer bass, pads and
// a lead. Sixteen bars.
TScoreWriter NightDrive()
{
    TScoreWriter file = Start("Night Drive", 508475, 4);
    const int drums = file.AddTrack(), bass = file.AddTrack(), pad = file.AddTrack(),
              lead = file.AddTrack();
    Setup(file, drums, kDrums, 0, 100, 64, 30, "Drums");
    Setup(file, bass, 1, 38, 100, 64, 10, "Synth bass");
    Setup(file, pad, 2, 89, 70, 50, 80, "Pad");
    Setup(file, lead, 3, 81, 88, 78, 60, "Lead");

    const TChord chords[] = {{57, true}, {53, false}, {48, false}, {55, false}};
    const std::uint32_t bar = 4 * Q;
    for (int b = 0; b < 16; ++b) {
        const TChord chord = chords[b % 4];
        const std::uint32_t at = std::uint32_t(b) * bar;
        for (int i = 0; i < 8; ++i) {
            const std::uint32_t t = at + std::uint32_t(i) * Q / 2;
            file.Note(drums, t, kDrums, 42, std::uint8_t(i % 2 ? 60 : 84), Q / 4); // hi-hat
            if (i % 4 == 0) file.Note(drums, t, kDrums, 36, 110, Q / 2);           // kick
            if (i % 4 == 2) file.Note(drums, t, kDrums, 38, 100, Q / 2);           // snare
            file.Note(bass, t, 1, std::uint8_t(chord.Key(0) - 24 + (i == 7 ? 12 : 0)),
                      std::uint8_t(i % 2 ? 80 : 100), Q / 2 - 40);
        }
        if (b % 4 == 3) file.Note(drums, at + 7 * Q / 2, kDrums, 49, 90, Q); // crash on the turn
        for (int step = 0; step < 3; ++step)
            file.Note(pad, at, 2, std::uint8_t(chord.Key(step)), 60, bar - 20);
        // The lead enters in bar 5: a phrase from the chord, answered an octave higher in the
        // second half of the piece.
        if (b >= 4) {
            const int up = b >= 12 ? 7 : 0;
            const int degree = chord.root == 57   ? 0
                               : chord.root == 53 ? 5
                               : chord.root == 48 ? 2
                                                  : 6;
            const int phrase[] = {degree + 4, degree + 2, degree + 3, degree + 1, degree + 2};
            const std::uint32_t lengths[] = {Q, Q / 2, Q / 2, Q, Q};
            std::uint32_t t = at;
            for (int i = 0; i < 5; ++i) {
                file.Note(lead, t, 3, std::uint8_t(ScaleStep(kMinor, 69, phrase[i] + up)), 92,
                          lengths[i] - 30);
                t += lengths[i];
            }
        }
    }
    const std::uint32_t end = 16 * bar;
    file.Note(drums, end, kDrums, 49, 110, 2 * Q);
    file.Note(drums, end, kDrums, 36, 110, Q);
    file.Note(bass, end, 1, 33, 110, 2 * Q);
    for (int key : {57, 60, 64})
        file.Note(pad, end, 2, std::uint8_t(key), 70, bar);
    file.Note(lead, end, 3, 81, 90, bar);
    file.EndAt(end + bar + Q);
    return file;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    struct TPiece {
        const char *file;
        TScoreWriter music;
    };
    const TPiece pieces[] = {
        {"Morning Walk.mid", MorningWalk()},
        {"Harbour Waltz.mid", HarbourWaltz()},
        {"Night Drive.mid", NightDrive()},
    };
    for (const TPiece &piece : pieces) {
        if (!piece.music.Write(folder + piece.file)) {
            std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), piece.file);
            return 1;
        }
    }
    return 0;
}
