#pragma once
// Reads a UTF-8 text file line by line. Lines may end in CR, LF or CR LF; the line ends are
// not part of the lines; a UTF-8 byte order mark at the start is skipped.
//
// Threads: any thread that owns the device.
#include <QByteArray>
#include <QIODevice>
#include <QString>

class TTextLineReader {
public:
    // Reads from an open device (not owned).
    explicit TTextLineReader(QIODevice &device) : device_(device) {}

    // The next line; false at the end of the file or after a read error.
    bool ReadLine(QString &line);
    // A read error happened (errorString() of the device tells which).
    bool Failed() const { return failed_; }

private:
    bool Fill();

    QIODevice &device_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool atEnd_ = false;
    bool failed_ = false;
    bool started_ = false;
    bool skipLF_ = false; // the last line ended in CR: a LF that follows belongs to it
};
