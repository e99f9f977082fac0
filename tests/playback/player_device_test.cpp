// Device discovery: the media-control layer's devices, plug-in devices through the owner's
// events, the duplicate filter with its messages, and the device menu.
#include "player_support.h"

#include "support/testenv.h"

#include "platform/mci/mcidriver.h"
#include "platform/mci/mcilayer.h"
#include "platform/mci/mcitransport.h"
#include "platform/system/messageservice.h"
#include "platform/ui/devicemenu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QStringList>

namespace {

// A kind of device that sells itself under the built-in sequencer's product name.
class TLookAlikeDriver : public TMciDriver {
public:
    QString name() const override { return QStringLiteral("lookalike"); }
    std::uint32_t deviceType() const override { return MCI_DEVTYPE_SEQUENCER; }
    QString product() const override { return QStringLiteral("MIDI Sequencer"); }
    MCIERROR openElement(const QString &, int, std::unique_ptr<TMciTransport> &) override
    {
        return MCIERR_CANNOT_LOAD_DRIVER;
    }
};

QStringList Names(const TSonoricPlayer &player)
{
    QStringList names;
    for (const auto &info : player.Devices())
        names << info->Name;
    return names;
}

QStringList Captions(const std::vector<TSPMenuItem> &items)
{
    QStringList captions;
    for (const TSPMenuItem &item : items)
        captions << (item.IsSeparator ? QStringLiteral("-") : item.Caption);
    return captions;
}

class PlayerDeviceTest : public ::testing::Test {
protected:
    TTestEnvironment env;
    TScriptedMessageService messages;
};

TEST_F(PlayerDeviceTest, ListsTheMediaLayerDevicesFirst)
{
    TSonoricPlayer player;
    QStringList analysed;
    player.OnAnalyzing = [&](TSonoricPlayer *, PSPDeviceInfo info) { analysed << info->Name; };
    player.AnalyzeMCIDevices();

    const QStringList names = Names(player);
    EXPECT_TRUE(names.contains(QStringLiteral("sequencer")));
    EXPECT_TRUE(names.contains(QStringLiteral("waveaudio")));
    EXPECT_EQ(analysed, names);
    EXPECT_EQ(player.MCIDeviceCount(), int(names.size()));
    EXPECT_EQ(player.PluginDeviceCount(), 0);
    EXPECT_TRUE(messages.boxes().empty());

    const PSPDeviceInfo sequencer = player.FindDeviceByName(QStringLiteral("SEQUENCER"));
    ASSERT_NE(sequencer, nullptr);
    EXPECT_EQ(sequencer, player.FindDeviceByType(MCI_DEVTYPE_SEQUENCER));
    EXPECT_EQ(sequencer->Kind, TSPDeviceInfo::KindMci);
    EXPECT_FALSE(sequencer->IsAny);
    EXPECT_TRUE(sequencer->UsesFiles);
    EXPECT_FALSE(sequencer->Description.isEmpty());
    for (int i = 0; i < int(player.Devices().size()); ++i)
        EXPECT_EQ(player.Devices()[std::size_t(i)]->Identifier, i);
    EXPECT_EQ(player.FindDeviceByName(QStringLiteral("nothing")), nullptr);

    // Without plug-in devices the menu has one separator only.
    player.AnalyzePluginDevices();
    player.BuildDeviceMenu();
    const QStringList captions = Captions(player.DeviceMenuItems());
    EXPECT_EQ(captions.count(QStringLiteral("-")), 1);
    EXPECT_EQ(captions.value(0), QStringLiteral("Any supported file..."));
    EXPECT_TRUE(captions.contains(sequencer->Description + QStringLiteral("...")));
}

TEST_F(PlayerDeviceTest, ASecondDeviceOfTheSameProductIsLeftOut)
{
    TMciLayer::instance().registerDriver(std::make_unique<TLookAlikeDriver>());
    {
        TSonoricPlayer player;
        player.AnalyzeMCIDevices();
        EXPECT_FALSE(Names(player).contains(QStringLiteral("lookalike")));
        EXPECT_EQ(player.DeviceDescriptions().count(QStringLiteral("MIDI Sequencer")), 1);
        ASSERT_EQ(messages.boxes().size(), 1u);
        EXPECT_EQ(messages.boxes()[0].text, QStringLiteral("Operation aborted"));
        EXPECT_EQ(messages.boxes()[0].flags & MB_ICONMASK, MB_ICONERROR);
    }
    TMciLayer::shutdown(); // forget the extra driver
}

TEST_F(PlayerDeviceTest, PluginDevicesFollowWithTheirOwnSeparator)
{
    TScriptedDevice gizmo;
    TSonoricPlayer player;
    gizmo.Name = QStringLiteral("gizmo");
    gizmo.Product = QStringLiteral("Gizmo & Co");
    gizmo.Type = MCI_DEVTYPE_OTHER;
    gizmo.UsesFiles = true;
    gizmo.Attach(player);
    player.AnalyzeDevices();

    ASSERT_EQ(player.PluginDeviceCount(), 1);
    const int mci = player.MCIDeviceCount();
    const TSPDeviceInfo &info = *player.Devices().back();
    EXPECT_EQ(info.Kind, TSPDeviceInfo::KindPlugin);
    EXPECT_EQ(info.Name, QStringLiteral("gizmo"));
    EXPECT_EQ(info.Identifier, mci);
    EXPECT_EQ(info.DeviceType, std::int32_t(MCI_DEVTYPE_OTHER));
    EXPECT_TRUE(info.CanEject);
    EXPECT_EQ(player.Device(), nullptr);

    const QStringList captions = Captions(player.DeviceMenuItems());
    EXPECT_EQ(captions.count(QStringLiteral("-")), 2);
    EXPECT_EQ(captions.value(captions.size() - 2), QStringLiteral("-"));
    EXPECT_EQ(captions.last(), QStringLiteral("Gizmo & Co..."));
    EXPECT_EQ(player.DeviceMenuItems().back().Tag, mci);
}

TEST_F(PlayerDeviceTest, FaultyPluginDevicesAreSkippedWithAMessage)
{
    // Three plug-in devices: the second fails to give its product name, the third repeats the
    // first one's product.
    std::vector<TScriptedDevice> devices(3);
    TSonoricPlayer player;
    devices[0].Name = QStringLiteral("one");
    devices[1].Name = QStringLiteral("two");
    devices[1].Failures[MCI_INFO] = MCIERR_HARDWARE;
    devices[2].Name = QStringLiteral("three");
    player.OnDeviceCount = [](TSonoricPlayer *, std::int32_t &count) { count = 3; };
    std::vector<std::int32_t> closedIds;
    player.OnDeviceMessage = [&](TSonoricPlayer *, std::int32_t id, std::uint32_t msg,
                                 std::uint32_t flags, std::uintptr_t param, std::int32_t &result) {
        if (msg == MCI_CLOSE) closedIds.push_back(id);
        result = std::int32_t(devices.at(std::size_t(id)).Handle(msg, flags, param));
    };
    player.AnalyzePluginDevices();

    ASSERT_EQ(player.Devices().size(), 1u);
    EXPECT_EQ(player.Devices()[0]->Name, QStringLiteral("one"));
    ASSERT_EQ(messages.boxes().size(), 2u);
    EXPECT_EQ(messages.boxes()[0].text, TSonoricPlayer::ErrorText(MCIERR_HARDWARE));
    EXPECT_EQ(messages.boxes()[1].text, QStringLiteral("Operation aborted"));
    // Every device opened was closed again.
    EXPECT_EQ(closedIds, std::vector<std::int32_t>({0, 1, 2}));

    // A device that cannot be opened is skipped as aborted, and a later one keeps its number.
    messages.clear();
    devices[0].Failures[MCI_OPEN] = MCIERR_HARDWARE;
    devices[1].Failures.clear();
    devices[2].Product = QStringLiteral("Another Drive");
    player.ClearDevices();
    player.AnalyzePluginDevices();
    ASSERT_EQ(player.Devices().size(), 2u);
    EXPECT_EQ(player.Devices()[0]->Name, QStringLiteral("two"));
    EXPECT_EQ(player.Devices()[0]->Identifier, 1);
    EXPECT_EQ(player.Devices()[1]->Identifier, 2);
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].text, QStringLiteral("Operation aborted"));
}

