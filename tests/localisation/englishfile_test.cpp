#include "localisation/lm.h"
#include "platform/system/messageservice.h"
#include "printqt.h"
#include "support/testenv.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Every message and free text the program fetches by ID, with the placeholders its callers
// fill, in order.
const std::pair<const char *, const char *> kMessages[] = {
    {"ErrFileLoad", "s"},
    {"ErrFileSave", "s"},
    {"ErrCannotHaveEmptyLangFileField", ""},
    {"AskSureWannaRefreshLangFile", "s"},
    {"AskFileDoesntExist", "s"},
    {"AskSureWannaSaveThemeFile", "s"},
    {"AskOverwriteResetFile", "ss"},
    {"ErrCannotCopyFile", "ss"},
    {"InfoNoPlugins", ""},
    {"AskRemovePlugin", "s"},
    {"AskRemoveTitle", "s"},
    {"WarnRemoveTitle", "s"},
    {"WarnRemoveAlbum", "s"},
    {"WarnRemoveTitleFromAlbum", "ds"},
    {"WarnRemoveProgram", "s"},
    {"WarnRemoveTitleFromProgram", "ds"},
    {"AskDeleteSU", "s"},
    {"ErrCannotDelete", "s"},
    {"ErrCannotRemoveInternalProgram", "s"},
    {"ErrCannotCreateTempDir", "s"},
    {"ErrFileError", "s"},
    {"InfoNoNews", ""},
    {"ErrLibraryInit", "s"},
    {"ErrLibraryEmpty", "s"},
    {"ErrLoadLibrary", "s"},
    {"ErrFileDoesntExist", "s"},
    {"ErrCannotResetMIDI", "s"},
    {"HintPlay", ""},
    {"HintPause", ""},
    {"HintStop", ""},
    {"HintPrev", ""},
    {"HintNext", ""},
    {"HintRew", ""},
    {"HintFB", ""},
    {"HintFF", ""},
    {"UISleep", "d"},
    {"UINoTitle", ""},
    {"UIFloatbar", ""},
    {"MiscReset", "s"},
};

QByteArray ShippedEnglish()
{
    QFile file(TTestEnvironment::sourceData() + QStringLiteral("Lang/English.tlg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(EnglishFile, HoldsEveryMessageWithItsPlaceholders)
{
    TLM lm;
    lm.LoadFromText(ShippedEnglish());
    const QRegularExpression placeholder(QStringLiteral("%(.)"));
    for (const auto &[id, expected] : kMessages) {
        const QString text = lm.Lookup(u"Globals", QString::fromLatin1(id));
        EXPECT_FALSE(text.isEmpty()) << id;
        QString found;
        for (const auto &match : placeholder.globalMatch(text))
            found += match.captured(1);
        EXPECT_EQ(found, QLatin1String(expected)) << id;
    }
}

TEST(EnglishFile, IsShippedAsTheProgramWritesIt)
{
    // Sorted groups and CR LF line ends: generating English again changes only real edits.
    const QByteArray shipped = ShippedEnglish();
    ASSERT_FALSE(shipped.isEmpty());
    TLM lm;
    lm.LoadFromText(shipped);
    EXPECT_EQ(lm.SaveToText(), shipped);
}
