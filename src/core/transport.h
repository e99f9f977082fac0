#pragma once
// The transport: the eight commands the user gives (play, pause, stop, previous, next, rewind,
// fast backward and fast forward), the opening and closing of titles in the player, the move to
// the next title when one ends, the seek runs and the typed title number. Everything works on
// the global state's current album, its current program and the player.
//
// The pause between titles does not hold up the program: when a title ends with a pause
// delay, the sleep text shows and a timer takes the next step. During the pause Play and Next
// play the next title at once, Previous plays the title before the ended one, and Stop stays
// on the ended title; a close given meanwhile forgets the pending move.
//
// A title that cannot be played does not stop the jukebox: its error is told once (through
// titleFailed) and play goes on with the title after it. When no title of a whole pass can be
// played, play stops, and a pending close request goes ahead.
//
// The commands the user gives directly raise the player's errors (ESonoricPlayerException) to
// the caller, who shows them; the moves of the play sequence, which have no caller, report
// through titleFailed.
//
// A package title is unpacked by the package manager off this thread: opening it (or moving to
// another of its members) asks for the member and returns; the player opens the member when it
// is ready, and plays it when play was asked for meanwhile. A package that cannot be played is
// told once, as a file error naming the title's file, and play moves on as for any title that
// cannot be played.
//
// Timed steps (the pause, the seek run's repeats, the typed number's delay) run on timers of the
// given source.
//
// Threads: main thread only.

#include "core/timersource.h"

#include <QObject>
#include <QString>

#include <memory>

class TAlbum;
class TProgram;
class TTonariaGlobals;
struct TSPDeviceInfo;
struct TTitle;

enum class TSeekDirection { None, Backward, Forward };

class TTransport : public QObject {
    Q_OBJECT

public:
    TTransport(TTonariaGlobals &globals, TTimerSource &timers);
    ~TTransport() override;

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
    // One step of a seek in the direction.
    void SeekStep(TSeekDirection direction);

    // ---- The seek run ----
    bool Seeking() const { return seekDirection_ != TSeekDirection::None; }
    TSeekDirection SeekDirection() const { return seekDirection_; }
    // The run's current repeat interval (ms); -1 when no run is under way.
    int SeekInterval() const { return seekInterval_; }

    // ---- Titles in the player ----
    // Opens the title, and starts it when the player is playing.
    void SelectTitle(TTitle *title);
    // Opens the title (none: closes the player's medium but keeps the loaded title's record).
    void OpenTitle(TTitle *title);
    void OpenAndPlay(TTitle *title);
    void OpenFile(const QString &fileName, TSPDeviceInfo *device);
    void CloseTitle();
    // Plays the album's current title, or the first one after it that can be played (a play
    // request of the command line or of a second start). Never raises: failures are reported.
    void PlayFromCurrentTitle();

    // ---- End of title ----
    // When the loaded medium has played to its end, moves on to the next title of the program
    // (after the pause between titles) or closes the program when that was asked for.
    void CheckEndOfTitle();
    // True when the last command left the player not playing: the end of the title is not
    // waited for.
    bool StoppedAtEnd() const { return stoppedAtEnd_; }
    // A move to the next title is waiting for the pause between titles to pass.
    bool MovePending() const;
    // Forgets a waiting move; the sleep text goes.
    void CancelPendingMove();

    // ---- Typed title number ----
    void QuickNumberKey(QChar key);
    void QuickNumberCommit();
    // Drops the digits typed so far without taking them.
    void CancelQuickNumber();

signals:
    // The title ended and the close was requested: close the program.
    void closeRequested();
    // The internal programs were given a new order: windows that show them refresh.
    void programsRegenerated();
    // An end check has run.
    void endChecked();
    // A title of the play sequence could not be played; the text says why.
    void titleFailed(const QString &text);
    // The control states or the display texts need a refresh.
    void controlsChanged();
    void displayChanged();

private:
    TAlbum *Album() const;
    TProgram *CurrentProgram() const;
    // True when the player is not ready or stopped.
    bool PlayerStopped() const;
    void UpdateStoppedAtEnd();
    void OpenTitleFile(const TTitle &title);
    // ---- Package titles ----
    // Asks for member `index` of the package at `path`; `play` starts it when it is ready.
    void RequestPackageMember(const QString &path, int index, bool play);
    // Asks for another member of the open package, playing on when the player plays.
    void OpenPackageMember(int index);
    // The member asked for last is unpacked (or not): open it in the player, or give up the
    // package title.
    void PackageMemberReady(bool unpacked);
    // A package waits for its member.
    bool PackagePending() const;
    // A member asked for now is to play: the player plays, or play was asked for meanwhile.
    bool PackageKeepsPlaying() const;
    // Closes a failed package title, tells why, and moves on when play was asked for.
    void PackageFailed(bool play);
    void StartPause();
    // After the pause between titles: a new order at the end of a pass, then the close or the
    // next title.
    void FinishEndOfTitle();
    void RegenerateAtEndOfPass();
    // Plays the next title of the play sequence (the next member of a package first).
    void PlayNextTitle();
    // Plays `title`, or the first title after it that can be played, trying each title of the
    // program at most once; a title that failed to open before counts as tried.
    void PlayOnward(TTitle *title);
    void ReportFailure(const QString &text);
    void StartSeek(TSeekDirection direction, int interval);
    void EndSeek();
    void UpdateControls() { emit controlsChanged(); }
    void UpdateDisplay() { emit displayChanged(); }

    TTonariaGlobals &g_;
    std::unique_ptr<TTimer> pauseTimer_;
    std::unique_ptr<TTimer> seekTimer_;
    std::unique_ptr<TTimer> quickNumberTimer_;
    TSeekDirection seekDirection_ = TSeekDirection::None;
    int seekInterval_ = -1;
    bool stoppedAtEnd_ = true;
    // The last title whose opening failed, until another title opens.
    const TTitle *failedTitle_ = nullptr;
    // Play was asked for while a package member is being unpacked.
    bool packagePlay_ = false;
    // Package titles that failed one after another while playing on.
    int packageFailures_ = 0;
};
