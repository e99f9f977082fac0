#include "library/textlinereader.h"

namespace {
constexpr qint64 kChunk = 64 * 1024;
}

bool TTextLineReader::Fill()
{
    if (atEnd_) return false;
    buffer_.remove(0, pos_);
    pos_ = 0;
    const qsizetype had = buffer_.size();
    buffer_.resize(had + kChunk);
    const qint64 got = device_.read(buffer_.data() + had, kChunk);
    if (got < 0) {
        failed_ = true;
        atEnd_ = true;
        buffer_.resize(had);
        return false;
    }
    buffer_.resize(had + got);
    if (got == 0) {
        atEnd_ = true;
        return false;
    }
    return true;
}

bool TTextLineReader::ReadLine(QString &line)
{
    if (!started_) {
        started_ = true;
        while (buffer_.size() < 3 && Fill()) {
        }
        if (buffer_.startsWith("\xEF\xBB\xBF")) pos_ = 3;
    }
    if (skipLF_) {
        if (pos_ >= buffer_.size()) Fill();
        if (pos_ < buffer_.size() && buffer_[pos_] == '\n') ++pos_;
        skipLF_ = false;
    }
    qsizetype scanFrom = pos_;
    for (;;) {
        const char *data = buffer_.constData();
        for (qsizetype i = scanFrom; i < buffer_.size(); ++i) {
            const char c = data[i];
            if (c == '\r' || c == '\n') {
                line = QString::fromUtf8(data + pos_, i - pos_);
                pos_ = i + 1;
                skipLF_ = c == '\r';
                return true;
            }
        }
        scanFrom = buffer_.size() - pos_; // Fill() moves the unread bytes to the front
        if (!Fill()) break;
    }
    if (pos_ >= buffer_.size()) return false;
    line = QString::fromUtf8(buffer_.constData() + pos_, buffer_.size() - pos_);
    pos_ = buffer_.size();
    return true;
}
