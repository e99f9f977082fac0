#include "playback/spdeviceinfo.h"

TSPDeviceInfo TSPDeviceInfo::BlankAny()
{
    TSPDeviceInfo info;
    info.IsAny = true;
    info.Kind = KindMci;
    info.Identifier = -1;
    info.DeviceType = -1;
    info.UsesFiles = true;
    info.CanEject = false;
    return info;
}

TSPDeviceInfo AnyDeviceInfo = TSPDeviceInfo::BlankAny();
