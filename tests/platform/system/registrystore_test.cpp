#include "platform/system/registry.h"
#include "platform/system/registrystore.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <sys/stat.h>

using THive = TRegistryStore::THive;
using TKind = TRegistryStore::TKind;

namespace {
const THive CU = THive::CurrentUser;
const THive CR = THive::ClassesRoot;

} // namespace

TEST(RegistryStore, NamesFoldCaseKeepFirstSpellingAndListInCreationOrder)
{
    TRegistryStore store(QStringLiteral("unused"));
    const QString root = QStringLiteral("Root");
    for (const char *name : {"Zeta", "alpha", "Mid"})
        store.createKey(CU, root + u'\\' + QLatin1String(name));
    ASSERT_TRUE(store.createKey(CU, QStringLiteral("ROOT\\ALPHA\\Deep")));
    EXPECT_FALSE(store.keyExists(CR, root));
    const QStringList keys{QStringLiteral("Zeta"), QStringLiteral("alpha"), QStringLiteral("Mid")};
    EXPECT_EQ(store.subKeyNames(CU, root), keys);

    for (const char *name : {"b", "A", "c"})
        store.writeDword(CU, root, QLatin1String(name), 1);
    // Rewritten in place: same spelling, same place, new kind; the wrong kind reads as missing.
    EXPECT_TRUE(store.writeString(CU, root, QStringLiteral("B"), QStringLiteral("text")));
    EXPECT_FALSE(store.readDword(CU, root, QStringLiteral("b")));
    EXPECT_EQ(store.readString(CU, root, QStringLiteral("b")), QStringLiteral("text"));
    EXPECT_TRUE(store.deleteValue(CU, root, QStringLiteral("a")));
    EXPECT_EQ(store.valueNames(CU, root), (QStringList{QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(store.readDword(CU, root, QStringLiteral("C")), 1u);
    EXPECT_FALSE(store.writeDword(CU, QStringLiteral("Nowhere"), QStringLiteral("X"), 1));

    EXPECT_TRUE(store.deleteKey(CU, QStringLiteral("root\\Alpha")));
    EXPECT_FALSE(store.keyExists(CU, QStringLiteral("Root\\alpha\\Deep")));
    EXPECT_EQ(store.subKeyNames(CU, root), (QStringList{keys[0], keys[2]}));
    EXPECT_FALSE(store.deleteKey(CU, QString())); // the hive stays
    EXPECT_FALSE(store.createKey(CU, QStringLiteral("Bad\nName")));
    EXPECT_FALSE(store.createKey(CU, QString(256, u'x')));
}

TEST(RegistryStore, TextRoundTripsEveryKindOfValueAndName)
{
    TRegistryStore store(QStringLiteral("unused"));
    const QString key = QStringLiteral("Software\\Odd [name]");
    store.createKey(CU, key);
    store.createKey(CR, QStringLiteral("Tonaria3.MediaFile\\Shell\\Open"));
    store.writeString(CR, QStringLiteral("Tonaria3.MediaFile"), QString(),
                      QStringLiteral("Tonaria Media File"));
    const QString tricky = QStringLiteral("\"C:\\Music\\\" line1\r\nline2\ttab \x01 é ♪");
    store.writeString(CU, key, tricky, tricky);
    store.writeString(CU, key, QStringLiteral("Empty"), QString());
    store.writeDword(CU, key, QStringLiteral("Big"), 0xFFFFFFFFu);
    store.writeDword(CU, key, QStringLiteral("Ten"), 10);

    const QByteArray text = store.toText();
    EXPECT_TRUE(text.startsWith("REGEDIT4\r\n"));
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software\\Odd [name]]\r\n"));
    EXPECT_TRUE(text.contains("\"Ten\"=dword:0000000a\r\n"));
    EXPECT_TRUE(
        text.contains("[HKEY_CLASSES_ROOT\\Tonaria3.MediaFile]\r\n@=\"Tonaria Media File\""));
    EXPECT_TRUE(text.contains("line1\\r\\nline2\\ttab \\x01")); // one entry, one line

    TRegistryStore back(QStringLiteral("unused"));
    back.parse(text);
    EXPECT_EQ(back.readString(CU, key, tricky), tricky);
    EXPECT_EQ(back.readString(CU, key, QStringLiteral("Empty")), QString());
    EXPECT_EQ(back.readDword(CU, key, QStringLiteral("Big")), 0xFFFFFFFFu);
    EXPECT_EQ(back.valueNames(CU, key), store.valueNames(CU, key));
    EXPECT_TRUE(back.keyExists(CR, QStringLiteral("Tonaria3.MediaFile\\Shell\\Open")));
    EXPECT_EQ(back.toText(), text);
}

TEST(RegistryStore, HandEditsAreReadTolerantlyAndUnknownValuesKept)
{
    const QByteArray text =
        "Windows Registry Editor Version 5.00\n"
        "; a comment\n"
        "garbage line\n"
        "\"Orphan\"=dword:1\n"     // before any section: skipped
        "[HKEY_CURRENT_USER\\A]\r" // CR line ends
        "  \"Spaced\" = dword:FF  \r\n"
        "\"BadDword\"=dword:xyz\n" // kept, reads as missing
        "\"Bin\"=hex:01,02,\\\n"
        "  03,04\n"
        "\"Unterminated\"=\"abc\n"          // kept, reads as missing
        "\"Path\"=\"C:\\Music\\Old\"\n"     // a lone backslash stands for itself
        "\"Gone\"=-\n"                      // a deletion mark: nothing to keep
        "[HKEY_CURRENT_USER\\A\\Unclosed\n" // broken header: its lines are skipped
        "\"Lost\"=dword:1\n"
        "[-HKEY_CURRENT_USER\\B]\n"
        "\"AlsoLost\"=dword:1\n"
        "[HKEY_NONSENSE\\Skipped]\n\"No\"=\"no\"\n"
        "[HKEY_LOCAL_MACHINE\\Other]\n"
        "\"Kept\"=\"yes\"\n"
        "[hkey_current_user\\a]\n" // the same key again
        "\"Later\"=\"x\"\n";
    TRegistryStore store(QStringLiteral("unused"));
    store.parse(text);
    const QString a = QStringLiteral("A");
    EXPECT_EQ(store.readDword(CU, a, QStringLiteral("Spaced")), 0xFFu);
    EXPECT_EQ(store.valueKind(CU, a, QStringLiteral("BadDword")), TKind::Other);
    EXPECT_FALSE(store.readDword(CU, a, QStringLiteral("BadDword")));
    EXPECT_EQ(store.valueKind(CU, a, QStringLiteral("Bin")), TKind::Other);
    EXPECT_FALSE(store.readString(CU, a, QStringLiteral("Unterminated")));
    EXPECT_EQ(store.readString(CU, a, QStringLiteral("Path")), QStringLiteral("C:\\Music\\Old"));
    EXPECT_EQ(store.valueKind(CU, a, QStringLiteral("Gone")), TKind::None);
    EXPECT_EQ(store.valueNames(CU, a).size(), 6);
    EXPECT_EQ(store.subKeyNames(CU, a), QStringList());
    EXPECT_FALSE(store.keyExists(CU, QStringLiteral("B")));
    EXPECT_TRUE(store.valueNames(CU, QString()).isEmpty());

    // Values of unknown kinds and other hives survive a save unchanged.
    const QByteArray out = store.toText();
    EXPECT_TRUE(out.contains("\"Bin\"=hex:01,02,03,04\r\n"));
    EXPECT_TRUE(out.contains("\"BadDword\"=dword:xyz\r\n"));
    EXPECT_TRUE(out.contains("[HKEY_LOCAL_MACHINE\\Other]\r\n\"Kept\"=\"yes\""));
    EXPECT_FALSE(out.contains("HKEY_NONSENSE"));
}

TEST(RegistryStore, HostileInputNeverCrashes)
{
    TRegistryStore store(QStringLiteral("unused"));
    // Deep nesting beyond the limit is refused; right at it is fine.
    QByteArray deep = "[HKEY_CURRENT_USER";
    for (int i = 0; i < 100000; ++i)
        deep += "\\k";
    store.parse(deep + "]\n\"v\"=dword:1\n");
    EXPECT_FALSE(store.keyExists(CU, QStringLiteral("k")));
    QByteArray limit = "[HKEY_CURRENT_USER";
    for (int i = 0; i < TRegistryStore::kMaxKeyDepth; ++i)
        limit += "\\k";
    store.parse(limit + "]\n");
    EXPECT_TRUE(store.keyExists(CU, QStringLiteral("k\\k\\k")));
    store.toText();

    // Many siblings, odd bytes, lone quotes and escapes at line ends, UTF-16 text.
    QByteArray wide = "REGEDIT4\n[HKEY_CURRENT_USER\\W]\n";
    for (int i = 0; i < 20000; ++i)
        wide += "\"v" + QByteArray::number(i) + "\"=dword:" + QByteArray::number(i, 16) + "\n";
    store.parse(wide);
    EXPECT_EQ(store.valueNames(CU, QStringLiteral("W")).size(), 20000);
    for (const char *odd : {"[", "]", "\"", "@", "@=", "\"a\\", "\"a\"=\"\\", "\"a\"=\"\\x4",
                            "\"a\"=dword:", "\"a\"=dword:123456789", "[HKEY_]", "[\\\\]",
                            "\xFF\xFE[\0H\0", "\0\0\0", "\"\"=\"\"", "@=hex:\\"}) {
        store.parse(QByteArray("[HKEY_CURRENT_USER\\X]\n") + QByteArray(odd, int(strlen(odd) + 1)));
        store.toText();
    }
    QRandomGenerator random(42);
    const QByteArray alphabet =
        "[]\\\"@=:-;dwordhex0123456789abcdefHKEY_CURRENT_USER \r\n\t\x01\xC3\xA9";
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        const int length = int(random.bounded(400));
        for (int i = 0; i < length; ++i)
            bytes += alphabet[int(random.bounded(alphabet.size()))];
        store.parse(bytes);
        TRegistryStore again(QStringLiteral("unused"));
        again.parse(store.toText());
        EXPECT_EQ(again.toText(), store.toText()) << bytes.toHex().constData();
    }
}

TEST(RegistryStore, SavesAtomicallyAsPrivateReadableText)
{
    TTestEnvironment env;
    const QString path = env.scratch() + QStringLiteral("new/folder/registry.reg");
    TRegistryStore store(path);
    EXPECT_TRUE(store.load()); // no file: empty
    store.createKey(CU, QStringLiteral("K"));
    store.writeString(CU, QStringLiteral("K"), QStringLiteral("Name"), QStringLiteral("text"));
    QString error;
    ASSERT_TRUE(store.save(&error)) << error.toStdString();
    EXPECT_FALSE(store.isModified());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(TTestEnvironment::readFile(path),
              QByteArray("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"Name\"=\"text\"\r\n\r\n"));

    // A save that cannot be done says why and leaves the old file.
    TRegistryStore blocked(env.scratch() + QStringLiteral("new/folder/registry.reg/sub/x.reg"));
    EXPECT_FALSE(blocked.save(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("x.reg")));
    EXPECT_TRUE(QFileInfo(path).isFile());

    // A store that never read the file does not write over it.
    TRegistryStore unread(path);
    unread.createKey(CU, QStringLiteral("Other"));
    EXPECT_FALSE(unread.save(&error));

    TRegistryStore back(path);
    ASSERT_TRUE(back.load());
    EXPECT_EQ(back.readString(CU, QStringLiteral("k"), QStringLiteral("name")),
              QStringLiteral("text"));
}

TEST(RegistryStore, StringsFromAWindowsCodePageSurviveASave)
{
    TTestEnvironment env;
    const QString path = env.writeFile(QStringLiteral("registry.reg"),
                                       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\P]\r\n"
                                       "\"SUProxyPassword\"=\"p\xe4\xdf\x80rd\"\r\n");
    TRegistryStore store(path);
    ASSERT_TRUE(store.load());
    const QString password = QStringLiteral("p\u00e4\u00df\u20acrd");
    EXPECT_EQ(store.readString(CU, QStringLiteral("P"), QStringLiteral("SUProxyPassword")),
              password);
    store.writeDword(CU, QStringLiteral("P"), QStringLiteral("SUProxyPort"), 8080);
    ASSERT_TRUE(store.save());
    EXPECT_TRUE(TTestEnvironment::readFile(path).contains("p\xc3\xa4\xc3\x9f\xe2\x82\xacrd"));
    TRegistryStore back(path);
    ASSERT_TRUE(back.load());
    EXPECT_EQ(back.readString(CU, QStringLiteral("P"), QStringLiteral("SUProxyPassword")),
              password);
}

