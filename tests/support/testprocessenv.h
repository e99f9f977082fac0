#pragma once
// The environment every test program starts from, unless the caller set it: no display and no
// sound card, the source and build folders, folders in memory and a news check that stays on
// this machine. Included by the two test mains, which are compiled knowing the folders.

#include <cstdlib>

#include <unistd.h>

inline void PrepareTestProcessEnvironment()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TONARIA_AUDIO", "null", 0);
    setenv("TONARIA_SOURCE_DIR", TONARIA_TEST_SOURCE_DIR, 0);
    setenv("TONARIA_BINARY_DIR", TONARIA_TEST_BINARY_DIR, 0);
    // Each test's folders are made and removed in memory, unless the caller chose a place:
    // on a busy disk the flushes of the program's careful writes cost seconds per test.
    if (access("/dev/shm", W_OK | X_OK) == 0) setenv("TMPDIR", "/dev/shm", 0);
    // A news check started by a test goes to a closed port of this machine, never out.
    setenv("TONARIA_NEWS_URL", "http://127.0.0.1:9/brimware/tonaria_su.txt", 0);
    // Tests that are not about plug-ins load none: nothing is shipped into their program folders.
    setenv("TONARIA_SHIPPED_PLUGINS", "", 0);
}
