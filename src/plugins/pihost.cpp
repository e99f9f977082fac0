#include "plugins/pihost.h"

int TPIHost::Count() const { return 0; }
int TPIHost::FindLoaded(const QString &) const { return -1; }
QString TPIHost::FileName(int) const { return {}; }
QString TPIHost::GetTitle(int) { return {}; }
QString TPIHost::GetName(int) { return {}; }
QString TPIHost::GetAbout(int) { return {}; }
bool TPIHost::Configure(int) { return false; }
