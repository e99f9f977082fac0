#pragma once
// The display window's three edits of the loaded title: add it to the current program, remove
// it from the current program, remove it from the current album. Each acts on the album record
// the loaded title came from, does nothing without a loaded title, and leaves the titles list
// and the controls up to date. The removals ask the user first.
//
// Threads: main thread only.

class TJukebox;

// Appends the loaded title's record to the current program unless the program holds it
// already. A title whose record is not in the current album (it came from another album, or
// its record was removed) is first added to the album as a copy.
void AddLoadedTitleToProgram(TJukebox &jukebox);
// Only for a custom program that holds the record: asks, then removes every occurrence.
// Internal programs cannot be edited: they only get their controls updated.
void RemoveLoadedTitleFromProgram(TJukebox &jukebox);
// Asks, then removes the record from the album and from all its programs.
void RemoveLoadedTitleFromAlbum(TJukebox &jukebox);
