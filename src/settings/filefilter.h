#pragma once
// The file-open dialog's filter: every supported extension, then one entry per playback device,
// then all files, as "description|patterns|" pairs, e.g.
//   Supported files (*.mid, *.rmi)|*.mid;*.rmi|MIDI Sequencer (*.mid, *.rmi)|*.mid;*.rmi|All files
//   (*.*)|*.*
//
// Threads: any.

#include "platform/system/mciextensions.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the filter needs to know of one playback device.
struct TFilterDevice {
    QString Name;
    QString Description;
    // For a device a plug-in contributes: its extension list (comma text, as the plug-in gives
    // it), which takes the place of whatever the extension table assigns to the device.
    std::optional<QString> PluginExtensions;
};

// devices in the player's device order (its own devices first, then the plug-ins'); extension
// pairs name devices by name, compared without regard to ASCII case, and an extension of a
// device that is not installed is left out.
QString BuildFileFilter(const QList<TFilterDevice> &devices,
                        const QList<TMciExtension> &extensions);

// The same filter as Qt's file dialog takes it: one "description (pattern pattern)" entry per
// pair, e.g. "MIDI Sequencer (*.mid *.rmi)".
QStringList QtNameFilters(const QString &filter);
