#include "core/program_support.h"

#include "library/album.h"
#include "library/albumfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

std::uint32_t LittleEndian(const QByteArray &bytes, qsizetype at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | std::uint8_t(bytes[at + i]);
    return value;
}

void Finish(TRecording &recording)
{
    recording.seconds = recording.rate > 0 ? double(recording.mono.size()) / recording.rate : 0;
    for (const float sample : recording.mono)
        recording.peak = std::max(recording.peak, std::abs(sample));
}

constexpr double kBlockSeconds = 0.04;
constexpr float kSilence = 0.002f; // block RMS below this is silence

} // namespace

TRecording ReadRecording(const QString &path)
{
    TRecording result;
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) return result;
    std::vector<float> samples(std::size_t(info.frames) * std::size_t(info.channels));
    const sf_count_t got = sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    result.ok = got == info.frames && info.samplerate > 0 && info.channels > 0;
    result.rate = info.samplerate;
    result.mono.resize(std::size_t(got));
    for (std::size_t f = 0; f < result.mono.size(); ++f) {
        float sum = 0;
        for (int c = 0; c < info.channels; ++c)
            sum += samples[f * std::size_t(info.channels) + std::size_t(c)];
        result.mono[f] = sum / float(info.channels);
    }
    Finish(result);
    return result;
}

TRecording ReadLiveRecording(const QString &path)
{
    TRecording result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return result;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || (!bytes.startsWith("RIFF") && !bytes.startsWith("RF64")) ||
        bytes.mid(8, 4) != "WAVE")
        return result;
    int channels = 0;
    int format = 0;
    int bits = 0;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const std::uint32_t size = LittleEndian(bytes, at + 4, 4);
        if (id == "fmt " && at + 24 <= bytes.size()) {
            format = int(LittleEndian(bytes, at + 8, 2));
            channels = int(LittleEndian(bytes, at + 10, 2));
            result.rate = int(LittleEndian(bytes, at + 12, 4));
            bits = int(LittleEndian(bytes, at + 22, 2));
        } else if (id == "data") {
            // 32-bit float, plain or in the extensible wrapper.
            if ((format != 3 && format != 0xFFFE) || bits != 32 || channels <= 0 ||
                result.rate <= 0)
                return result;
            const qsizetype start = at + 8;
            const qsizetype frameBytes = 4 * qsizetype(channels);
            const qsizetype frames = (bytes.size() - start) / frameBytes;
            result.mono.resize(std::size_t(frames));
            for (qsizetype f = 0; f < frames; ++f) {
                float sum = 0;
                for (int c = 0; c < channels; ++c) {
                    float sample = 0;
                    std::memcpy(&sample, bytes.constData() + start + f * frameBytes + 4 * c, 4);
                    sum += sample;
                }
                result.mono[std::size_t(f)] = sum / float(channels);
            }
            result.ok = frames > 0;
            Finish(result);
            return result;
        }
        at += 8 + qsizetype(size) + (size & 1);
    }
    return result;
}

namespace {

// A variable-length quantity of a MIDI file: the ticks of `ms` at 120 beats a minute and 480
// ticks a beat (0.96 ticks a millisecond).
QByteArray DeltaOf(std::uint32_t ms)
{
    std::uint32_t ticks = ms * 480 / 500;
    QByteArray delta;
    do {
        delta.prepend(char((ticks & 0x7F) | (delta.isEmpty() ? 0 : 0x80)));
        ticks >>= 7;
    } while (ticks != 0);
    return delta;
}

} // namespace

