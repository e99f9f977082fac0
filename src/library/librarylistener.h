#pragma once
// What the library tells the layer above it. The library itself knows nothing of the
// program's global state; the global state installs a listener at start-up and removes it
// before it goes away. Without one, disposals go unnoticed and refusals are shown with a
// plain English text.
//
// Threads: main thread only (the library is used on the user-interface thread).

class TProgram;
struct TTitle;

class TLibraryListener {
public:
    virtual ~TLibraryListener() = default;

    // A title record is about to be freed: whoever keeps its address must forget it now.
    virtual void TitleDisposed(const TTitle *title) = 0;

    // The user asked to delete an internal program, which is refused; the listener tells the
    // user (message ErrCannotRemoveInternalProgram with the program's caption, error icon).
    virtual void InternalProgramNotDeleted(const TProgram &program) = 0;
};

// The listener in use (the default one until another is installed).
TLibraryListener &LibraryListener();
// Installs a listener (not owned); nullptr restores the default.
void SetLibraryListener(TLibraryListener *listener);
