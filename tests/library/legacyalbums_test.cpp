// Old albums read from the registry (the program's own file or an export file the user picks).
#include "library/album.h"
#include "library/legacyalbums.h"
#include "library/registryexport.h"
#include "platform/system/registrystore.h"
#include "support/testenv.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

// Old keys as the registry editor exports them (its own line ends and escapes).
const QString kOldKeys = QStringLiteral(
    "[HKEY_CURRENT_USER\\Software\\Verdantquill\\Tonaria\\CurrentVersion\\Albums]\r\n"
    "\"Kapasitas\"=dword:00000004\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Verdantquill\\Tonaria\\CurrentVersion\\Albums\\Album0]\r\n"
    "\"Judul\"=\"Café Classics\"\r\n"
    "\"Jumlah\"=dword:00000004\r\n"
    "\"File0\"=\"Intro>C:\\\\Music\\\\intro.mid\"\r\n"
    "\"File1\"=\"a>b>c\"\r\n"
    "\"File2\"=\"no mark here\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Verdantquill\\Tonaria\\CurrentVersion\\Albums\\Album1]\r\n"
    "\"Judul\"=\"\"\r\n"
    "\"Jumlah\"=dword:00000001\r\n"
    "\"File0\"=\"Solo>D:\\\\solo.kar\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Verdantquill\\Tonaria\\CurrentVersion\\Albums\\Album3]\r\n"
    "\"Judul\"=\"Broken\"\r\n"
    "\"Jumlah\"=\"three\"\r\n");

std::unique_ptr<TRegistryStore> Store(const QString &text)
{
    auto store = std::make_unique<TRegistryStore>(QString());
    store->parse(QByteArray("REGEDIT4\r\n\r\n") + text.toUtf8());
    return store;
}

QStringList Titles(const TAlbum &album)
{
    QStringList result;
    for (const TTitle *title : album.Titles)
        result << title->Caption + u'|' + title->FileName;
    return result;
}

} // namespace

TEST(LegacyAlbums, SlotsAreListedAndImportedAsThePreviousProgramWroteThem)
{
    const auto store = Store(kOldKeys);
    const QByteArray before = store->toText();
    const TLegacyAlbums legacy(*store);
    QStringList rows;
    QString error;
    ASSERT_EQ(legacy.ReadSlots(rows, error), TLegacyAlbums::TStatus::Ok);
    EXPECT_EQ(rows, QStringList({"Café Classics", "(unavailable??\?)", "(unavailable??\?)",
                                 "Broken"}));

    auto album = legacy.ImportSlot(0, rows[0], error);
    ASSERT_TRUE(album);
    EXPECT_EQ(album->Caption, QStringLiteral("Café Classics"));
    // Drive letters stay as written; the text after the first ">" is the file name.
    EXPECT_EQ(Titles(*album),
              QStringList({"Intro|C:\\Music\\intro.mid", "a|b>c"}));

    // An empty name is listed as unavailable and imported under that caption.
    auto unnamed = legacy.ImportSlot(1, rows[1], error);
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->Caption, QStringLiteral("(unavailable??\?)"));
    EXPECT_EQ(Titles(*unnamed), QStringList({"Solo|D:\\solo.kar"}));

    // A missing slot gives nothing and no error; the same slot twice gives two albums.
    error.clear();
    EXPECT_FALSE(legacy.ImportSlot(2, rows[2], error));
    EXPECT_TRUE(error.isEmpty());
    auto again = legacy.ImportSlot(0, rows[0], error);
    ASSERT_TRUE(again);
    EXPECT_NE(again.get(), album.get());
    EXPECT_EQ(Titles(*again), Titles(*album));

    // A bad entry count is an error and nothing.
    EXPECT_FALSE(legacy.ImportSlot(3, rows[3], error));
    EXPECT_EQ(error, QStringLiteral("Invalid data type for 'Jumlah'"));

    // The old keys are only read.
    EXPECT_EQ(store->toText(), before);
}

TEST(LegacyAlbums, AMissingOrBadSlotCountEndsTheImport)
{
    const struct {
        QString text;
        TLegacyAlbums::TStatus status;
        QString error;
    } cases[] = {
        {QString(), TLegacyAlbums::TStatus::NoKey, QString()},
        {QStringLiteral("[HKEY_CURRENT_USER\\Software\\Verdantquill\\Tonaria\\CurrentVersion\\"
                        "Albums]\r\n\"Other\"=dword:00000001\r\n"),
         TLegacyAlbums::TStatus::Failed, QStringLiteral("Failed to get data for 'Kapasitas'")},
        {QStringLiteral("[HKEY_CURRENT_USER\\Software\\Verdantquill\\Tonaria\\CurrentVersion\\"
                        "Albums]\r\n\"Kapasitas\"=\"2\"\r\n"),
         TLegacyAlbums::TStatus::Failed, QStringLiteral("Invalid data type for 'Kapasitas'")},
        // A count that would list billions of rows is held to the limit; a negative one is 0.
        {QStringLiteral("[HKEY_CURRENT_USER\\Software\\Verdantquill\\Tonaria\\CurrentVersion\\"
                        "Albums]\r\n\"Kapasitas\"=dword:ffffffff\r\n"),
         TLegacyAlbums::TStatus::Ok, QString()},
    };
    for (const auto &c : cases) {
        const auto store = Store(c.text);
        QStringList rows;
        QString error;
        EXPECT_EQ(TLegacyAlbums(*store).ReadSlots(rows, error), c.status) << c.text.toStdString();
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(rows.isEmpty());
    }
}

TEST(LegacyAlbums, BothExportFormatsImportTheSameAlbum)
{
    TTestEnvironment env;
    const QString regedit4 = env.writeFile(
        QStringLiteral("old4.reg"),
        QStringEncoder(QStringEncoder::Latin1)(QStringLiteral("REGEDIT4\r\n\r\n") + kOldKeys));
    QByteArray utf16("\xff\xfe", 2);
    utf16 += QStringEncoder(QStringEncoder::Utf16LE)(
        QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n") + kOldKeys);
    const QString version5 = env.writeFile(QStringLiteral("old5.reg"), utf16);

    for (const QString &path : {regedit4, version5}) {
        TRegistryStore store{QString()};
        QString error;
        ASSERT_TRUE(ReadRegistryExport(path, store, error)) << error.toStdString();
        QStringList rows;
        const TLegacyAlbums legacy(store);
        ASSERT_EQ(legacy.ReadSlots(rows, error), TLegacyAlbums::TStatus::Ok);
        EXPECT_EQ(rows.first(), QStringLiteral("Café Classics"));
        auto album = legacy.ImportSlot(0, rows.first(), error);
        ASSERT_TRUE(album);
        EXPECT_EQ(Titles(*album), QStringList({"Intro|C:\\Music\\intro.mid", "a|b>c"}));
    }

    // Anything else is refused with a message, and so is a file that is not there.
    TRegistryStore store{QString()};
    QString error;
    EXPECT_FALSE(ReadRegistryExport(env.writeFile(QStringLiteral("x.reg"), "[Album]\r\n"),
                                    store, error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a registry export")));
    EXPECT_FALSE(ReadRegistryExport(env.scratch() + QStringLiteral("none.reg"), store, error));
}
