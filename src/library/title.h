#pragma once
// A title: one media file, or one track of a device, as an album lists it.
//
// Threads: main thread only.
#include <QString>

#include <memory>

struct TTitle {
    QString Caption = QStringLiteral("Default Title name");
    // Media file path; empty for a title that stands for a device itself (a CD track).
    QString FileName;
    // Track to select after opening (1 and above); -1 or 0 means none.
    int Track = -1;
    // A second number for the program's own use; never stored in an album file and never
    // read by the library.
    int Data = -1;
    // Playback device to open the title on; empty lets the player choose by the file.
    QString DeviceName;
};

// Frees a title record, telling the library listener first (so that nobody keeps the address
// of a freed record). Every title record the library frees goes through here.
struct TTitleDisposer {
    void operator()(TTitle *title) const;
};

// A title record that has left its album and is owned by whoever holds this.
using TOwnedTitle = std::unique_ptr<TTitle, TTitleDisposer>;

// Frees a title record (the listener hears of it first). A null pointer is ignored.
void DisposeTitle(TOwnedTitle title);
