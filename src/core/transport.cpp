#include "core/transport.h"

#include "core/quicknumber.h"
#include "core/tonariaglobals.h"
#include "library/album.h"
#include "library/program.h"
#include "library/title.h"
#include "localisation/messageformat.h"
#include "localisation/showmessage.h"
#include "packages/zipman.h"
#include "playback/sonoricplayer.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace {

bool IsZipFile(const QString &fileName)
{
    return fileName.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive);
}

QString FailureText(const std::exception &e)
{
    return QString::fromUtf8(e.what());
}

} // namespace

TTransport::TTransport(TTonariaGlobals &globals, TTimerSource &timers)
    : g_(globals), pauseTimer_(timers.CreateTimer()), seekTimer_(timers.CreateTimer()),
      quickNumberTimer_(timers.CreateTimer())
{
    connect(pauseTimer_.get(), &TTimer::timeout, this, [this] {
        g_.Sleeping = false;
        FinishEndOfTitle();
    });
    connect(seekTimer_.get(), &TTimer::timeout, this, [this] {
        try {
            SeekStep(seekDirection_);
        } catch (const std::exception &e) {
            EndSeek();
            ReportFailure(FailureText(e));
        }
    });
    connect(quickNumberTimer_.get(), &TTimer::timeout, this, [this] {
        try {
            QuickNumberCommit();
        } catch (const std::exception &e) {
            ReportFailure(FailureText(e));
        }
    });
}

TTransport::~TTransport() = default;

TAlbum *TTransport::Album() const
{
    return g_.CurrentAlbum;
}

TProgram *TTransport::CurrentProgram() const
{
    return g_.CurrentAlbum ? g_.CurrentAlbum->CurrentProgram : nullptr;
}

bool TTransport::PlayerStopped() const
{
    if (!g_.Player || !g_.Player->Opened()) return true;
    const std::uint32_t mode = g_.Player->GetMode();
    return mode == MCI_MODE_NOT_READY || mode == MCI_MODE_STOP;
}

void TTransport::UpdateStoppedAtEnd()
{
    stoppedAtEnd_ = PlayerStopped();
}

void TTransport::ReportFailure(const QString &text)
{
    UpdateDisplay();
    UpdateControls();
    emit titleFailed(text);
}

// ---- The user's commands ----

void TTransport::Play()
{
    if (MovePending()) {
        // During the pause between titles the next title plays at once.
        CancelPendingMove();
        FinishEndOfTitle();
        return;
    }
    TAlbum *album = Album();
    TTitle *title = album ? album->CurrentTitle : nullptr;
    if (title != g_.LoadedTitleSource) {
        OpenAndPlay(title);
        return;
    }
    if (PackagePending()) {
        packagePlay_ = true;
    } else if (g_.Player && g_.Player->Opened()) {
        g_.Player->Play();
        UpdateStoppedAtEnd();
    }
    UpdateControls();
}

void TTransport::Pause()
{
    CancelPendingMove();
    packagePlay_ = false;
    if (g_.Player) {
        g_.Player->PlayPause();
        UpdateStoppedAtEnd();
    }
    UpdateControls();
}

void TTransport::Stop()
{
    CancelPendingMove();
    packagePlay_ = false;
    if (g_.Player) {
        g_.Player->Stop();
        UpdateStoppedAtEnd();
    }
    UpdateControls();
}

void TTransport::OpenPackageMember(int index)
{
    RequestPackageMember(g_.ZipMan->Package(), index, PackageKeepsPlaying());
}

void TTransport::Previous()
{
    const bool wasPausing = MovePending();
    CancelPendingMove();
    if (g_.ZipMode && g_.ZipMan->CurrentIndex() > 0) {
        OpenPackageMember(g_.ZipMan->CurrentIndex() - 1);
    } else if (!g_.LibraryReady) {
        if (g_.Player) g_.Player->PrevTrack();
    } else if (TAlbum *album = Album()) {
        album->CurrentTitle = album->PreviousTitle();
        SelectTitle(album->CurrentTitle);
    }
    UpdateStoppedAtEnd();
    // A move during the pause between titles plays what it moved to.
    if (wasPausing && stoppedAtEnd_) Play();
}

