#pragma once
// The plug-ins shipped with the program: the program folder's Plugins/ gets those it lacks at
// every start, and a first start lists what it finds there, so that a new user has them.
//
// Threads: main thread only.

#include <QString>
#include <QStringList>

// Where the shipped plug-ins are: TONARIA_SHIPPED_PLUGINS when it is set (set and empty: there
// are none), else the installed program's plug-ins folder, else the build tree's. Ends in "/"
// unless empty.
QString ShippedPluginsFolder();

// Copies every shipped plug-in ("*.tpi") that the plug-ins folder lacks into it; a plug-in the
// user has there is never replaced. Returns the names that could not be copied.
QStringList ShipPlugins(const QString &pluginsFolder, const QString &shippedFolder);

// The full paths of the plug-in files ("*.tpi", any letter case) directly in the folder, sorted.
QStringList FoundPlugins(const QString &pluginsFolder);
