#pragma once
// Whether a window system can be reached, asked before Qt starts: Qt ends the program with an
// abort when the platform it chose cannot connect to its display (an ssh session, a box with no
// screen). Without one the program runs headless on Qt's offscreen platform.
//
// An X server resets when its last client leaves, and a client arriving during the reset may be
// turned away: the probe keeps its X connection until it is destroyed, which is after Qt has
// connected.
//
//     TDisplayProbe probe;
//     if (probe.ChooseHeadless()) ...   // QT_QPA_PLATFORM=offscreen is set
//     QApplication app(argc, argv);
//     probe.Release();
//
// Threads: main thread, before QApplication exists (it reads and sets the environment).

struct XcbConnection;

class TDisplayProbe {
public:
    TDisplayProbe() = default;
    ~TDisplayProbe();
    TDisplayProbe(const TDisplayProbe &) = delete;
    TDisplayProbe &operator=(const TDisplayProbe &) = delete;

    // The Wayland compositor's socket ($WAYLAND_DISPLAY, a relative name under
    // $XDG_RUNTIME_DIR) takes a connection.
    static bool WaylandReachable();
    // The X server named by $DISPLAY accepts a client, asked the way Qt's own X platform asks
    // (libxcb, loaded for the question; without it Qt cannot reach X either). A connection made
    // is kept and answers the next question.
    bool XReachable();
    // When the user chose no Qt platform ($QT_QPA_PLATFORM unset or empty) and neither display
    // can be reached, sets QT_QPA_PLATFORM=offscreen and returns true; else changes nothing.
    bool ChooseHeadless();
    // Lets the connection go (once Qt has its own).
    void Release();

private:
    void *library_ = nullptr;
    XcbConnection *connection_ = nullptr;
    void (*disconnect_)(XcbConnection *) = nullptr;
};
