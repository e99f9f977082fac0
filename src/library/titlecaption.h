#pragma once
// The caption proposed for a title made from a file name.
//
// Threads: any.
#include <QString>

// A name holding ">" gives the text before the first ">" (a name and a file joined by ">").
// Otherwise the file name part without its extension; with tidying, an all-capital name is
// lowered, each word starts with a capital, "_" becomes a blank and a blank goes between a
// small letter and a capital ("my_song-title.mid" gives "My Song-Title", "BigBand.rmi" gives
// "Big Band").
QString MakeTitleCaption(const QString &fileName, bool tidy);
