#include "core/stationactions.h"

QString StationActionName(TStationAction action)
{
    switch (action) {
    case TStationAction::aEditAlbums:
        return QStringLiteral("aEditAlbums");
    case TStationAction::aEditPrograms:
        return QStringLiteral("aEditPrograms");
    case TStationAction::aEditTitles:
        return QStringLiteral("aEditTitles");
    case TStationAction::aPlay:
        return QStringLiteral("aPlay");
    case TStationAction::aPlayPause:
        return QStringLiteral("aPlayPause");
    case TStationAction::aPlayStop:
        return QStringLiteral("aPlayStop");
    case TStationAction::aPlayPrev:
        return QStringLiteral("aPlayPrev");
    case TStationAction::aPlayRew:
        return QStringLiteral("aPlayRew");
    case TStationAction::aPlayFB:
        return QStringLiteral("aPlayFB");
    case TStationAction::aPlayFF:
        return QStringLiteral("aPlayFF");
    case TStationAction::aPlayNext:
        return QStringLiteral("aPlayNext");
    case TStationAction::aMiscPref:
        return QStringLiteral("aMiscPref");
    case TStationAction::aHelpTopics:
        return QStringLiteral("aHelpTopics");
    }
    return QString();
}
