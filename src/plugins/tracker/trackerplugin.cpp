// The tracker-module plug-in: its entry point PIProc, the registration of its one device with
// the host, the texts the host asks for, and the device messages, which go to the device.
#include "trackerdevice.h"

#include "tonaria/plugin.h"

#include <libopenmpt/libopenmpt.h>

#include <cstring>
#include <new>
#include <string>

namespace {

struct TPlugin {
    TPIProc host = nullptr;
    std::uintptr_t pluginId = 0;
    TTrackerDevice device;
};

TPlugin &plugin()
{
    static TPlugin instance;
    return instance;
}

// A text query: without a buffer the size the text needs; with one, the text (cut to fit).
intptr_t AnswerText(const std::string &text, std::uintptr_t buffer, std::uintptr_t size)
{
    const std::size_t needed = text.size() + 1;
    if (buffer != 0 && size != 0) {
        char *out = reinterpret_cast<char *>(buffer);
        const std::size_t count = needed <= size ? text.size() : std::size_t(size) - 1;
        std::memcpy(out, text.data(), count);
        out[count] = '\0';
    }
    return intptr_t(needed);
}

// libopenmpt's list, "mod;s3m;xm;...", as the host wants it: "mod,s3m,xm,...".
std::string Extensions()
{
    std::string list;
    if (const char *supported = openmpt_get_supported_extensions()) {
        list = supported;
        openmpt_free_string(supported);
    }
    for (char &c : list)
        if (c == ';') c = ',';
    return list;
}

std::string LibraryVersion()
{
    std::string version;
    if (const char *text = openmpt_get_string("library_version")) {
        version = text;
        openmpt_free_string(text);
    }
    return version;
}

std::string About()
{
    return "Plays tracker modules (MOD, XM, S3M, IT and the other formats libopenmpt " +
           LibraryVersion() +
           " reads) as titles of an album, beside MIDI files, into the program's sound output.";
}

bool RegisterDevice(TPlugin &self)
{
    if (!self.host) return false;
    TPIMessage message{PH_REGISTERDEVICE, self.pluginId, 0, -1};
    self.host(&message);
    // A refused registration leaves the answer as it was.
    if (message.Result < 0) return false;
    self.device.SetDeviceId(MCIDEVICEID(message.Result));
    return true;
}

intptr_t DeviceMessage(TPlugin &self, TPISubMessage *sub)
{
    if (!sub) return MCIERR_NULL_PARAMETER_BLOCK;
    if (sub->Msg == DM_GETEXTENSIONS) return AnswerText(Extensions(), sub->Param1, sub->Param2);
    try {
        return self.device.Command(sub->Msg, sub->Param1, reinterpret_cast<void *>(sub->Param2));
    } catch (const std::bad_alloc &) {
        return MCIERR_OUT_OF_MEMORY;
    } catch (...) {
        return MCIERR_DRIVER_INTERNAL;
    }
}

void Dispatch(TPIMessage *message)
{
    TPlugin &self = plugin();
    self.device.Poll();
    switch (message->Msg & 0xFFFFu) {
    case PI_INITIALIZE:
        message->Result = 1;
        break;
    case PI_SETHOST:
        self.host = reinterpret_cast<TPIProc>(message->WParam);
        self.pluginId = message->LParam;
        message->Result = RegisterDevice(self) ? 1 : 0;
        break;
    case PI_START:
        break;
    case PI_SHUTDOWN:
    case PI_FINALIZE:
        self.device.CloseMedium();
        break;
    case PI_CONFIGURE:
        message->Result = 0; // nothing to configure: the host shows the about text
        break;
    case PI_GETNAME:
        message->Result = AnswerText(TTrackerDevice::Product, message->WParam, message->LParam);
        break;
    case PI_GETTITLE:
        message->Result =
            AnswerText("Tonaria tracker-module player", message->WParam, message->LParam);
        break;
    case PI_GETABOUT:
        message->Result = AnswerText(About(), message->WParam, message->LParam);
        break;
    case PI_DEVICEMSG:
        message->Result =
            DeviceMessage(self, reinterpret_cast<TPISubMessage *>(message->LParam));
        break;
    default:
        break; // notifications and views: nothing to do
    }
}

} // namespace

extern "C" TONARIA_EXPORT void PIProc(TPIMessage *message)
{
    if (!message) return;
    try {
        Dispatch(message);
    } catch (...) {
        // Nothing may cross into the host; the answer stays as the host set it.
    }
}
