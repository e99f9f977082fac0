#include "playback/spdeviceprobe.h"

#include "playback/sonoricplayerexception.h"

#include <cstring>

bool TSPDeviceProbe::Probe(TSPDeviceInfo &info, QString *failure)
{
    const QByteArray type = info.Name.toUtf8();
    MCI_OPEN_PARMS open{};
    open.lpstrDeviceType = type.constData();
    open.lpstrElementName = "";
    open.lpstrAlias = "";
    const MCIERROR openError =
        send_(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT, reinterpret_cast<std::uintptr_t>(&open));
    if (openError != 0) {
        *failure = OperationAbortedText();
        return false;
    }

    const MCIDEVICEID id = open.wDeviceID;
    auto send = [&](std::uint32_t msg, std::uint32_t flags, void *params) {
        return send_(id, msg, flags, reinterpret_cast<std::uintptr_t>(params));
    };
    auto capability = [&](std::uint32_t item, MCIERROR *error) {
        MCI_GETDEVCAPS_PARMS caps{};
        caps.dwItem = item;
        *error = send(MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT, &caps);
        return caps.dwReturn;
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

        char product[300] = {};
        MCI_INFO_PARMS infoParams{};
        infoParams.lpstrReturn = product;
        infoParams.dwRetSize = sizeof product;
        error = send(MCI_INFO, MCI_INFO_PRODUCT | MCI_WAIT, &infoParams);
        if (error != 0) {
            *failure = MciErrorText(error);
            ok = false;
        } else {
            info.Description =
                QString::fromUtf8(product, qsizetype(strnlen(product, sizeof product)));
        }
    }
    MCI_GENERIC_PARMS close{};
    send(MCI_CLOSE, MCI_WAIT, &close);
    return ok;
}