bool TTransport::Next()
{
    if (MovePending()) {
        CancelPendingMove();
        FinishEndOfTitle();
        return stoppedAtEnd_;
    }
    if (g_.ZipMode && g_.ZipMan->CurrentIndex() < g_.ZipMan->Count() - 1) {
        OpenPackageMember(g_.ZipMan->CurrentIndex() + 1);
    } else if (!g_.LibraryReady) {
        if (g_.Player) g_.Player->NextTrack();
    } else if (TAlbum *album = Album()) {
        // A title picked in the list but not yet opened is where Next goes.
        if (album->CurrentTitle == g_.LoadedTitleSource) album->CurrentTitle = album->NextTitle();
        SelectTitle(album->CurrentTitle);
    }
    UpdateStoppedAtEnd();
    return stoppedAtEnd_;
}

void TTransport::Rewind()
{
    CancelPendingMove();
    if (g_.Player && g_.Player->Opened()) g_.Player->Seek(0);
}

void TTransport::StartSeek(TSeekDirection direction, int interval)
{
    CancelPendingMove();
    seekDirection_ = direction;
    seekInterval_ = interval;
    SeekStep(direction);
}

void TTransport::EndSeek()
{
    seekTimer_->Stop();
    seekDirection_ = TSeekDirection::None;
    seekInterval_ = -1;
}

void TTransport::StartFastBackward()
{
    StartSeek(TSeekDirection::Backward, g_.FBInt);
}

void TTransport::StopFastBackward()
{
    EndSeek();
}

void TTransport::StartFastForward()
{
    StartSeek(TSeekDirection::Forward, g_.FFInt);
}

void TTransport::StopFastForward()
{
    EndSeek();
}

void TTransport::SeekStep(TSeekDirection direction)
{
    if (direction == TSeekDirection::None || !g_.Player || !g_.Player->Opened()) return;
    const std::int64_t position = g_.Player->GetPosition();
    std::int64_t target = 0;
    int decrement = 0;
    if (direction == TSeekDirection::Backward) {
        target = position <= g_.FBSkip ? 0 : position - g_.FBSkip;
        decrement = g_.FBDec;
    } else {
        const std::int64_t length = g_.Player->GetLength();
        target = position + g_.FFSkip >= length ? length : position + g_.FFSkip;
        decrement = g_.FFDec;
    }
    g_.Player->Seek(std::uint32_t(target));
    if (Seeking()) {
        // The repeat interval shrinks by the decrement while the decrement is smaller than it.
        if (decrement < seekInterval_) seekInterval_ -= decrement;
        seekTimer_->Start(seekInterval_);
    }
    UpdateDisplay();
}

// ---- Titles in the player ----

void TTransport::SelectTitle(TTitle *title)
{
    CancelPendingMove();
    if (g_.Player && g_.Player->Opened() && g_.Player->GetMode() == MCI_MODE_PLAY)
        OpenAndPlay(title);
    else
        OpenTitle(title);
}

void TTransport::OpenAndPlay(TTitle *title)
{
    OpenTitle(title);
    TAlbum *album = Album();
    if ((album ? album->CurrentTitle : nullptr) == g_.LoadedTitleSource) Play();
}

void TTransport::OpenTitle(TTitle *title)
{
    TSonoricPlayer *player = g_.Player;
    if (!title) {
        if (player && player->Opened()) {
            player->Close();
            player->SetFilename(QString());
        }
        return;
    }
    const bool somethingOpen = (player && player->Opened()) || g_.LoadedTitle;
    // A track of the device already open is a track change, not a new medium.
    const bool sameDevice =
        somethingOpen && title->FileName.isEmpty() && g_.LoadedTitle && player &&
        player->Opened() && player->HasTracks() &&
        title->DeviceName.compare(g_.LoadedTitle->DeviceName, Qt::CaseInsensitive) == 0;
    if (!sameDevice) {
        if (somethingOpen) CloseTitle();
        try {
            OpenTitleFile(*title);
        } catch (...) {
            failedTitle_ = title;
            throw;
        }
    }
    failedTitle_ = nullptr;
    if (title->Track >= 1 && player) player->SetTrack(title->Track);
    g_.LoadedTitleCopy = *title;
    g_.LoadedTitle = &g_.LoadedTitleCopy;
    g_.LoadedTitleSource = title;
    UpdateControls();
    UpdateDisplay();
}

void TTransport::OpenTitleFile(const TTitle &title)
{
    // A relative name (the shipped albums hold them) is taken from the program folder.
    const QString path = g_.TitleFilePath(title.FileName);
    if (!IsZipFile(path)) {
        TSPDeviceInfo *device = nullptr;
        if (!title.DeviceName.isEmpty() && g_.Player)
            device = g_.Player->FindDeviceByName(title.DeviceName);
        OpenFile(path, device ? device : &AnyDeviceInfo);
        return;
    }
    g_.ZipMode = true;
    RequestPackageMember(path, 0, false);
}

