#pragma once
// The station's actions: the commands that the display window, the floating bar, the tray menu
// and the keyboard all reach. The station runs them; the rest of the program names them.
//
// Threads: any (plain values).

#include <QString>

enum class TStationAction {
    aEditAlbums,
    aEditPrograms,
    aEditTitles,
    aPlay,
    aPlayPause,
    aPlayStop,
    aPlayPrev,
    aPlayRew,
    aPlayFB,
    aPlayFF,
    aPlayNext,
    aMiscPref,
    aHelpTopics,
};

// The eight transport actions, whose hints and enabled states follow the transport.
inline constexpr TStationAction kTransportActions[] = {
    TStationAction::aPlay,     TStationAction::aPlayPause, TStationAction::aPlayStop,
    TStationAction::aPlayPrev, TStationAction::aPlayRew,   TStationAction::aPlayFB,
    TStationAction::aPlayFF,   TStationAction::aPlayNext,
};

// The action's component name ("aPlay", ...).
QString StationActionName(TStationAction action);
