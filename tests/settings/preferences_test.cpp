#include "settings/preferences.h"
#include "settings/ui/fontconversion.h"
#include "support/testenv.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using THive = TRegistryStore::THive;

namespace {

// Everything a preference object would store, as registry text: two objects with the same
// text hold the same values.
QByteArray stored(TPreferences prefs, int curAlbum)
{
    QTemporaryDir dir;
    TRegistryStore store(dir.filePath(QStringLiteral("registry.reg")));
    TRegistry reg(store);
    prefs.SavePreferences(reg, curAlbum, QStringLiteral("/opt/tonaria/tonaria"));
    return store.toText();
}

// Sets every value to something other than its default.
void changeEverything(TPreferences &p)
{
    p.AllowFly = p.APMActive = p.APMFall = p.AutoOpenTitle = p.AutoSnap = false;
    p.DisplayFlag = p.NowPlayingNotices = p.Reset = p.SUProxy = p.SURemind = p.TimeSwap =
        p.PrefCloaked = true;
    p.SUAuto = p.SUAutoIfConnected = p.FloatShow = false;
    p.APMInterval = 50, p.APMFallInterval = 200, p.PauseDelay = 1500, p.QuickNumber = 500;
    p.CTitleCaption = 0x80000005, p.CPrimaryTime = 0x00123456, p.CSecondaryTime = 1;
    p.CTotalTime = 2, p.CPositionBar = 3, p.CFloatbarCaption = 4, p.CFloatbarTime = 5;
    p.FTitleCaption = {QStringLiteral("DejaVu Sans"), 11, true, true};
    p.FPrimaryTime = {QStringLiteral("Serif"), 30, false, true};
    p.FSecondaryTime.Size = 9, p.FTotalTime.Italic = true, p.FFloatbarTime.Bold = true;
    p.FFloatbarCaption.Name = QStringLiteral("Mono");
    p.FBSkip = 1, p.FBInt = 2, p.FBDec = 3, p.FFSkip = 4, p.FFInt = 5, p.FFDec = 6;
    p.FloatMode = 2, p.FormMode = 1, p.SUProxyPort = 3128, p.TitlesGutter = 32;
    p.Lang = QStringLiteral("Deutsch"), p.ThemeName = QStringLiteral("Night");
    p.ResetFile = QStringLiteral("GM Reset.mid");
    p.SUProxyServer = QStringLiteral("proxy.example"), p.SUProxyUsername = QStringLiteral("me");
    p.SUProxyPassword = QStringLiteral("p\"a\\ss");
    // A window may sit left of the first screen.
    p.FloatWidth = 300, p.FloatX = -20, p.FloatY = 10, p.FormX = 11, p.FormY = 12;
    p.plbAlbumsBoxWidth = 1, p.plbAlbumsBoxHeight = 2, p.plbProgramsBoxWidth = 3;
    p.plbProgramsBoxHeight = 4, p.plbTitlesBoxWidth = 5, p.plbTitlesBoxHeight = 6;
    p.SUNews = {QStringLiteral("first"), QString(), QStringLiteral("third")};
    p.PluginList = {QStringLiteral("/opt/plugins/a.tpi"), QStringLiteral("/home/me/b c.tpi")};
}

} // namespace

TEST(Preferences, NoRegistryFileYieldsEveryDefault)
{
    TTestEnvironment env;
    TRegistryStore store(env.config());
    ASSERT_TRUE(store.load());
    TRegistry reg(store);
    TPreferences prefs;
    changeEverything(prefs);
    prefs.SetPreferenceDefaults(24);
    EXPECT_TRUE(prefs.PluginList.isEmpty());
    prefs.LoadPreferences(reg);
    EXPECT_EQ(stored(prefs, 0), stored(TPreferences(24), 0));

    EXPECT_EQ(prefs.Lang, QStringLiteral("English"));
    EXPECT_EQ(prefs.FPrimaryTime, (TFontPref{QStringLiteral("Times New Roman"), 48, true, false}));
    EXPECT_EQ(prefs.FloatWidth, -1);
    // The missing keys are created.
    EXPECT_TRUE(store.keyExists(THive::CurrentUser, kPluginsKey));
}

