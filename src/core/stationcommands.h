#pragma once
// What the station's lists and keys ask of the station: its actions, the transport operations
// they lead to, and the popup list boxes that show the lists. The station implements it.
//
// Threads: main thread only.

#include "core/stationactions.h"

#include <QChar>

struct TTitle;

// The three lists behind the display's popup list boxes.
enum class TStationList { Titles, Programs, Albums };

class TStationCommands {
public:
    virtual ~TStationCommands() = default;

    // Whether the action may run now.
    virtual bool ActionEnabled(TStationAction action) const = 0;
    // Runs the action as the keyboard does: a seek action makes exactly one step, and only when
    // no seek run is under way.
    virtual void ExecuteAction(TStationAction action) = 0;
    // Opens the title in the player, going on playing when the player plays.
    virtual void SelectTitle(TTitle *title) = 0;
    // A digit typed for the title number.
    virtual void QuickNumberKey(QChar digit) = 0;
    // Closes the popup list box that shows the list; nothing when it is not open.
    virtual void ClosePopup(TStationList list) = 0;
};
