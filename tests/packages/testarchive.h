#pragma once
// Archives made for the tests: well-formed ones written by libzip, and hand-made ones with the
// member sizes only after the data, as streaming archivers write them.
#include <QByteArray>
#include <QList>

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
