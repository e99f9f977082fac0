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
    MCIERROR openElement(const QString &, const TMciOutputFormat &,
                         std::unique_ptr<TMciTransport> &) override
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

QStringList Captions(const TSonoricPlayer &player)
{
    QStringList captions;
    for (const TSPMenuItem &item : player.DeviceMenuItems())
        captions << (item.IsSeparator ? QStringLiteral("-") : item.Caption);
    return captions;
}

class PlayerDeviceTest : public ::testing::Test {
protected:
    TTestEnvironment env;
    TScriptedMessageService messages;
};

TEST_F(PlayerDeviceTest, TheMediaLayerDevicesAreListedAndMenuedWithoutASecondSeparator)
{
    TSonoricPlayer player;
    QStringList analysed;
    player.OnAnalyzing = [&](TSonoricPlayer *, PSPDeviceInfo info) { analysed << info->Name; };
    player.AnalyzeDevices();

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
    EXPECT_TRUE(sequencer->UsesFiles);
    EXPECT_EQ(sequencer->Identifier, int(names.indexOf(QStringLiteral("sequencer"))));

    const QStringList captions = Captions(player);
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

TEST_F(PlayerDeviceTest, FaultyPluginDevicesAreSkippedAndTheOthersKeepTheirNumbers)
{
    // Three plug-in devices: the first does not open, the second fails to give its product
    // name, the third is fine.
    std::vector<TScriptedDevice> devices(3);
    devices[0].Failures[MCI_OPEN] = MCIERR_HARDWARE;
    devices[1].Failures[MCI_INFO] = MCIERR_HARDWARE;
    devices[2].Name = QStringLiteral("three");
    TSonoricPlayer player;
    player.OnDeviceCount = [](TSonoricPlayer *, std::int32_t &count) { count = 3; };
    player.OnDeviceMessage = [&](TSonoricPlayer *, std::int32_t id, std::uint32_t msg,
                                 std::uint32_t flags, std::uintptr_t param, std::int32_t &result) {
        result = std::int32_t(devices.at(std::size_t(id)).Handle(msg, flags, param));
    };
    player.AnalyzePluginDevices();

    ASSERT_EQ(player.Devices().size(), 1u);
    EXPECT_EQ(player.Devices()[0]->Name, QStringLiteral("three"));
    EXPECT_EQ(player.Devices()[0]->Identifier, 2);
    EXPECT_EQ(player.Devices()[0]->Kind, TSPDeviceInfo::KindPlugin);
    EXPECT_EQ(player.Device(), nullptr);
    ASSERT_EQ(messages.boxes().size(), 2u);
    EXPECT_EQ(messages.boxes()[0].text, QStringLiteral("Operation aborted"));
    EXPECT_EQ(messages.boxes()[1].text, TSonoricPlayer::ErrorText(MCIERR_HARDWARE));
    // The device that failed after opening was closed again.
    EXPECT_EQ(devices[1].Commands.back(), MCI_CLOSE);

    // A second device of the same product is left out as aborted.
    messages.clear();
    devices[0].Failures.clear();
    devices[1].Failures.clear();
    player.ClearDevices();
    player.AnalyzePluginDevices();
    EXPECT_EQ(player.Devices().size(), 1u);
    ASSERT_EQ(messages.boxes().size(), 2u);
    EXPECT_EQ(messages.boxes()[1].text, QStringLiteral("Operation aborted"));
}

TEST_F(PlayerDeviceTest, TheMenuShowsPluginDevicesAfterASeparatorAndReportsChoices)
{
    TScriptedDevice gizmo;
    gizmo.Product = QStringLiteral("Rock & Roll");
    TSonoricPlayer player;
    gizmo.Attach(player);
    auto owned = std::make_unique<TDeviceMenu>(player);
    TDeviceMenu *menu = owned.get();
    player.SetDeviceMenu(std::move(owned));
    player.AnalyzeDevices();

    const QStringList captions = Captions(player);
    EXPECT_EQ(captions.count(QStringLiteral("-")), 2);
    EXPECT_EQ(captions.value(captions.size() - 2), QStringLiteral("-"));
    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), captions.size());
    EXPECT_EQ(actions.last()->text(), QStringLiteral("Rock && Roll"));

    std::vector<PSPDeviceInfo> chosen;
    actions.last()->trigger(); // no handler: nothing happens
    player.OnMenuClicked = [&](TSonoricPlayer *, PSPDeviceInfo info) { chosen.push_back(info); };
    actions.last()->trigger();
    AnyDeviceInfo.Name = QStringLiteral("sequencer");
    AnyDeviceInfo.Description = QStringLiteral("MIDI Sequencer");
    AnyDeviceInfo.DeviceType = MCI_DEVTYPE_SEQUENCER;
    actions.first()->trigger();
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[0], player.Devices().back().get());
    EXPECT_EQ(chosen[1], &AnyDeviceInfo);
    EXPECT_TRUE(AnyDeviceInfo.Name.isEmpty());
    EXPECT_TRUE(AnyDeviceInfo.Description.isEmpty());
    EXPECT_EQ(AnyDeviceInfo.DeviceType, -1);

    player.ClearDevices();
    player.BuildDeviceMenu();
    EXPECT_EQ(menu->actions().size(), 2);
}

} // namespace
