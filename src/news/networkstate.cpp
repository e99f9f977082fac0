#include "news/networkstate.h"

#include <QNetworkInformation>

bool NetworkConnectionUp()
{
    QNetworkInformation *info = QNetworkInformation::instance();
    if (!info &&
        QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        info = QNetworkInformation::instance();
    if (!info) return true;
    const auto reachability = info->reachability();
    if (reachability == QNetworkInformation::Reachability::Unknown) return true;
    return reachability != QNetworkInformation::Reachability::Disconnected;
}
