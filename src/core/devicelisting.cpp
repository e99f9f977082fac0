#include "core/devicelisting.h"

#include "playback/sonoricplayer.h"

#include <algorithm>

QString DeviceListing(const std::vector<std::unique_ptr<TSPDeviceInfo>> &devices)
{
    const QString nameHeading = QStringLiteral("DEVICE");
    const QString productHeading = QStringLiteral("PRODUCT NAME");
    qsizetype nameWidth = nameHeading.size();
    qsizetype productWidth = productHeading.size();
    for (const auto &device : devices) {
        nameWidth = std::max(nameWidth, device->Name.size());
        productWidth = std::max(productWidth, device->Description.size());
    }
    const auto line = [&](const QString &name, const QString &product, const QString &files) {
        return name.leftJustified(nameWidth + 2) + product.leftJustified(productWidth + 2) + files +
               u'\n';
    };
    QString text = line(nameHeading, productHeading, QStringLiteral("OPENS FILES"));
    for (const auto &device : devices)
        text += line(device->Name, device->Description,
                     device->UsesFiles ? QStringLiteral("yes") : QStringLiteral("no"));
    return text;
}

QString ListPlayerDevices()
{
    TSonoricPlayer player;
    player.AnalyzeMCIDevices();
    player.AnalyzePluginDevices();
    return DeviceListing(player.Devices());
}