void TTransport::OpenFile(const QString &fileName, TSPDeviceInfo *device)
{
    if (!g_.Player) return;
    TSonoricPlayer::ResetDeviceInfo(device);
    g_.Player->SetFilename(fileName);
    g_.Player->SetDevice(device);
    g_.Player->Open();
}

void TTransport::CloseTitle()
{
    CancelPendingMove();
    if (g_.Player && g_.Player->Opened()) g_.Player->Close();
    g_.LoadedTitle = nullptr;
    g_.LoadedTitleSource = nullptr;
    if (g_.ZipMode) {
        g_.ZipMan->ClosePackage();
        g_.ZipMode = false;
    }
    packagePlay_ = false;
    UpdateControls();
}

// ---- Package titles ----

void TTransport::RequestPackageMember(const QString &path, int index, bool play)
{
    packagePlay_ = play;
    g_.ZipMan->Prepare(path, index, this, [this](bool unpacked) { PackageMemberReady(unpacked); });
}

bool TTransport::PackagePending() const
{
    return g_.ZipMode && g_.ZipMan->Busy();
}

bool TTransport::PackageKeepsPlaying() const
{
    TSonoricPlayer *player = g_.Player;
    return packagePlay_ || (player && player->Opened() && player->GetMode() == MCI_MODE_PLAY);
}

void TTransport::PackageMemberReady(bool unpacked)
{
    const bool play = std::exchange(packagePlay_, false);
    if (unpacked) {
        try {
            OpenFile(g_.ZipMan->CurrentFile(), &AnyDeviceInfo);
            if (play && g_.Player && g_.Player->Opened()) g_.Player->Play();
            if (play) packageFailures_ = 0;
        } catch (const std::exception &) {
            unpacked = false; // a member the player cannot open fails the package
        }
    }
    if (!unpacked) {
        PackageFailed(play);
        return;
    }
    UpdateStoppedAtEnd();
    UpdateControls();
    UpdateDisplay();
}

void TTransport::PackageFailed(bool play)
{
    const QString name = g_.LoadedTitle ? g_.LoadedTitle->FileName : g_.ZipMan->Package();
    TTitle *failed = const_cast<TTitle *>(g_.LoadedTitleSource);
    CloseTitle();
    failedTitle_ = failed;
    UpdateStoppedAtEnd();
    const QString text =
        FormatMessageText(GetMessageText(QStringLiteral("ErrFileError")), {name});
    TAlbum *album = Album();
    const TProgram *program = CurrentProgram();
    const int titles = program ? int(program->Titles.size()) : 0;
    if (!play || !album || !g_.LibraryReady) {
        ReportFailure(text);
        return;
    }
    if (++packageFailures_ < titles) {
        // Moved on first, so the jukebox plays on while the message shows.
        if (failed) album->CurrentTitle = failed;
        TTitle *next = album->NextTitle();
        PlayOnward(next);
        ReportFailure(text);
        return;
    }
    // No title of a whole pass could be played: play stops, and a close that waits for the
    // end of play goes ahead.
    packageFailures_ = 0;
    ReportFailure(text);
    if (g_.CloseRequested) {
        g_.CloseRequested = false;
        emit closeRequested();
    }
}

void TTransport::PlayFromCurrentTitle()
{
    CancelPendingMove();
    TAlbum *album = Album();
    TTitle *title = album ? album->CurrentTitle : nullptr;
    if (title && title == g_.LoadedTitleSource && g_.Player && g_.Player->Opened()) {
        try {
            Play();
        } catch (const std::exception &e) {
            ReportFailure(FailureText(e));
        }
        return;
    }
    PlayOnward(title);
}

// ---- End of title ----

void TTransport::CheckEndOfTitle()
{
    TSonoricPlayer *player = g_.Player;
    // A title the user stopped in the middle does not count; StoppedAtEnd keeps one end from
    // being taken twice.
    try {
        // A member that ends while the next one unpacks has been moved on from.
        if (player && player->Opened() && !stoppedAtEnd_ && !PackagePending() &&
            player->GetMode() == MCI_MODE_STOP && player->GetPosition() >= player->GetLength()) {
            stoppedAtEnd_ = true;
            if (g_.PauseDelay > 0)
                StartPause();
            else
                FinishEndOfTitle();
        }
    } catch (const std::exception &e) {
        ReportFailure(FailureText(e));
    }
    emit endChecked();
}

