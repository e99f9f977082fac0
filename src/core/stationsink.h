#pragma once
// What the display texts write into the station: the application's title (the taskbar text),
// the tray icon's hint, and the hints and enabled states of the transport actions. The station
// implements it; with none installed nothing is written.
//
// Threads: main thread only.

#include "core/stationactions.h"

#include <QString>

class TStationSink {
public:
    virtual ~TStationSink() = default;

    virtual QString ApplicationTitle() const = 0;
    virtual void SetApplicationTitle(const QString &title) = 0;
    virtual void SetTrayHint(const QString &hint) = 0;
    // Only the transport actions are given hints and enabled states here.
    virtual void SetActionHint(TStationAction action, const QString &hint) = 0;
    virtual void SetActionEnabled(TStationAction action, bool enabled) = 0;
};
