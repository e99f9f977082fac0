#pragma once
// Reading the pictures of a theme: Windows bitmaps as the themes are drawn, and PNG (or any
// other format Qt reads) so that a theme can carry an alpha channel. The bits per pixel the
// file was stored with are kept, since monochrome and 16-colour glyphs are treated apart.
//
// Threads: any.

#include <QImage>
#include <QString>

struct TPictureFile {
    QImage Image;
    int BitDepth = 0; // bits per pixel as stored in the file
};

// Reads a picture; false and a text for the user when the file cannot be read.
bool LoadPictureFile(const QString &path, TPictureFile &picture, QString *error = nullptr);

// The colour depth of the screen in bits per pixel. Tests and tools may pin it; 0 gives the
// primary screen's depth back.
int ScreenColourDepth();
void SetScreenColourDepth(int bitsPerPixel);
