#pragma once
// The splash window: a borderless window in the middle of the screen with the program's name,
// its version lines and a status line that the start-up writes its progress into. It lives
// until the station is first shown.
//
// Threads: main thread only.

#include <QSplashScreen>

class TfSplash : public QSplashScreen {
public:
    // Shown and painted at once, with the first status text.
    TfSplash();

    // Replaces the status line and paints it at once (the start-up does not return to the
    // event loop until it is done).
    void SetStatus(const QString &text);
};
