#pragma once
// The caption proposed for a title made from a file name.
//
// Threads: any (reads the file system to tell a file name from a joined name).
#include <QString>

// A name and a file joined by ">" ("Side A>/music/a.mid") give the text before the first ">".
// A Linux file name may hold ">" itself, so an absolute path, or the name of a file that
// exists, is always taken as a file name ("/music/Rock > Pop.mid" gives "Rock > Pop").
// Otherwise the file name part without its extension; with tidying, an all-capital name is
// lowered, each word starts with a capital, "_" becomes a blank and a blank goes between a
// small letter and a capital ("my_song-title.mid" gives "My Song-Title", "BigBand.rmi" gives
// "Big Band").
QString MakeTitleCaption(const QString &fileName, bool tidy);
