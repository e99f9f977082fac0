#include "presentation/skin/picturefile.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>

namespace {

int pinnedDepth = 0;

quint32 littleEndian(const QByteArray &b, int at, int size)
{
    quint32 v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | quint8(b[at + i]);
    return v;
}

// Bits per pixel from the file's header (Windows bitmap or PNG); 0 when unknown.
int storedBitDepth(const QString &path, const QImage &image)
{
    QFile file(path);
    QByteArray head;
    if (file.open(QIODevice::ReadOnly)) head = file.read(32);
    if (head.size() >= 30 && head.startsWith("BM")) {
        const quint32 headerSize = littleEndian(head, 14, 4);
        if (headerSize == 12) return int(littleEndian(head, 24, 2));
        return int(littleEndian(head, 28, 2));
    }
    if (head.size() >= 26 && head.startsWith("\x89PNG")) {
        const int bits = quint8(head[24]);
        static const int channels[] = {1, 0, 3, 1, 2, 0, 4};
        const int type = quint8(head[25]);
        return type < 7 ? bits * channels[type] : 0;
    }
    return image.depth();
}

} // namespace

bool LoadPictureFile(const QString &path, TPictureFile &picture, QString *error)
{
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("Cannot load the picture \"%1\": %2.")
                         .arg(path, reader.errorString());
        return false;
    }
    picture.BitDepth = storedBitDepth(path, image);
    picture.Image = std::move(image);
    return true;
}

int ScreenColourDepth()
{
    if (pinnedDepth > 0) return pinnedDepth;
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 24;
}

void SetScreenColourDepth(int bitsPerPixel)
{
    pinnedDepth = bitsPerPixel;
}
