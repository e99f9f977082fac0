#pragma once
// One plug-in library: found, loaded and its entry PIProc looked up, or the reason it was not.
// A library that was loaded and whose entry was found stays loaded until the process ends: a
// plug-in's code may still run (a timer thread of its own) after the host has forgotten it.
//
// Threads: main thread only.

#include "tonaria/plugin.h"

#include <QString>

class TPILibrary {
public:
    enum class TFailure { None, Missing, NotLoaded, NoEntry };

    // Loads the library at the path and looks up PIProc; on failure nothing stays loaded.
    static TPILibrary Load(const QString &path);

    TFailure Failure() const { return failure_; }
    // The dynamic loader's own words for a failure to load.
    const QString &Error() const { return error_; }
    TPIProc Proc() const { return proc_; }
    void *Handle() const { return handle_; }
    // Unloads the library (a plug-in refused by its own answers).
    void Unload();

private:
    TFailure failure_ = TFailure::None;
    QString error_;
    void *handle_ = nullptr;
    TPIProc proc_ = nullptr;
};
