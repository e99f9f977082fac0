#pragma once
// The error a package raises when its archive cannot be read or holds nothing to play. The
// text is short and technical ("Error 1 reading Zip File"); the caller reports the package
// to the user by its file name.
//
// Threads: any.
#include <QByteArray>
#include <QString>

#include <exception>

class EZipStreamError : public std::exception {
public:
    explicit EZipStreamError(const QString &message);

    const char *what() const noexcept override { return utf8_.constData(); }
    const QString &Message() const { return message_; }

private:
    QString message_;
    QByteArray utf8_;
};
