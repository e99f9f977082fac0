#include "localisation/languagemanager.h"
#include "localisation/messageformat.h"
#include "localisation/showmessage.h"
#include "platform/system/messageservice.h"
#include "printqt.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST(LoadLanguage, ChosenLanguageIsLaidOverEnglish)
{
    TTestEnvironment env;
    TScriptedMessageService boxes;
    env.writeFile(S("Lang/English.tlg"), "[Globals]\nOnlyEnglish=E1\nBoth=E2\nBlank=E3\n");
    env.writeFile(S("Lang/Deutsch.tlg"), "[Globals]\nBoth=D2\nBlank=\n");
    const QString folder = env.scratch() + S("Lang");

    TLM &lm = languageManager();
    EXPECT_TRUE(LoadLanguage(folder, S("Deutsch")));
    EXPECT_EQ(GetMessageText(S("OnlyEnglish")), S("E1"));
    EXPECT_EQ(GetMessageText(S("Both")), S("D2"));
    // An empty translation counts as missing: the English text shows.
    EXPECT_TRUE(GetMessageText(S("Blank")).startsWith(S("[Cannot load message.")));

    EXPECT_TRUE(LoadLanguage(folder, S("English")));
    EXPECT_EQ(GetMessageText(S("Both")), S("E2"));
    EXPECT_EQ(lm.GroupCount(), 1);

    EXPECT_FALSE(LoadLanguage(folder, QString()));
    EXPECT_EQ(lm.GroupCount(), 0);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(LoadLanguage, MissingEnglishBaseIsReportedButDoesNotCount)
{
    TTestEnvironment env;
    TScriptedMessageService boxes;
    env.writeFile(S("Lang/Deutsch.tlg"), "[Globals]\nBoth=D2\n");
    const QString folder = env.scratch() + S("Lang");
    EXPECT_TRUE(LoadLanguage(folder, S("Deutsch")));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(boxes.boxes()[0].text.contains(S("ErrFileLoad")));
    EXPECT_FALSE(LoadLanguage(folder, S("Klingon")));
    languageManager().Clear();
}

TEST(MessageLookup, MissingMessageShowsTheExactFallback)
{
    languageManager().Clear();
    const QString expected =
        S("[Cannot load message. Message ID: ErrSomething]\r\r"
          "(There should be a message here. Unfortunately, this message has not been "
          "translated. Thus, you are unable to know what this message is. Please try to contact "
          "the language file vendor to see if an upgraded language file is available.\r\r"
          "Language file vendors may look at the provided \"English.tlg\" file which should "
          "always be up-to-date. If you suspect the \"English.tlg\" file to be in error, please "
          "report to the author of this software.)");
    EXPECT_EQ(GetMessageText(S("ErrSomething")), expected);
}

TEST(MessageLookup, BeforeAnyLanguageIsLoadedMessagesAreTheShippedEnglish)
{
    // The start-up's first steps (the temporary folder) may need a message before the
    // language file is read.
    languageManager().Clear();
    EXPECT_EQ(GetMessageText(S("ErrCannotCreateTempDir")),
              S("Cannot create the folder for temporary files \"%s\"."));
    TScriptedMessageService boxes;
    ShowMessageById(S("ErrCannotCreateTempDir"), {S("/run/x")}, MB_ICONERROR);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, S("Cannot create the folder for temporary files \"/run/x\"."));
    // Once a language is loaded, it alone speaks.
    languageManager().LoadFromText("[Globals]\nOther=x\n");
    EXPECT_TRUE(GetMessageText(S("ErrCannotCreateTempDir")).startsWith(S("[Cannot load message.")));
    languageManager().Clear();
}

TEST(MessageLookup, HostilePlaceholdersNeverReadPastTheArguments)
{
    const QVariantList one{S("a")};
    EXPECT_EQ(FormatMessageText(S("%s|%d|%s|%s"), one), S("a|||"));
    EXPECT_EQ(FormatMessageText(S("%d of %s"), {3, S("x"), S("extra")}), S("3 of x"));
    EXPECT_EQ(FormatMessageText(S("100%% %x %5d %n %"), one), S("100% %x %5d %n %"));
    EXPECT_EQ(FormatMessageText(S("%d"), {S("seven")}), S("seven"));
    EXPECT_EQ(FormatMessageText(S("%s%s%s%s%s%s%s%s"), {}), QString());

    TScriptedMessageService boxes;
    boxes.queueAnswer(IDNO);
    languageManager().LoadFromText("[Globals]\nWarnX=Remove %d from %s? %s %d\n");
    EXPECT_EQ(ShowMessageById(S("WarnX"), {2, S("Album")}, MB_YESNO | MB_ICONWARNING), IDNO);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, S("Remove 2 from Album?  "));
    EXPECT_EQ(boxes.boxes()[0].caption, S("Tonaria"));
    EXPECT_EQ(boxes.boxes()[0].flags, MB_YESNO | MB_ICONWARNING);
    languageManager().Clear();
}
