#pragma once
// The popup menu of playback devices (the display's Open button shows it): the player's menu
// entries as menu actions; choosing one hands its tag back to the player's DeviceMenuClick.
//
// Threads: main thread only.

#include "playback/spdevicemenu.h"

#include <QMenu>

class TSonoricPlayer;

class TDeviceMenu : public QMenu, public TSPDeviceMenu {
public:
    // `player` must outlive the menu (the player normally owns it: SetDeviceMenu).
    explicit TDeviceMenu(TSonoricPlayer &player, QWidget *parent = nullptr);

    void SetItems(const std::vector<TSPMenuItem> &items) override;

private:
    TSonoricPlayer &player_;
};