QByteArray ToneMidiBytes(std::uint32_t lengthMs, int key, std::uint32_t silenceMs)
{
    QByteArray track("\x00\xFF\x51\x03\x07\xA1\x20"
                     "\x00\xC0\x4F" // an ocarina: nearly a pure tone
                     "\x00\x90",
                     12);
    track += char(key);
    track += char(100);
    track += DeltaOf(lengthMs);
    track += char(0x80);
    track += char(key);
    track += char(0);
    track += DeltaOf(silenceMs);
    track += QByteArray("\xFF\x2F\x00", 3);

    QByteArray file("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk", 18);
    const auto size = std::uint32_t(track.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        file += char((size >> shift) & 0xFF);
    return file + track;
}

std::vector<TPassage> FindPassages(const TRecording &recording, const std::vector<int> &keys)
{
    std::vector<TPassage> passages;
    if (!recording.ok || recording.rate <= 0) return passages;
    const auto block = std::size_t(std::lround(recording.rate * kBlockSeconds));
    // Each block: 0 for silence, -1 for a sound of no expected key, else the key.
    std::vector<int> blocks;
    for (std::size_t at = 0; at + block <= recording.mono.size(); at += block) {
        const float *samples = recording.mono.data() + at;
        double energy = 0;
        for (std::size_t i = 0; i < block; ++i)
            energy += double(samples[i]) * samples[i];
        const double rms = std::sqrt(energy / double(block));
        if (rms < kSilence) {
            blocks.push_back(0);
            continue;
        }
        // Crossings with a little hysteresis, so that noise near zero does not count.
        const double band = 0.3 * rms;
        int crossings = 0;
        int side = 0;
        for (std::size_t i = 0; i < block; ++i) {
            const int now = samples[i] > band ? 1 : samples[i] < -band ? -1 : 0;
            if (now != 0 && side != 0 && now != side) ++crossings;
            if (now != 0) side = now;
        }
        const double frequency = crossings / (2 * kBlockSeconds);
        int best = -1;
        double bestDistance = 2.0 / 12; // octaves: two semitones
        for (const int key : keys) {
            const double expected = 440.0 * std::pow(2.0, (key - 69) / 12.0);
            const double distance = std::abs(std::log2(std::max(frequency, 1.0) / expected));
            if (distance < bestDistance) {
                bestDistance = distance;
                best = key;
            }
        }
        blocks.push_back(best);
    }
    // Runs of one key.
    std::vector<TPassage> runs;
    for (std::size_t i = 0; i < blocks.size();) {
        std::size_t j = i;
        while (j < blocks.size() && blocks[j] == blocks[i])
            ++j;
        if (blocks[i] > 0)
            runs.push_back({blocks[i], double(i) * kBlockSeconds, double(j) * kBlockSeconds});
        i = j;
    }
    for (const TPassage &run : runs) {
        if (run.end - run.start < 0.16 - 1e-9) continue;
        if (!passages.empty() && passages.back().key == run.key &&
            run.start - passages.back().end < 0.2) {
            passages.back().end = run.end;
            continue;
        }
        passages.push_back(run);
    }
    return passages;
}

std::vector<int> KeysOf(const std::vector<TPassage> &passages)
{
    std::vector<int> keys;
    for (const TPassage &passage : passages)
        keys.push_back(passage.key);
    return keys;
}

double TrailingSilence(const TRecording &recording)
{
    std::size_t last = recording.mono.size();
    while (last > 0 && std::abs(recording.mono[last - 1]) < kSilence)
        --last;
    return recording.rate > 0 ? double(recording.mono.size() - last) / recording.rate : 0;
}

void TProgramTest::SetUp()
{
    ASSERT_TRUE(runtime.isValid());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TProgramTest::TearDown()
{
    for (auto &process : processes)
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
}

QProcessEnvironment TProgramTest::Environment(const QString &wav) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TONARIA_AUDIO"),
                       wav.isEmpty() ? QStringLiteral("null") : QStringLiteral("wav:") + wav);
    environment.insert(QStringLiteral("TONARIA_HOME"), env.home());
    environment.insert(QStringLiteral("TONARIA_CONFIG"), env.config());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("TONARIA_SOUNDFONT"),
                       QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2"));
    // No session bus unless the test starts its own.
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    return environment;
}

QProcess *TProgramTest::Launch(const QStringList &arguments, const QString &wav,
                               const std::function<void(QProcessEnvironment &)> &adjust,
                               const QString &workingFolder)
{
    auto *process = new QProcess;
    processes.emplace_back(process);
    QProcessEnvironment environment = Environment(wav);
    if (adjust) adjust(environment);
    process->setProcessEnvironment(environment);
    if (!workingFolder.isEmpty()) process->setWorkingDirectory(workingFolder);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(Program(), arguments);
    EXPECT_TRUE(process->waitForStarted(5000));
    return process;
}

QString TProgramTest::Program()
{
    // Another build of the program (an earlier one, say) may stand in for the one built here.
    const QString other = qEnvironmentVariable("TONARIA_TEST_PROGRAM");
    return other.isEmpty() ? QStringLiteral(TONARIA_EXE) : other;
}

QStringList TProgramTest::SystemAlbumFiles()
{
    const QString folder = env.home() + QStringLiteral("Albums/");
    TAlbumFile albums(TAlbumFile::TContext{folder, {}, {}});
    auto album = TAlbum::CreateAlbum();
    album->FileName = folder + QStringLiteral("00000000.tal");
    QStringList files;
    if (!albums.Load(*album)) return files;
    for (const TTitle *title : album->Titles)
        files << title->FileName;
    return files;
}

bool TProgramTest::Poll(const std::function<bool()> &done, int timeoutMs, int intervalMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return done();
        QThread::msleep(std::uint32_t(intervalMs));
    }
    return true;
}

bool TProgramTest::WaitForSound(const QString &wav, qint64 bytes, int timeoutMs)
{
    return Poll([&] { return QFileInfo(wav).size() > bytes; }, timeoutMs, 20);
}

bool TProgramTest::WaitForPassages(const QString &wav, const std::vector<int> &keys,
                                   std::size_t count, int timeoutMs, double silenceAfter)
{
    return Poll(
        [&] {
            const TRecording live = ReadLiveRecording(wav);
            const std::vector<TPassage> passages = FindPassages(live, keys);
            if (passages.size() < count) return false;
            return silenceAfter <= 0 ||
                   (passages.size() == count && live.seconds - passages.back().end >= silenceAfter);
        },
        timeoutMs, 100);
}

QString TProgramTest::TempFolder() const
{
    return runtime.path() + QStringLiteral("/tonaria");
}