TEST(Preferences, SaveWritesEveryValueAsPrivateTextAndReadsBackTheSame)
{
    TTestEnvironment env;
    TPreferences prefs;
    changeEverything(prefs);
    {
        TRegistryStore store(env.config());
        TRegistry reg(store);
        QString error;
        ASSERT_TRUE(prefs.SavePreferences(reg, 3, QStringLiteral("/opt/to naria/tonaria"), &error))
            << error.toStdString();
    }
    EXPECT_EQ(prefs.CurAlbum, 3);

    const QByteArray text = TTestEnvironment::readFile(env.config());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(env.config()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Every value of the two keys, under its own name; a font is four values.
    QStringList visible =
        QStringLiteral(
            "AllowFly APMActive APMInterval APMFall APMFallInterval AutoOpenTitle AutoSnap "
            "CTitleCaption CPrimaryTime CSecondaryTime CTotalTime CPositionBar CFloatbarCaption "
            "CFloatbarTime DisplayFlag FBSkip FBInt FBDec FFSkip FFInt FFDec FloatMode FormMode "
            "Lang NowPlayingNotices PauseDelay Reset ResetFile SUAuto SUAutoIfConnected SUProxy "
            "SUProxyServer "
            "SUProxyPort "
            "SUProxyUsername SUProxyPassword SURemind ThemeName TimeSwap TitlesGutter QuickNumber")
            .split(u' ');
    for (const QString &font : QStringLiteral("FTitleCaption FPrimaryTime FSecondaryTime "
                                              "FTotalTime FFloatbarCaption FFloatbarTime")
                                   .split(u' '))
        for (const char *part : {".Name", ".Size", ".Style.fsBold", ".Style.fsItalic"})
            visible << font + QLatin1String(part);
    QStringList invisible =
        QStringLiteral("Cloaked CurAlbum FloatWidth FloatShow FloatX FloatY FormX FormY "
                       "plbAlbumsBoxWidth plbAlbumsBoxHeight plbProgramsBoxWidth "
                       "plbProgramsBoxHeight plbTitlesBoxWidth plbTitlesBoxHeight SUNews")
            .split(u' ');
    TRegistryStore store(env.config());
    ASSERT_TRUE(store.load());
    QStringList visibleNames = store.valueNames(THive::CurrentUser, kVisibleKey);
    QStringList invisibleNames = store.valueNames(THive::CurrentUser, kInvisibleKey);
    for (QStringList *list : {&visible, &invisible, &visibleNames, &invisibleNames})
        list->sort();
    EXPECT_EQ(visibleNames, visible);
    EXPECT_EQ(invisibleNames, invisible);
    EXPECT_EQ(store.valueNames(THive::CurrentUser, kPluginsKey), prefs.PluginList);

    // Readable text as the registry editor writes it.
    EXPECT_TRUE(text.contains("\"APMFallInterval\"=dword:000000c8\r\n"));
    EXPECT_TRUE(text.contains("\"FloatX\"=dword:ffffffec\r\n"));
    EXPECT_TRUE(text.contains("\"CurAlbum\"=dword:00000003\r\n"));
    EXPECT_TRUE(text.contains("\"SUProxyPassword\"=\"p\\\"a\\\\ss\"\r\n"));
    EXPECT_TRUE(text.contains("\"SUNews\"=\"first\\r\\n\\r\\nthird\\r\\n\"\r\n"));
    EXPECT_TRUE(text.contains("\"FPrimaryTime.Name\"=\"Serif\"\r\n"));
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software\\Brimvel\\Tonaria\\CurrentVersion\\"
                              "Preferences\\Plugins]\r\n\"/opt/plugins/a.tpi\"=\"\"\r\n"));
    // The association class with its open command.
    EXPECT_TRUE(text.contains("[HKEY_CLASSES_ROOT\\Tonaria3.MediaFile]\r\n"
                              "@=\"Tonaria Media File\"\r\n"));
    EXPECT_TRUE(text.contains("[HKEY_CLASSES_ROOT\\Tonaria3.MediaFile\\DefaultIcon]\r\n"
                              "@=\"/opt/to naria/tonaria,1\"\r\n"));
    EXPECT_TRUE(store.keyExists(THive::ClassesRoot, QStringLiteral("Tonaria3.MediaFile\\Shell")));
    EXPECT_EQ(store.readString(THive::ClassesRoot,
                               QStringLiteral("Tonaria3.MediaFile\\Shell\\Open\\Command"),
                               QString()),
              QStringLiteral("\"/opt/to naria/tonaria\" /Play /Close \"%1\""));

    TRegistry reg(store);
    TPreferences back;
    back.LoadPreferences(reg);
    EXPECT_EQ(back.SUNews, prefs.SUNews);
    EXPECT_EQ(back.PluginList, prefs.PluginList);
    EXPECT_EQ(back.FTitleCaption, prefs.FTitleCaption);
    EXPECT_EQ(back.CTitleCaption, 0x80000005u);
    EXPECT_EQ(stored(back, 3), stored(prefs, 3));
}

