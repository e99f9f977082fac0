#pragma once
// The transport: the eight commands the user gives (play, pause, stop, previous, next, rewind,
// fast backward and fast forward), the opening and closing of titles in the player, the move to
// the next title when one ends, the seek runs and the typed title number. Everything works on
// the global state's current album, its current program and the player.
//
// The pause between titles does not hold up the program: when a title ends with a pause
// delay, the sleep text shows and a single-shot timer takes the next step; any transport command
// or a close given meanwhile cancels the pending move and takes over.
//
// Errors of the player (ESonoricPlayerException) propagate to the caller, who shows them; the
// pending move after a pause, which has no caller, shows them itself.
//
// A package title is unpacked by the package manager off this thread: opening it (or moving to
// another of its members) asks for the member and returns; the player opens the member when it
// is ready, and plays it when play was asked for meanwhile. A package that cannot be played is
// reported once, as a file error naming the title's file, and play moves on to the next title
// until a whole pass of the program has failed.
//
// Threads: main thread only. The ticker reaches SeekStep and QuickNumberCommit through a
// synchronous call into the main thread.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class TAlbum;
class TProgram;
class TTonariaGlobals;
struct TSPDeviceInfo;
struct TTitle;

class TTransport : public QObject {
public:
    explicit TTransport(TTonariaGlobals &globals);

    // ---- The user's commands ----
    void Play();
    // Pauses when playing, otherwise resumes.
    void Pause();
    // Stops where the position is.
    void Stop();
    void Previous();
    // Returns StoppedAtEnd: true when the player was left not playing.
    bool Next();
    void Rewind();
    void StartFastBackward();
    void StopFastBackward();
    void StartFastForward();
    void StopFastForward();
    // One step of the running seek: 1 backward, 2 forward.
    void SeekStep(int direction);

    // ---- Titles in the player ----
    // Opens the title, and starts it when the player is playing.
    void SelectTitle(TTitle *title);
    // Opens the title (none: closes the player's medium but keeps the loaded title's record).
    void OpenTitle(TTitle *title);
    void OpenAndPlay(TTitle *title);
    void OpenFile(const QString &fileName, TSPDeviceInfo *device);
    // Opens the file and goes on playing if the player was playing.
    void OpenFileKeepPlaying(const QString &fileName, TSPDeviceInfo *device);
    void CloseTitle();

    // ---- End of title ----
    // Run for every end check the ticker asks for: when the loaded medium has played to its
    // end, moves on to the next title of the program (after the pause between titles) or
    // closes the program when that was asked for.
    void CheckEndOfTitle();
    // A move to the next title is waiting for the pause between titles to pass.
    bool MovePending() const { return pauseTimer_.isActive(); }
    // Forgets a waiting move; the sleep text goes.
    void CancelPendingMove();

    // ---- Typed title number ----
    void QuickNumberKey(QChar key);
    void QuickNumberCommit();

    // ---- Hooks the station sets ----
    // The title ended and the close was requested: close the program.
    std::function<void()> OnCloseRequest;
    // The internal programs were given a new order: editors that show them refresh.
    std::function<void()> OnProgramsRegenerated;
    // An end check has run (plug-ins are told).
    std::function<void()> OnEndCheck;
    // A failure of the move after the pause, which has no caller to report to.
    std::function<void(const QString &)> OnMoveFailed;

private:
    TAlbum *Album() const;
    TProgram *CurrentProgram() const;
    // True when the player is not ready or stopped.
    bool PlayerStopped() const;
    void UpdateStoppedAtEnd();
    void OpenTitleFile(const TTitle &title);
    // The steps after the pause between titles: a new order at the end of a pass, then the
    // close or the next title.
    void FinishEndOfTitle();
    void StartSeek(int direction, int interval);
    void EndSeek();

    // ---- Package titles ----
    // Asks for member `index` of the package at `path`; `play` starts it when it is ready.
    void RequestPackageMember(const QString &path, int index, bool play);
    // The member asked for last is unpacked (or not): open it in the player, or give up the
    // package title.
    void PackageMemberReady(bool unpacked);
    // A package waits for its member.
    bool PackagePending() const;
    // A member asked for now is to play: the player plays, or play was asked for meanwhile.
    bool PackageKeepsPlaying() const;
    // Closes a failed package title, moves on when play was asked for, and reports it.
    void PackageFailed(bool play);

    TTonariaGlobals &g_;
    QTimer pauseTimer_;
    // Play was asked for while a package member is being unpacked.
    bool packagePlay_ = false;
    // Package titles that failed one after another while playing on.
    int packageFailures_ = 0;
};