TEST_F(PlayerDeviceTest, MenuClicksNameTheirDevice)
{
    TSonoricPlayer player;
    player.AnalyzeDevices();
    std::vector<PSPDeviceInfo> clicked;
    // Without a handler nothing happens, not even to the automatic record.
    AnyDeviceInfo.Name = QStringLiteral("sequencer");
    player.DeviceMenuClick(TSPMenuItem::AnyTag);
    EXPECT_EQ(AnyDeviceInfo.Name, QStringLiteral("sequencer"));

    player.OnMenuClicked = [&](TSonoricPlayer *, PSPDeviceInfo info) { clicked.push_back(info); };
    AnyDeviceInfo.Description = QStringLiteral("MIDI Sequencer");
    AnyDeviceInfo.DeviceType = 523;
    player.DeviceMenuClick(TSPMenuItem::AnyTag);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], &AnyDeviceInfo);
    EXPECT_TRUE(AnyDeviceInfo.Name.isEmpty());
    EXPECT_TRUE(AnyDeviceInfo.Description.isEmpty());
    EXPECT_EQ(AnyDeviceInfo.DeviceType, -1);

    player.DeviceMenuClick(1);
    player.DeviceMenuClick(999);
    ASSERT_EQ(clicked.size(), 2u);
    EXPECT_EQ(clicked[1], player.Devices()[1].get());
    TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
}

TEST_F(PlayerDeviceTest, TheMenuWidgetShowsTheEntriesAndReportsChoices)
{
    TScriptedDevice gizmo;
    TSonoricPlayer player;
    gizmo.Product = QStringLiteral("Rock & Roll");
    gizmo.Attach(player);
    auto owned = std::make_unique<TDeviceMenu>(player);
    TDeviceMenu *menu = owned.get();
    player.SetDeviceMenu(std::move(owned));
    player.AnalyzeDevices();

    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), qsizetype(player.DeviceMenuItems().size()));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const TSPMenuItem &item = player.DeviceMenuItems()[std::size_t(i)];
        EXPECT_EQ(actions[i]->isSeparator(), item.IsSeparator);
        if (!item.IsSeparator) {
            EXPECT_EQ(actions[i]->data().toInt(), item.Tag);
        }
    }
    EXPECT_EQ(actions.last()->text(), QStringLiteral("Rock && Roll"));

    PSPDeviceInfo chosen = nullptr;
    player.OnMenuClicked = [&](TSonoricPlayer *, PSPDeviceInfo info) { chosen = info; };
    actions.last()->trigger();
    EXPECT_EQ(chosen, player.Devices().back().get());
    actions.first()->trigger();
    EXPECT_EQ(chosen, &AnyDeviceInfo);

    // Rebuilding replaces the entries.
    player.ClearDevices();
    player.BuildDeviceMenu();
    EXPECT_EQ(menu->actions().size(), 2);
}

} // namespace
