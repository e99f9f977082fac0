#include "platform/system/asciicase.h"
#include "platform/system/atomicfile.h"
#include "platform/system/textdecoding.h"
#include "support/filesizelimit.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

TEST(AsciiCase, OnlyAsciiLettersFoldAndCapitalsDecideTheOrder)
{
    EXPECT_TRUE(SameAsciiNoCase(u"/PLAY", u"/play"));
    EXPECT_FALSE(SameAsciiNoCase(u"\u00c9t\u00e9", u"\u00e9T\u00c9")); // accents keep their case
    EXPECT_FALSE(SameAsciiNoCase(u"ab", u"abc"));
    EXPECT_EQ(AsciiLower(u"MID.\u00c4X"), QStringLiteral("mid.\u00c4x"));
    // Letters fold to capitals, so "_" (between "Z" and "a") sorts after every letter.
    EXPECT_GT(CompareAsciiNoCase(u"a_", u"AB"), 0);
    EXPECT_GT(CompareAsciiNoCase(u"_", u"z"), 0);
    EXPECT_LT(CompareAsciiNoCase(u"beta", u"Gamma"), 0);
    EXPECT_LT(CompareAsciiNoCase(u"Al", u"alpha"), 0);
    EXPECT_EQ(CompareAsciiNoCase(u"Temporary", u"TEMPORARY"), 0);
}

TEST(TextDecoding, ForeignCodePageBytesKeepTheirCharacters)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"plain", QStringLiteral("plain")},
        {"Caf\xc3\xa9", QStringLiteral("Caf\u00e9")},               // UTF-8
        {"\xef\xbb\xbfSch\xc3\xb6n", QStringLiteral("Sch\u00f6n")}, // UTF-8 with its mark
        {"Caf\xe9 \x80 \x93x\x94", QStringLiteral("Caf\u00e9 \u20ac \u201cx\u201d")}, // 1252
        {"\xc3\xa9 then \xe9", QStringLiteral("\u00c3\u00a9 then \u00e9")}, // not UTF-8 as a whole
        {"cut \xc3", QStringLiteral("cut \u00c3")},                         // sequence cut off
        {"\x81\x8d\x8f\x90\x9d", QStringLiteral("\u0081\u008d\u008f\u0090\u009d")},
        {"\xed\xa0\x80", QStringLiteral("\u00ed\u00a0\u20ac")}, // an encoded surrogate is no UTF-8
        {QByteArray("\xff\xfe"
                    "A\0\xe9\0",
                    6),
         QStringLiteral("A\u00e9")}, // UTF-16
    };
    for (const auto &[bytes, text] : cases) {
        EXPECT_EQ(DecodeText(bytes), text) << bytes.toHex().constData();
        EXPECT_FALSE(DecodeText(bytes).contains(QChar(0xFFFD)));
    }
    EXPECT_EQ(SplitTextLines(u"a\r\nb\rc\n\nd"),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QString(),
                           QStringLiteral("d")}));
}

TEST(TextDecoding, FilesPastTheLimitAreRefusedUnread)
{
    TTestEnvironment env;
    const QString path = env.writeFile(QStringLiteral("big.txt"), "x");
    ASSERT_TRUE(QFile::resize(path, 3 * 1024 * 1024)); // sparse: nothing is really written
    QString text, reason;
    EXPECT_FALSE(ReadTextFile(path, 2 * 1024 * 1024, text, reason));
    EXPECT_EQ(reason, QStringLiteral("The file is larger than 2 MiB."));
    EXPECT_TRUE(ReadTextFile(path, 3 * 1024 * 1024, text, reason));
    EXPECT_EQ(text.size(), 3 * 1024 * 1024);
}

TEST(AtomicFile, AFailedWriteGivesTheSystemsReasonAndKeepsTheOldFile)
{
    TTestEnvironment env;
    const QString path = env.writeFile(QStringLiteral("f.txt"), "old");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    QString reason;
    ASSERT_TRUE(WriteFileAtomically(path, "new", reason));
    EXPECT_EQ(TTestEnvironment::readFile(path), "new");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u); // a replaced file keeps its permissions
    ASSERT_TRUE(WriteFileAtomically(path, "private", reason, 0600));
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    {
        TFileSizeLimit limit(4096);
        EXPECT_FALSE(WriteFileAtomically(path, QByteArray(100000, 'x'), reason));
    }
    EXPECT_EQ(reason, QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(TTestEnvironment::readFile(path), "private");
    EXPECT_FALSE(WriteFileAtomically(env.scratch() + QStringLiteral("no/such/f"), "x", reason));
    EXPECT_EQ(reason, QString::fromLocal8Bit(std::strerror(ENOENT)));
    // Nothing is left behind beside the file.
    EXPECT_EQ(QDir(env.scratch()).entryList(QDir::Files), QStringList{QStringLiteral("f.txt")});
    // A link stays a link; the file it leads to gets the bytes.
    const QString link = env.scratch() + QStringLiteral("link.txt");
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(WriteFileAtomically(link, "through", reason));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(TTestEnvironment::readFile(path), "through");
}
