#pragma once
// Where an installed Tonaria keeps what it ships, found from the executable's own path:
// <prefix>/bin/tonaria reads <prefix>/share/tonaria and <prefix>/lib/tonaria/Plugins.
// Both are empty when the program runs from a build tree.
//
// Threads: any; these functions touch only the file system.

#include <QString>

// The installed data folder (laid out as a program folder is), ending in "/"; empty when the
// executable is not in the "bin" folder of a prefix whose share/tonaria holds the program's data.
QString InstalledDataFolder();
// The installed plug-ins folder, ending in "/"; empty when there is no installed data folder or
// no such folder beside it.
QString InstalledPluginsFolder();

// The same for an executable in executableFolder.
QString InstalledDataFolderFor(const QString &executableFolder);
QString InstalledPluginsFolderFor(const QString &executableFolder);
