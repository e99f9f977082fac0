// The media-control calls of tonaria/mci.h: a command with its parameter block goes to the
// media-control layer, which answers it for the program's own devices.
#include "platform/mci/mcidevice.h"
#include "platform/mci/mcierrortext.h"
#include "platform/mci/mcilayer.h"
#include "platform/mci/mcinotifyevent.h"
#include "tonaria/mci.h"

extern "C" {

MCIERROR mciSendCommand(MCIDEVICEID mciId, uint32_t uMsg, uintptr_t dwParam1, uintptr_t dwParam2)
{
    if (!TMciLayer::onMainThread()) return MCIERR_WRONG_THREAD;
    return TMciLayer::instance().sendCommand(mciId, uMsg, dwParam1, dwParam2);
}

int mciGetErrorString(MCIERROR mcierr, char *pszText, uint32_t cchText)
{
    const char *text = mciErrorText(mcierr);
    if (!pszText || cchText == 0) return text ? 1 : 0;
    mciCopyText(text ? QString::fromUtf8(text) : QString(), pszText, cchText);
    return text ? 1 : 0;
}

MCIDEVICEID mciGetDeviceID(const char *pszDevice)
{
    if (!pszDevice || !TMciLayer::onMainThread()) return 0;
    return TMciLayer::instance().deviceId(QString::fromUtf8(pszDevice));
}

int mciDriverNotify(uintptr_t dwCallback, MCIDEVICEID wDeviceID, uint32_t uStatus)
{
    if (dwCallback == 0 || !TMciLayer::onMainThread()) return 0;
    postMciNotify(mciReceiver(dwCallback), uStatus, wDeviceID);
    return 1;
}

} // extern "C"
