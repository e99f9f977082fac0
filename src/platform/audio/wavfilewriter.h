#pragma once
// A stereo 32-bit float WAV file being written, through libsndfile. The header's sizes are filled
// in when the file is closed (and, on request, along the way), so a program that dies while
// writing leaves at worst a file whose header is behind its data. A file that grows past the
// 4 GiB a WAV header can count is written as RF64 instead.
//
// Threads: one thread at a time, any thread; every call may block on the disk. Not for the mixing
// itself: the back-ends call it between blocks (render thread) or from a writer thread.
#include <QString>

#include <cstdint>

class TWavFileWriter {
public:
    TWavFileWriter() = default;
    ~TWavFileWriter(); // closes
    TWavFileWriter(const TWavFileWriter &) = delete;
    TWavFileWriter &operator=(const TWavFileWriter &) = delete;

    // Creates (or truncates) the file. False with a readable reason in errorString().
    bool open(const QString &path, int sampleRate);
    bool isOpen() const { return file_ != nullptr; }

    // Appends `frames` interleaved stereo frames, or `frames` frames of silence. False when the
    // disk refused them (errorString() says why); nothing more is written after a failure.
    bool write(const float *samples, std::int64_t frames);
    bool writeSilence(std::int64_t frames);

    // Appends frames whose first belongs at frame `at` of the file, after silence up to `at`
    // when the file is shorter (frames that never arrived keep their place in time). Frames
    // before the end of the file are an error of the caller: they are appended as they are.
    bool writeAt(std::int64_t at, const float *samples, std::int64_t frames);

    // Brings the header's sizes up to date with what has been written so far.
    void updateHeader();

    // Finishes the header and closes the file. False when the file could not be finished.
    bool close();

    std::int64_t framesWritten() const { return frames_; }
    QString path() const { return path_; }
    QString errorString() const { return error_; }

private:
    void *file_ = nullptr; // SNDFILE *
    QString path_;
    QString error_;
    std::int64_t frames_ = 0;
    bool failed_ = false;
};
