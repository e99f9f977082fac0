#include "packages/zipdirectory.h"
#include "packages/zipstreamerror.h"
#include "support/testenv.h"
#include "testarchive.h"

#include <gtest/gtest.h>

namespace {

// The names listed from `bytes`, or the error's message.
QString Listing(const TTestEnvironment &env, const QByteArray &bytes)
{
    TZipDirectory directory;
    try {
        directory.Read(env.writeFile(QStringLiteral("p.zip"), bytes));
    } catch (const EZipStreamError &error) {
        return error.Message();
    }
    QByteArrayList names;
    for (const TZipDirectoryRecord &record : directory.Records())
        names.append(record.Name);
    return QString::fromUtf8(names.join(','));
}

} // namespace

TEST(ZipDirectory, ListsMembersInArchiveOrder)
{
    TTestEnvironment env;
    EXPECT_EQ(Listing(env, MakeZip({{"a.mid", "MThd"}, {"sub/b.zip", "PK"}, {"c.kar", "123"}})),
              QStringLiteral("a.mid,sub/b.zip,c.kar"));
    // Sizes only after the data; the odd lengths put each next header off the four-byte steps
    // of the forward search.
    EXPECT_EQ(Listing(env, MakeStreamedZip({{"a.mid", "1234567"}, {"b.mid", "123"}})),
              QStringLiteral("a.mid,b.mid"));
    // A name ends at its first zero byte.
    QByteArray zip = MakeZip({{"abcde.mid", "x"}});
    EXPECT_EQ(Listing(env, zip.replace("abcde.mid", QByteArray("ab\0de.mid", 9))), u"ab");
}

TEST(ZipDirectory, DamagedArchivesRaiseErrors)
{
    TTestEnvironment env;
    const QByteArray zip = MakeZip({{"a.mid", "0123456789"}, {"b.mid", "abc"}});
    EXPECT_EQ(Listing(env, {}), u"Error 1 reading Zip File");
    EXPECT_EQ(Listing(env, QByteArray(4001, 'x')), u"Error 1 reading Zip File");
    EXPECT_EQ(Listing(env, zip.left(20)), u"Error 2 reading Zip file"); // in the fixed fields
    EXPECT_EQ(Listing(env, zip.left(32)), u"Error 2 reading Zip file"); // in the name
    QByteArray tooLong = zip;
    tooLong[19] = char(0x7F); // the data would run past the end
    EXPECT_EQ(Listing(env, tooLong), u"Error 3 reading Zip file");
    // A cut central directory is never read.
    const QByteArray cut = zip.left(zip.lastIndexOf("PK\1\2") + 10);
    EXPECT_EQ(Listing(env, cut), u"a.mid,b.mid");
    // A file that neither starts like an archive nor ends like one is not searched through.
    EXPECT_EQ(Listing(env, QByteArray(4000, 'x') + cut), u"Error 1 reading Zip File");
    EXPECT_EQ(Listing(env, QByteArray(4000, 'x') + zip), u"a.mid,b.mid");
    for (qsizetype length = 0; length < zip.size(); ++length) {
        const QString result = Listing(env, zip.left(length));
        EXPECT_TRUE(result == u"a.mid,b.mid" || result.startsWith(u"Error ")) << length;
    }

    // Empty members, one after another, one more than an archive may hold.
    const QByteArray member =
        QByteArray("PK\3\4", 4) + QByteArray(22, '\0') + QByteArray("\1\0\0\0x", 5);
    const QByteArray crowd = member.repeated(TZipDirectory::MaxRecords + 1) +
                             QByteArray("PK\5\6", 4) + QByteArray(18, '\0');
    EXPECT_EQ(Listing(env, crowd), u"Error 6 reading Zip file");
}
