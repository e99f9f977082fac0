#pragma once
// The popup menu of playback devices, as the player sees it: a list of entries it fills, and a
// window-system menu that shows them. The player stays free of widgets; the menu widget lives in
// the user-interface library and reports a chosen entry back through the player's
// DeviceMenuClick.
//
// Threads: main thread only.

#include <QString>

#include <vector>

// One entry of the device menu.
struct TSPMenuItem {
    // The entry that lets the file choose its device.
    static constexpr int AnyTag = -1;

    bool IsSeparator = false;
    // The caption as the user reads it (no mnemonic markers).
    QString Caption;
    // AnyTag, or the index of the device in the player's device list.
    int Tag = AnyTag;
};

// A menu that can show the player's entries.
class TSPDeviceMenu {
public:
    virtual ~TSPDeviceMenu() = default;
    // Removes every entry shown so far and shows these instead, in order.
    virtual void SetItems(const std::vector<TSPMenuItem> &items) = 0;
};
