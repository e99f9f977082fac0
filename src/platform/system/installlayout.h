#pragma once
// Where an installed Tonaria keeps what it ships, found from the executable's own path:
// <prefix>/bin/tonaria reads <prefix>/share/tonaria and <prefix>/lib/tonaria/Plugins.
// Both are empty when the program runs from a build tree.

#include <QString>

QString InstalledDataFolder();
QString InstalledPluginsFolder();
