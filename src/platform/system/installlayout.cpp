#include "platform/system/installlayout.h"

QString InstalledDataFolder() { return {}; }
QString InstalledPluginsFolder() { return {}; }
