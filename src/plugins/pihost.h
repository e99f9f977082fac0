#pragma once
// The plug-in host: loads the listed plug-ins, keeps the plug-in, device and view lists, and
// answers the plug-ins' calls of PIHostProc.
//
// Threads: main thread only.

#include <QString>

class TPIHost {
public:
    TPIHost() = default;
    TPIHost(const TPIHost &) = delete;
    TPIHost &operator=(const TPIHost &) = delete;
    virtual ~TPIHost() = default;

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
};
