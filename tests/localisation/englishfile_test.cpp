#include "localisation/lm.h"
#include "printqt.h"
#include "support/testenv.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Every message and free text the program fetches by ID, each with the placeholders its
// callers fill, in order.
const char kMessages[] =
    "ErrFileLoad:s ErrFileSave:s ErrCannotHaveEmptyLangFileField: "
    "AskSureWannaRefreshLangFile:s AskFileDoesntExist:s AskSureWannaSaveThemeFile:s "
    "AskOverwriteResetFile:ss ErrCannotCopyFile:ss InfoNoPlugins: AskRemovePlugin:s "
    "AskRemoveTitle:s WarnRemoveTitle:s WarnRemoveAlbum:s WarnRemoveTitleFromAlbum:ds "
    "WarnRemoveProgram:s WarnRemoveTitleFromProgram:ds AskDeleteSU:s ErrCannotDelete:s "
    "ErrCannotRemoveInternalProgram:s ErrCannotCreateTempDir:s ErrFileError:s InfoNoNews: "
    "ErrLibraryInit:s ErrLibraryEmpty:s ErrLoadLibrary:s ErrFileDoesntExist:s "
    "ErrCannotResetMIDI:s HintPlay: HintPause: HintStop: HintPrev: HintNext: HintRew: "
    "HintFB: HintFF: UISleep:d UINoTitle: UIFloatbar: MiscReset:s ";

QByteArray ShippedEnglish()
{
    return TTestEnvironment::readFile(TTestEnvironment::sourceData() +
                                      QStringLiteral("Lang/English.tlg"));
}

} // namespace

TEST(EnglishFile, HoldsEveryMessageWithItsPlaceholders)
{
    TLM lm;
    lm.LoadFromText(ShippedEnglish());
    const QRegularExpression placeholder(QStringLiteral("%(.)"));
    const QStringList messages = QString::fromLatin1(kMessages).split(u' ', Qt::SkipEmptyParts);
    EXPECT_EQ(messages.size(), 39);
    for (const QString &message : messages) {
        const QString id = message.section(u':', 0, 0);
        const QString text = lm.Lookup(u"Globals", id);
        EXPECT_FALSE(text.isEmpty()) << id.toStdString();
        QString found;
        for (const auto &match : placeholder.globalMatch(text))
            found += match.captured(1);
        EXPECT_EQ(found, message.section(u':', 1)) << id.toStdString();
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
