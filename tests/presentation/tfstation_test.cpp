// The hidden form over a real jukebox: its actions and tray menu follow the jukebox, its texts
// follow the language, and it keeps the close from going ahead while a dialog is open.
#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "presentation/tfstation.h"
#include "support/drivenclock.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class StationTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestSoundFont(); }

    std::unique_ptr<TfStation> Start(const QStringList &arguments)
    {
        auto station =
            std::make_unique<TfStation>(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
        station->StartUp(ParseCommandLine(arguments));
        return station;
    }
    QStringList TrayItems(const TfStation &station)
    {
        QStringList items;
        for (const QAction *action : station.TrayMenu()->actions())
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return items;
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    TDrivenClock clock;
};

TEST_F(StationTest, TheActionsAndTheTrayMenuFollowTheJukebox)
{
    auto station = Start({env.writeFile(QStringLiteral("a.mid"), MidiFileBytes(5000))});
    EXPECT_EQ(TrayItems(*station),
              QStringList({"Show main window", "-", "Play", "Pause", "Stop", "Previous", "Rewind",
                           "Next", "-", "Preferences...", "-", "Exit"}));
    station->FirstShow();
    EXPECT_TRUE(station->aPlay->isEnabled());
    station->aPlay->trigger();
    EXPECT_EQ(station->Jukebox().Player().GetMode(), MCI_MODE_PLAY);
    EXPECT_TRUE(station->aPlayStop->isEnabled());
    EXPECT_TRUE(station->aPlay->toolTip().startsWith(QStringLiteral("Play")));
    EXPECT_TRUE(station->windowTitle().endsWith(QStringLiteral("Tonaria")));
}

TEST_F(StationTest, TheFormTakesTheLanguageAtStartUpAndAtEveryChange)
{
    QDir().mkpath(env.home() + QStringLiteral("Lang"));
    QFile file(env.home() + QStringLiteral("Lang/Test.tlg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[fStation]\r\naPlay=Abspielen\r\naPlay.Hint=Spielt\r\nExit1=Beenden\r\n");
    file.close();
    {
        auto station = Start({});
        EXPECT_EQ(station->aPlay->text(), QStringLiteral("Play"));
        station->Jukebox().GlobalState().Lang = QStringLiteral("Test");
        station->Jukebox().ApplyPreferences();
        EXPECT_EQ(station->aPlay->text(), QStringLiteral("Abspielen"));
        EXPECT_EQ(TrayItems(*station).last(), QStringLiteral("Beenden"));
    }
    // The language stored is the start-up's.
    auto station = Start({});
    EXPECT_EQ(station->aPlay->text(), QStringLiteral("Abspielen"));
}

TEST_F(StationTest, AnOpenDialogHoldsTheCloseBackUntilATerminationSignalDismissesIt)
{
    auto station = Start({});
    station->FirstShow();
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    EXPECT_FALSE(station->Jukebox().RequestClose());
    EXPECT_FALSE(station->Jukebox().GlobalState().ShuttingDown);
    station->CloseForSignal();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(WaitUntil([&] { return station->Jukebox().Closed(); }, 2000));
    EXPECT_TRUE(station->Jukebox().GlobalState().ShuttingDown);
}

} // namespace
