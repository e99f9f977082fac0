#pragma once
// The text of an album file: the "[Album]" section with the album's attributes, "[Titles]"
// with one comma-text line per title, then one section per program ("[IProg]" for the
// internal ones, "[CProg]" for the custom ones) whose links are title positions. Every line
// ends in CR LF.
//
// Threads: any (reads only the album given).
#include <QString>

class TAlbum;

// systemAlbum adds the line SysAlbum=1, which marks the album that receives files from the
// command line.
QString AlbumFileText(const TAlbum &album, bool systemAlbum);
