#pragma once
// Archives made for the tests: well-formed ones written by libzip, and hand-made ones with the
// member sizes only after the data, as streaming archivers write them.
#include <QByteArray>
#include <QList>
#include <QString>

struct TTestMember {
    QByteArray Name;
    QByteArray Data;
    bool Symlink = false; // a Unix symbolic link whose target is Data
};

// A ZIP archive holding the members in this order, their data stored uncompressed.
QByteArray MakeZip(const QList<TTestMember> &members);

// The same with each member's sizes zero in its local header and given in a data descriptor
// after the data and in the central directory.
QByteArray MakeStreamedZip(const QList<TTestMember> &members);

// One deflated member of `size` zero bytes, packed about 160 times as tightly as it unpacks,
// as bombs are, and built without compressing anything. `declaredSize`, when given, is the
// size the headers claim instead.
QByteArray MakeZeroBomb(const QByteArray &name, quint32 size, qint64 declaredSize = -1);

// Writes at `path` an archive of one stored member of `size` zero bytes. The zeros are a hole
// in the file, so a large member costs no disk. Returns whether the file was written.
bool WriteSparseZip(const QString &path, const QByteArray &name, quint32 size);
