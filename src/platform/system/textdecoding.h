#pragma once
// The text of the program's text files (albums, language files, settings, the extension
// table). The program writes UTF-8; files written on other systems may hold the bytes of the
// Windows Western code page instead. Such a file is read in that code page as a whole, so
// every byte it holds comes back as the character it stood for and nothing turns into a
// replacement character that a later save would make permanent.
//
// Threads: any.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// UTF-8 with or without a byte order mark; UTF-16 (little endian) after its byte order mark;
// any other bytes that are not valid UTF-8 as Windows-1252. Never fails.
QString DecodeText(QByteArrayView bytes);

// Bytes of the Windows Western code page (Windows-1252), each as the character it stands for.
// The five bytes the code page leaves undefined stand for the control characters of the same
// number, as Windows itself reads them.
QString DecodeWindows1252(QByteArrayView bytes);

// The lines of a text: a line ends at CR LF, a lone CR or a lone LF, and the line ends are not
// part of the lines. A text that does not end in a line end has its last line all the same.
QStringList SplitTextLines(QStringView text);

// Reads a whole file of at most maxSize bytes. False, with the reason in the system's words,
// when it cannot be opened or read or is larger than that.
bool ReadWholeFile(const QString &path, qint64 maxSize, QByteArray &bytes, QString &reason);

// Reads a whole file of at most maxSize bytes and decodes it. False, with the reason in the
// system's words, when it cannot be opened or read or is larger than that.
bool ReadTextFile(const QString &path, qint64 maxSize, QString &text, QString &reason);
