#pragma once
// The first instance's side of the hand-off: turns each code a second start sends into an
// action of the station and gives the reply. The transport (the local channel) only carries
// codes and texts; what the actions do to the albums and the player is the target's business.
//
// A batch is any number of play, close and add-file requests in command-line order, ended by
// one commit. The target answers each at once and carries them out in the same order from the
// event loop, so that no album or file is touched before the second start has its reply;
// selection and playing wait for the commit.
// Batches of several second starts may interleave, each in its own order.
//
// Threads: main thread only (the target is the station). Each call must return quickly: a
// second start waits for every reply, and must be answered at once even while a title plays
// or the pause between titles runs. The target reports its own failures (message boxes) and
// never lets an exception out: the call comes straight from the event loop.

#include <QString>
#include <cstdint>

class THandoffTarget {
public:
    virtual ~THandoffTarget() = default;
    // Makes the system album current if it is not, then appends a new title for the file to
    // the album's titles and to its current program's titles.
    virtual void handoffAddFile(const QString &fileName) = 0;
    // Ends a batch: rebuilds the internal programs and the titles list, selects the current
    // program's first title when nothing is loaded, and plays when play was requested and the
    // player is stopped or has nothing open (consuming the request).
    virtual void handoffCommit() = 0;
    // Sets the play request, consumed by the next commit (or the first showing).
    virtual void setPlayRequested() = 0;
    // Sets the close request: the program closes when the title being played ends.
    virtual void setCloseRequested() = 0;
};

class THandoffReceiver {
public:
    explicit THandoffReceiver(THandoffTarget &target) : target_(target) {}

    // Handles one request and returns the reply. Unknown codes do nothing and answer 0.
    std::int32_t handle(std::uint32_t code, const QString &text);

private:
    THandoffTarget &target_;
};
