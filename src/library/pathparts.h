#pragma once
// The parts of a path the library looks at. Both "/" and "\" separate folders (album files
// written elsewhere may hold either); a colon is an ordinary character.
//
// Threads: any.
#include <QString>
#include <QStringView>

// The file name part: everything after the last "/" or "\".
QStringView FileNamePart(QStringView path);

// The extension: from the last "." of the file name part to the end; empty when the file
// name part has no ".".
QStringView FileExtension(QStringView path);