TEST(RegistryStore, AnUnreadableFileIsNeverOverwritten)
{
    TTestEnvironment env;
    // A folder in place of the file cannot be read.
    const QString path = env.scratch() + QStringLiteral("registry.reg");
    QDir().mkpath(path);
    TRegistryStore store(path);
    QString error;
    EXPECT_FALSE(store.load(&error));
    EXPECT_FALSE(error.isEmpty());
    store.createKey(CU, QStringLiteral("K"));
    EXPECT_FALSE(store.save(&error));
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST(RegistryStore, LocationComesFromTheEnvironment)
{
    TTestEnvironment env;
    EXPECT_EQ(TRegistryStore::defaultFilePath(), env.config());
    qunsetenv("TONARIA_CONFIG");
    qputenv("XDG_CONFIG_HOME", "/xdg/config");
    EXPECT_EQ(TRegistryStore::defaultFilePath(),
              QStringLiteral("/xdg/config/tonaria/registry.reg"));
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    EXPECT_EQ(TRegistryStore::defaultFilePath(),
              QDir::homePath() + QStringLiteral("/.config/tonaria/registry.reg"));
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(Registry, OpensKeysRelativeToTheOpenKeyOrFromTheHive)
{
    TRegistryStore store(QStringLiteral("unused"));
    TRegistry reg(store);
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("Software\\Brimvel"), false));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Brimvel"), true));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Tonaria"), true)); // relative
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("Software\\Brimvel\\Tonaria"));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("\\software")));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software"), false)); // absolute
    EXPECT_EQ(reg.GetKeyNames(), QStringList{QStringLiteral("Brimvel")});

    EXPECT_TRUE(reg.WriteInteger(QStringLiteral("Neg"), -1));
    EXPECT_TRUE(reg.WriteString(QStringLiteral("Text"), QStringLiteral("t")));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("neg")), -1);
    EXPECT_FALSE(reg.ReadBool(QStringLiteral("Text")));

    // The classes root is a separate tree; changing hives closes the key.
    reg.SetRootKey(TRegistry::THive::ClassesRoot);
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("Software")));
    reg.SetRootKey(TRegistry::THive::CurrentUser);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Brimvel"), false));
    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("\\Software")));
    EXPECT_FALSE(reg.WriteInteger(QStringLiteral("X"), 1)); // its key is gone
}
