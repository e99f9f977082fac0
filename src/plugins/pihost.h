#pragma once
// The plug-in host: loads the listed plug-ins, keeps the plug-in, device and view lists, and
// answers the plug-ins' calls of PIHostProc.
//
//     TPIHost host(site);                  // the one PIHostProc answers for
//     host.Load(paths, ownDeviceCount);    // start-up: PI_INITIALIZE, PI_SETHOST, PI_START
//     ...                                  // device messages, views, notifications
//     host.Shutdown();                     // PI_SHUTDOWN, last plug-in to first
//     host.Finalize();                     // the lists released, PI_FINALIZE last to first
//
// A plug-in's answers are never trusted: a text query takes at most kPITextLimit bytes and
// stops at the buffer's end, a message for a device or view nobody registered is answered by
// the host, and a plug-in that calls back while it is being called (from inside a notification,
// or while the View menu is built) finds the lists in a consistent state.
//
// Threads: main thread only.

#include "plugins/pihostsite.h"
#include "plugins/piregistry.h"
#include "tonaria/plugin.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class TPIHost {
public:
    // A host without a program around it: plug-ins' requests for actions are ignored.
    TPIHost();
    // A host that carries out the plug-ins' requests on the site; it answers PIHostProc until
    // it is destroyed.
    explicit TPIHost(TPIHostSite &site);
    TPIHost(const TPIHost &) = delete;
    TPIHost &operator=(const TPIHost &) = delete;
    virtual ~TPIHost();

    // The host that the exported PIHostProc hands its calls to, or null.
    static TPIHost *Active();

    // The number of loaded plug-ins; an ID is a position, 0 to Count() - 1.
    int Count() const;
    // The ID of the loaded plug-in listed under this path in the preferences, or -1.
    int FindLoaded(const QString &path) const;
    // The path as listed in the preferences.
    QString FileName(int id) const;
    // The plug-in's answers to PI_GETTITLE, PI_GETNAME and PI_GETABOUT ("" for a bad ID).
    QString GetTitle(int id);
    QString GetName(int id);
    QString GetAbout(int id);
    // Sends PI_CONFIGURE: true when the plug-in showed its own configuration.
    bool Configure(int id);

    // ---- Life ----
    // Loads the plug-ins of the paths in order; each that fails shows at most one message and
    // is skipped. The player's own devices number ownDeviceCount: plug-in devices follow
    // them. Devices can be registered only while this runs.
    void Load(const QStringList &paths, int ownDeviceCount);
    // PI_SHUTDOWN to every plug-in, from the last to the first.
    void Shutdown();
    // Releases the device and view entries, then sends PI_FINALIZE to every plug-in from the
    // last to the first and releases its record. Requests from plug-ins are ignored from now.
    void Finalize();

    // ---- Notifications ----
    // Tells every plug-in in load order (PI_NOTIFYCONTROLS to PI_NOTIFYENDCHECK). A plug-in
    // that asks for the same action from inside the notification gets the action carried out,
    // but no second notification while the first is still on its way.
    void Notify(std::uint32_t code);

    // ---- Devices ----
    int DeviceCount() const { return lists_.DeviceCount(); }
    // A media-control command for the device, as PI_DEVICEMSG; a device no plug-in registered
    // answers MCIERR_UNSUPPORTED_FUNCTION.
    std::int32_t DeviceMessage(int deviceId, std::uint32_t command, std::uintptr_t flags,
                               std::uintptr_t params);
    // The device's DM_GETEXTENSIONS answer: comma text of extensions without dots.
    QString DeviceExtensions(int deviceId);

    // ---- Views ----
    // The ViewIDs of the registered views, in list order.
    std::vector<int> ViewIDs() const;
    // VM_GETCAPTION, VM_ISVISIBLE and VM_SETVISIBLE; a view that is gone answers "" and false.
    QString ViewCaption(int viewId);
    bool ViewVisible(int viewId);
    void SetViewVisible(int viewId, bool visible);

    // ---- The plug-ins' call-back ----
    // Carries out one request of a plug-in (the codes PH_...).
    void HostProc(TPIMessage &message);

    const TPIRegistry &Lists() const { return lists_; }

private:
    // Sends one message to a plug-in and returns its Result (0 for a bad ID).
    std::intptr_t Send(int id, std::uint32_t code, std::uintptr_t wParam = 0,
                       std::uintptr_t lParam = 0);
    std::intptr_t SendSub(int id, std::uint32_t code, int target, std::uint32_t sub,
                          std::uintptr_t param1, std::uintptr_t param2);
    QString QueryText(int id, std::uint32_t code);
    bool LoadOne(const QString &path);
    void RunAction(TPIHostAction action);
    void AnswerSite(TPIMessage &message, std::uint32_t code);

    TPIHostSite *site_ = nullptr;
    TPIRegistry lists_;
    bool acceptingDevices_ = false;
    bool finalized_ = false;
    int depth_ = 0;
    std::uint32_t notifying_ = 0; // one bit per notification on its way
};
