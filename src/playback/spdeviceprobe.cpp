#include "playback/spdeviceprobe.h"

#include "platform/mci/mcicommands.h"
#include "playback/sonoricplayerexception.h"

bool TSPDeviceProbe::Probe(TSPDeviceInfo &info, QString *failure)
{
    TMciOpenRequest open;
    open.flags = MCI_OPEN_TYPE | MCI_WAIT;
    open.deviceType = info.Name;
    MCIDEVICEID id = 0;
    if (device_.open(open, id) != 0) {
        *failure = OperationAbortedText();
        return false;
    }

    auto capability = [&](std::uint32_t item, MCIERROR *error) {
        std::uint32_t value = 0;
        *error = device_.getDevCaps(id, MCI_GETDEVCAPS_ITEM | MCI_WAIT, item, value);
        return value;
    };

    bool ok = true;
    MCIERROR error = 0;
    info.DeviceType = std::int32_t(capability(MCI_GETDEVCAPS_DEVICE_TYPE, &error));
    if (error != 0) {
        *failure = MciErrorText(error);
        ok = false;
    }
    if (ok) {
        const bool usesFiles = capability(MCI_GETDEVCAPS_USES_FILES, &error) != 0;
        info.UsesFiles = usesFiles && error == 0;
        const bool canEject = capability(MCI_GETDEVCAPS_CAN_EJECT, &error) != 0;
        info.CanEject = canEject && error == 0;

        QString product;
        error = device_.info(id, MCI_INFO_PRODUCT | MCI_WAIT, product);
        if (error != 0) {
            *failure = MciErrorText(error);
            ok = false;
        } else {
            info.Description = product;
        }
    }
    device_.generic(id, MCI_CLOSE, MCI_WAIT, nullptr);
    return ok;
}