TEST(Preferences, MissingWrongOrUnusableValuesKeepTheirDefaults)
{
    TRegistryStore store(QStringLiteral("unused"));
    store.parse(
        "REGEDIT4\n"
        "[HKEY_CURRENT_USER\\Software\\Brimvel\\Tonaria\\CurrentVersion\\Preferences\\Visible]\n"
        "\"Lang\"=\"\"\n"
        "\"ThemeName\"=\"\"\n"
        "\"ResetFile\"=\"../../elsewhere.mid\"\n"
        "\"FTitleCaption.Name\"=\"Cantarell\"\n"
        "\"FPrimaryTime.Size\"=dword:00000000\n"
        "\"FPrimaryTime.Style.fsBold\"=dword:00000000\n"
        "\"AllowFly\"=\"0\"\n"             // a flag stored as text
        "\"APMInterval\"=dword:00000000\n" // out of range
        "\"FormMode\"=dword:00000007\n"
        "\"FloatMode\"=dword:00000002\n"
        "\"TimeSwap\"=dword:00000005\n" // any non-zero is true
        "\"SU\"=\"obsolete\"\n"
        "[HKEY_CURRENT_USER\\Software\\Brimvel\\Tonaria\\CurrentVersion\\Preferences\\Invisible]\n"
        "\"SUDate\"=\"x\"\n\"SUURL\"=\"y\"\n"
        "\"CurAlbum\"=dword:ffffffff\n"
        "[HKEY_CURRENT_USER\\Software\\Brimvel\\Tonaria\\CurrentVersion\\Preferences\\Plugins]\n"
        "@=\"\"\n\"/b.tpi\"=\"\"\n\"/a.tpi\"=dword:00000001\n");
    TRegistry reg(store);
    TPreferences prefs;
    prefs.LoadPreferences(reg);
    EXPECT_EQ(prefs.Lang, QStringLiteral("English"));
    EXPECT_EQ(prefs.ThemeName, QStringLiteral("Default"));
    EXPECT_EQ(prefs.ResetFile, QString());
    // A font's parts are read one by one.
    EXPECT_EQ(prefs.FTitleCaption, (TFontPref{QStringLiteral("Cantarell"), 8, false, false}));
    EXPECT_EQ(prefs.FPrimaryTime, (TFontPref{QStringLiteral("Times New Roman"), 48, false, false}));
    EXPECT_TRUE(prefs.AllowFly);
    EXPECT_EQ(prefs.APMInterval, 10);
    EXPECT_EQ(prefs.FormMode, 0);
    EXPECT_EQ(prefs.FloatMode, 2);
    EXPECT_TRUE(prefs.TimeSwap);
    EXPECT_EQ(prefs.CurAlbum, -1);
    // Plug-ins are every value name in order, whatever the value holds; never the default value.
    EXPECT_EQ(prefs.PluginList, (QStringList{QStringLiteral("/b.tpi"), QStringLiteral("/a.tpi")}));
    // Obsolete values are gone.
    EXPECT_FALSE(store.valueKind(THive::CurrentUser, kVisibleKey, QStringLiteral("SU")) !=
                 TRegistryStore::TKind::None);
    EXPECT_TRUE(store.valueNames(THive::CurrentUser, kInvisibleKey) ==
                QStringList{QStringLiteral("CurAlbum")});
}

TEST(Preferences, SavingReplacesThePluginsAndRecordsTheCurrentAlbum)
{
    TTestEnvironment env;
    // A plain file where the settings folder should be: nothing can be saved.
    const QString blocker = env.writeFile(QStringLiteral("blocker"), "x");
    TRegistryStore store(blocker + QStringLiteral("/registry.reg"));
    TRegistry reg(store);
    TPreferences prefs;
    prefs.PluginList = {QStringLiteral("/old.tpi"), QStringLiteral("/kept.tpi")};
    QString error;
    EXPECT_FALSE(prefs.SavePreferences(reg, 2, QStringLiteral("/t"), &error));
    EXPECT_FALSE(error.isEmpty()); // the file could not be written: said, not hidden

    prefs.PluginList = {QStringLiteral("/kept.tpi"), QStringLiteral("/new.tpi")};
    prefs.SavePreferences(reg, -1, QStringLiteral("/t"), &error);
    EXPECT_EQ(prefs.CurAlbum, -1);
    EXPECT_EQ(store.readDword(THive::CurrentUser, kInvisibleKey, QStringLiteral("CurAlbum")),
              0xFFFFFFFFu);
    EXPECT_EQ(store.valueNames(THive::CurrentUser, kPluginsKey), prefs.PluginList);
}

TEST(Preferences, FontsBecomeQtFontsAndBack)
{
    const TFontPref pref{QStringLiteral("DejaVu Serif"), 14, true, true};
    const QFont font = FontFromPref(pref);
    EXPECT_EQ(font.pointSize(), 14);
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(FontToPref(font), pref);
    QFont pixels(QStringLiteral("DejaVu Sans"));
    pixels.setPixelSize(20);
    EXPECT_EQ(FontToPref(pixels).Size, 15);
}