void TTransport::StartPause()
{
    g_.Sleeping = true;
    UpdateDisplay();
    UpdateControls();
    pauseTimer_->Start(g_.PauseDelay);
}

bool TTransport::MovePending() const
{
    return pauseTimer_->IsActive();
}

void TTransport::CancelPendingMove()
{
    if (!pauseTimer_->IsActive()) return;
    pauseTimer_->Stop();
    g_.Sleeping = false;
    UpdateDisplay();
}

void TTransport::RegenerateAtEndOfPass()
{
    TAlbum *album = Album();
    TProgram *program = CurrentProgram();
    if (album && program && album->CurrentTitle && album->CurrentTitle == g_.LoadedTitleSource &&
        program->IndexOf(album->CurrentTitle) == qsizetype(program->Titles.size()) - 1) {
        // The end of a pass: the next pass gets a new shuffle order.
        album->RegenerateInternalPrograms();
        emit programsRegenerated();
    }
}

void TTransport::FinishEndOfTitle()
{
    RegenerateAtEndOfPass();
    if (g_.CloseRequested) {
        g_.CloseRequested = false;
        emit closeRequested();
        return;
    }
    PlayNextTitle();
}

void TTransport::PlayNextTitle()
{
    if (g_.ZipMode && g_.ZipMan->CurrentIndex() < g_.ZipMan->Count() - 1) {
        RequestPackageMember(g_.ZipMan->Package(), g_.ZipMan->CurrentIndex() + 1, true);
        return;
    }
    if (!g_.LibraryReady || !Album()) {
        try {
            if (Next()) Play();
        } catch (const std::exception &e) {
            ReportFailure(FailureText(e));
        }
        return;
    }
    TAlbum *album = Album();
    // A title picked in the list but not yet opened is where play goes on.
    TTitle *next = album->CurrentTitle;
    if (next == g_.LoadedTitleSource || (next && next == failedTitle_))
        next = album->NextTitle();
    PlayOnward(next);
}

void TTransport::PlayOnward(TTitle *title)
{
    TAlbum *album = Album();
    const TProgram *program = CurrentProgram();
    const int tries = program ? std::max<int>(1, int(program->Titles.size())) : 1;
    for (int i = 0; i < tries && album && title; ++i) {
        album->CurrentTitle = title;
        if (title != failedTitle_) {
            try {
                OpenAndPlay(title);
                // A package title answers later, when its member is unpacked.
                if (PackagePending()) return;
                if (!PlayerStopped()) {
                    packageFailures_ = 0;
                    UpdateStoppedAtEnd();
                    return;
                }
            } catch (const std::exception &e) {
                ReportFailure(FailureText(e));
            }
        }
        title = album->NextTitle();
    }
    // No title of a whole pass could be played: play stops here.
    UpdateStoppedAtEnd();
    UpdateControls();
    if (g_.CloseRequested && stoppedAtEnd_) {
        g_.CloseRequested = false;
        emit closeRequested();
    }
}

// ---- Typed title number ----

void TTransport::QuickNumberKey(QChar key)
{
    if (!g_.Player || !g_.Player->IsReady() || key < QLatin1Char('0') || key > QLatin1Char('9'))
        return;
    const TProgram *program = CurrentProgram();
    const QString digits = g_.QuickNumberDigits + key;
    // A digit that cannot give a valid number is ignored.
    if (QuickNumberPosition(program, digits) < 0) return;
    g_.QuickNumberDigits = digits;
    quickNumberTimer_->Start(g_.QuickNumber);
    UpdateDisplay();
    UpdateControls();
    if (digits.size() < QuickNumberWidth(Album()) &&
        QuickNumberPosition(program, digits + QLatin1Char('0')) >= 0)
        return; // one more digit could still give a valid number
    QuickNumberCommit();
    UpdateControls();
}

void TTransport::QuickNumberCommit()
{
    quickNumberTimer_->Stop();
    const TProgram *program = CurrentProgram();
    const int position = QuickNumberPosition(program, g_.QuickNumberDigits);
    g_.QuickNumberDigits.clear();
    if (position >= 0) {
        Album()->CurrentTitle = program->Titles[std::size_t(position)];
        SelectTitle(Album()->CurrentTitle);
    }
    UpdateControls();
}

void TTransport::CancelQuickNumber()
{
    quickNumberTimer_->Stop();
    g_.QuickNumberDigits.clear();
}
