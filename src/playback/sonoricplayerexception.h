#pragma once
// The error a player command raises: the media-control layer's text for the failing code.
//
// Threads: any.

#include "tonaria/mci.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <exception>

class ESonoricPlayerException : public std::exception {
public:
    ESonoricPlayerException(const QString &message, std::uint32_t code)
        : message_(message), utf8_(message.toUtf8()), code_(code)
    {
    }

    const char *what() const noexcept override { return utf8_.constData(); }
    // The text to show the user.
    const QString &Message() const { return message_; }
    // The media-control error code (an MCIERR_ value, or a plug-in device's own code).
    std::uint32_t Code() const { return code_; }

private:
    QString message_;
    QByteArray utf8_;
    std::uint32_t code_;
};

// The media-control layer's text of an error code; a plain text naming the code when the layer
// has none (a plug-in device's own codes).
QString MciErrorText(std::uint32_t code);

// The text of a step that was given up without an error of its own.
const QString &OperationAbortedText();
