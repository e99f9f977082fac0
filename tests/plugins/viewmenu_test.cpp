// The display's View menu lists the plug-ins' views and shows and hides them.
#include "core/jukebox.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "plugins/pihost_support.h"
#include "presentation/tfdisplay.h"
#include "presentation/tfstation.h"
#include "support/drivenclock.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

TEST(ViewMenuTest, ListsARegisteredViewAndTogglesIt)
{
    UseTestSoundFont();
    TTestEnvironment env;
    TScriptedMessageService boxes;
    TDrivenClock clock;
    const QString devices = CopyTestPlugin(env, QStringLiteral("devices"));
    WritePluginList(env, {devices});
    TfStation station(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
    station.StartUp(ParseCommandLine({}));
    station.FirstShow();
    QCoreApplication::processEvents();
    ASSERT_NE(station.Display(), nullptr);
    QMenu &menu = *station.Display()->pmView;
    const TTestLog &log = *TestLogOf(devices);

    for (const bool shown : {true, false}) {
        emit menu.aboutToShow();
        const QList<QAction *> items = menu.actions();
        ASSERT_EQ(items.size(), 3); // the floating bar, a separator, the view
        EXPECT_TRUE(items[1]->isSeparator());
        EXPECT_EQ(items[2]->text(), QStringLiteral("Device view"));
        EXPECT_EQ(items[2]->isChecked(), !shown);
        items[2]->trigger();
        ASSERT_EQ(log.Calls[log.Count - 1].Msg, PI_VIEWMSG);
        EXPECT_EQ(log.Calls[log.Count - 1].Sub, VM_SETVISIBLE);
        EXPECT_EQ(log.Calls[log.Count - 1].LParam, shown ? 1u : 0u);
        // The view tried to register a device on the way: too late, and its Result stays.
        EXPECT_EQ(log.Answers[log.AnswerCount - 1], 77);
    }
    EXPECT_EQ(station.Jukebox().PluginHost().DeviceCount(), 2);
}

} // namespace
