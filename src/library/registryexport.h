#pragma once
// Registry export files as the desktop's registry editor writes them: "REGEDIT4" (8-bit text)
// or "Windows Registry Editor Version 5.00" (UTF-16 little endian after its byte order mark, or
// 8-bit when converted), followed by [key] sections and their values. The import of old albums
// reads the old keys from such a file when the user brought them over that way.
//
// Threads: any.
#include <QString>

class TRegistryStore;

// Reads the file into `store` (which holds only the file's keys afterwards). False, with a text
// for the user, when the file cannot be read, is too large, or does not begin with one of the
// two headers; the store is then left empty.
bool ReadRegistryExport(const QString &path, TRegistryStore &store, QString &error);
