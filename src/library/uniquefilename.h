#pragma once
// Names for new files: the first eight-character base-36 name ("00000000", "00000001", ...,
// "00000009", "0000000A", ..., "0000000Z", "00000010", ...) that no file in the folder has
// yet. A name is never handed out again while its file exists.
//
// Threads: any.
#include <QString>

// folder + name + extension for the first free name, or empty when every name is taken.
// folder ends with a separator; extension starts with its dot (".tal").
QString UniqueFileName(const QString &folder, const QString &extension);
