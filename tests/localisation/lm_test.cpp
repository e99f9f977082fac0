#include "localisation/lm.h"
#include "platform/system/messageservice.h"
#include "printqt.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST(LanguageFile, HeadersEntriesAndIgnoredLines)
{
    TLM lm;
    lm.LoadFromText("early=before any group\r\n"
                    "[Main]\r\n"
                    "  spaced = both sides \r\n"
                    "a=1=2\n"
                    "[\r[]\rno equals sign\r\n"
                    "[Other)\n"
                    "x=first\n"
                    "[main]\n"
                    "A=replaced\n"
                    "=nameless\n");
    ASSERT_EQ(lm.GroupCount(), 2);
    EXPECT_EQ(lm.Group(0).Name(), S("Main"));
    EXPECT_EQ(lm.Group(1).Name(), S("Other"));
    EXPECT_EQ(lm.Lookup(u"MAIN", u"  spaced "), S(" both sides "));
    EXPECT_EQ(lm.Lookup(u"Main", u"a"), S("replaced"));
    EXPECT_EQ(lm.Group(0).Count(), 2); // the bare "[" and "[]" lines hold no entry
    EXPECT_EQ(lm.Lookup(u"Other", u"x"), S("first"));
    EXPECT_EQ(lm.Lookup(u"Main", u"early"), QString());
    EXPECT_EQ(lm.Lookup(u"Missing", u"x"), QString());
}

TEST(LanguageFile, EscapesDecodeAndEncode)
{
    EXPECT_EQ(TLM::UnescapeValue(u"a\\nb\\\\c\\qd"), S("a\r\nb\\cd"));
    EXPECT_EQ(TLM::UnescapeValue(u"ends\\"), S("ends\\"));
    EXPECT_EQ(TLM::EscapeEntry(u"na\\me=x\r\ny\nz\r"), S("na\\\\me=x\\nyz\\n"));
}

TEST(LanguageFile, WrittenFileIsSortedWithCrLfAndReadsBack)
{
    TTestEnvironment env;
    TLM lm;
    lm.FindOrAddGroup(S("Empty"));
    TLMGroup &b = lm.FindOrAddGroup(S("B"));
    b.SetEntry(S("zeta"), S("two\r\nlines"));
    b.SetEntry(S("Alpha"), S("back\\slash"));
    b.SetEntry(S("ALPHA"), S("replaced"));
    b.SetEntry(S(""), S("ignored"));
    b.SetEntry(S("with\\name"), S("v"));
    lm.FindOrAddGroup(S("C")).SetEntry(S("k"), S("v"));
    lm.FindOrAddGroup(S("Trailing empty"));

    const QString path = env.scratch() + S("out.tlg");
    ASSERT_TRUE(lm.SaveToFile(path));
    EXPECT_EQ(TTestEnvironment::readFile(path),
              QByteArray("[B]\r\nALPHA=replaced\r\nwith\\\\name=v\r\n"
                         "zeta=two\\nlines\r\n\r\n[C]\r\nk=v\r\n\r\n"));

    TLM back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.Lookup(u"b", u"alpha"), S("replaced"));
    EXPECT_EQ(back.Lookup(u"b", u"zeta"), S("two\r\nlines"));
    // Only values are decoded: a name's backslashes come back doubled.
    EXPECT_EQ(back.Lookup(u"b", u"with\\\\name"), S("v"));
}

TEST(LanguageFile, AnyLineEndReadsTheSame)
{
    for (const char *text : {"[G]\r\na=1\r\nb=2\r\n", "[G]\ra=1\rb=2", "[G]\na=1\r\nb=2\r"}) {
        TLM lm;
        lm.LoadFromText(text);
        EXPECT_EQ(lm.Lookup(u"G", u"a"), S("1")) << text;
        EXPECT_EQ(lm.Lookup(u"G", u"b"), S("2")) << text;
    }
}

TEST(LanguageFile, PruneKeepsUsedNamesWhateverTheirCase)
{
    TLMGroup group(S("G"));
    for (const char *name : {"keep", "Gone", "Also.Hint"})
        group.SetEntry(S(name), S("x"));
    TLM::PruneGroup(group, {S("KEEP"), S("also.hint")});
    EXPECT_EQ(group.Lines(), QStringList({S("keep=x"), S("Also.Hint=x")}));
}

TEST(LanguageFile, AWindowsCodePageFileKeepsItsCharactersAndIsWrittenAsUtf8)
{
    TLM lm;
    lm.LoadFromText("[Globals]\r\nUINoTitle=Kein Titel \x96 Gr\xf6\xdf"
                    "e\r\n");
    const QString text = S("Kein Titel \u2013 Gr\u00f6\u00dfe");
    EXPECT_EQ(lm.Lookup(u"Globals", u"UINoTitle"), text);
    const QByteArray saved = lm.SaveToText();
    EXPECT_TRUE(saved.contains("Kein Titel \xe2\x80\x93 Gr\xc3\xb6\xc3\x9f"
                               "e"));
    TLM back;
    back.LoadFromText(saved);
    EXPECT_EQ(back.Lookup(u"Globals", u"UINoTitle"), text);
}

TEST(LanguageFile, FailuresAreShownWithThePathAndKeepWhatWasRead)
{
    TTestEnvironment env;
    TScriptedMessageService boxes;
    TLM lm;
    lm.LoadFromText("[Globals]\nErrFileLoad=Cannot read %s\n");
    EXPECT_FALSE(lm.LoadFromFile(env.scratch() + S("none.tlg")));
    EXPECT_FALSE(lm.SaveToFile(env.scratch() + S("no/such/folder/x.tlg")));
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text, S("Cannot read ") + env.scratch() + S("none.tlg"));
    EXPECT_EQ(boxes.boxes()[0].flags, MB_OK | MB_ICONERROR);
    EXPECT_TRUE(boxes.boxes()[1].text.contains(S("Message ID: ErrFileSave")));
    EXPECT_EQ(lm.Lookup(u"Globals", u"ErrFileLoad"), S("Cannot read %s"));
}

TEST(LanguageFile, ArbitraryBytesParseAndReadBackAfterSaving)
{
    // Whatever a file holds, reading never fails and what was read is written faithfully
    // (apart from names with backslashes, which come back doubled).
    std::mt19937 random(20261206);
    const char alphabet[] = "[]=\\\r\nnab \x00\xc3\xff\xe2\x82";
    for (int round = 0; round < 500; ++round) {
        QByteArray bytes;
        const int size = int(random() % 200);
        for (int i = 0; i < size; ++i)
            bytes += alphabet[random() % (sizeof alphabet - 1)];
        TLM lm;
        lm.LoadFromText(bytes);
        TLM again;
        again.LoadFromText(lm.SaveToText());
        for (qsizetype g = 0; g < lm.GroupCount(); ++g) {
            const TLMGroup &group = lm.Group(g);
            if (group.Count() == 0) continue;
            const TLMGroup *back = again.FindGroup(group.Name());
            ASSERT_TRUE(back) << bytes.toHex().constData();
            ASSERT_EQ(back->Count(), group.Count()) << bytes.toHex().constData();
            for (const QString &line : group.Lines()) {
                const QStringView name = TLMGroup::NameOf(line);
                if (!name.contains(u'\\')) {
                    ASSERT_EQ(back->Value(name), TLMGroup::ValueOf(line));
                }
            }
        }
    }
}
