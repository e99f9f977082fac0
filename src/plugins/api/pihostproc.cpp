// The host's call-back, PIHostProc: every request of a plug-in reaches the active plug-in host
// here. Calls from any thread but the main one, and calls when no host is active, are ignored.
#include "plugins/pihost.h"
#include "tonaria/plugin.h"

#include <QCoreApplication>
#include <QThread>

extern "C" {

void PIHostProc(TPIMessage *message)
{
    if (!message) return;
    const QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) return;
    if (TPIHost *host = TPIHost::Active()) host->HostProc(*message);
}

} // extern "C"
