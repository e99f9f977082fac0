#pragma once
// The orders the editors sort titles by. Text keys are compared without regard to the case
// of ASCII letters; file times and sizes are read from the files (a missing file counts as
// -1). direction is +1 for ascending, -1 for descending.
//
// Threads: main thread only (the file keys read the file system).
#include <QString>

#include <vector>

struct TTitle;

enum class TTitleOrder {
    Caption,       // "by Title Caption"
    FullFileName,  // "by Full Filename"
    FileNameOnly,  // "by Filename Only": the part after the last "/" or "\"
    DeviceName,    // "by Device Name"
    TrackNumber,   // "by Track Number"
    FileExtension, // "by File Extension": from the last "." of the file name part
    FileDateTime,  // "by File Date/Time": last-write time
    FileSize,      // "by File Size": size in bytes
};

// Compares two titles in an order: negative when a comes first (for direction +1).
int CompareTitles(const TTitle &a, const TTitle &b, TTitleOrder order, int direction);

// Sorts a list of titles in an order. Titles with equal keys keep their order. Each file is
// looked at once, however long the list.
void SortTitles(std::vector<TTitle *> &titles, TTitleOrder order, int direction);
