#include "platform/ui/devicemenu.h"

#include "playback/sonoricplayer.h"

#include <QAction>

TDeviceMenu::TDeviceMenu(TSonoricPlayer &player, QWidget *parent) : QMenu(parent), player_(player)
{
}

void TDeviceMenu::SetItems(const std::vector<TSPMenuItem> &items)
{
    clear();
    for (const TSPMenuItem &item : items) {
        if (item.IsSeparator) {
            addSeparator();
            continue;
        }
        // A product name is shown as it is: "&" marks no mnemonic here.
        QString text = item.Caption;
        text.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction *action = addAction(text);
        action->setData(item.Tag);
        const int tag = item.Tag;
        connect(action, &QAction::triggered, this, [this, tag] { player_.DeviceMenuClick(tag); });
    }
}
