#include "core/transport.h"

#include "core/quicknumber.h"
#include "core/tonariaglobals.h"
#include "library/album.h"
#include "library/program.h"
#include "library/title.h"
#include "localisation/showmessage.h"
#include "packages/zipman.h"
#include "platform/system/messageservice.h"
#include "playback/sonoricplayer.h"

#include <exception>
#include <utility>

namespace {

bool IsZipFile(const QString &fileName)
{
    return fileName.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive);
}

} // namespace

TTransport::TTransport(TTonariaGlobals &globals) : g_(globals)
{
    pauseTimer_.setSingleShot(true);
    connect(&pauseTimer_, &QTimer::timeout, this, [this] {
        g_.Sleeping = false;
        try {
            FinishEndOfTitle();
        } catch (const std::exception &e) {
            g_.UpdateDisplay();
            if (OnMoveFailed) OnMoveFailed(QString::fromUtf8(e.what()));
        }
    });
}

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
    if (!g_.Player) return true;
    const std::uint32_t mode = g_.Player->GetMode();
    return mode == MCI_MODE_NOT_READY || mode == MCI_MODE_STOP;
}

void TTransport::UpdateStoppedAtEnd()
{
    g_.StoppedAtEnd = PlayerStopped();
}

// ---- The user's commands ----

void TTransport::Play()
{
    CancelPendingMove();
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
    g_.UpdateControls();
}

void TTransport::Pause()
{
    CancelPendingMove();
    packagePlay_ = false;
    if (g_.Player) {
        g_.Player->PlayPause();
        UpdateStoppedAtEnd();
    }
    g_.UpdateControls();
}

void TTransport::Stop()
{
    CancelPendingMove();
    packagePlay_ = false;
    if (g_.Player) {
        g_.Player->Stop();
        UpdateStoppedAtEnd();
    }
    g_.UpdateControls();
}

void TTransport::Previous()
{
    CancelPendingMove();
    if (g_.ZipMode && g_.ZipMan->CurrentIndex() > 0) {
        RequestPackageMember(g_.ZipMan->Package(), g_.ZipMan->CurrentIndex() - 1,
                             PackageKeepsPlaying());
    } else if (!g_.LibraryReady) {
        if (g_.Player) g_.Player->PrevTrack();
    } else if (TAlbum *album = Album()) {
        album->CurrentTitle = album->PreviousTitle();
        SelectTitle(album->CurrentTitle);
    }
    UpdateStoppedAtEnd();
}

bool TTransport::Next()
{
    CancelPendingMove();
    if (g_.ZipMode && g_.ZipMan->CurrentIndex() < g_.ZipMan->Count() - 1) {
        RequestPackageMember(g_.ZipMan->Package(), g_.ZipMan->CurrentIndex() + 1,
                             PackageKeepsPlaying());
    } else if (!g_.LibraryReady) {
        if (g_.Player) g_.Player->NextTrack();
    } else if (TAlbum *album = Album()) {
        // A title picked in the list but not yet opened is where Next goes.
        if (album->CurrentTitle == g_.LoadedTitleSource) album->CurrentTitle = album->NextTitle();
        SelectTitle(album->CurrentTitle);
    }
    UpdateStoppedAtEnd();
    return g_.StoppedAtEnd;
}

void TTransport::Rewind()
{
    CancelPendingMove();
    if (g_.Player && g_.Player->Opened()) g_.Player->Seek(0);
}

void TTransport::StartSeek(int direction, int interval)
{
    CancelPendingMove();
    g_.SeekCountdown = interval;
    g_.SeekDirection = std::uint8_t(direction);
    g_.SeekInterval = interval;
    g_.Seeking = true;
    SeekStep(direction);
}

void TTransport::EndSeek()
{
    g_.SeekCountdown = -1;
    g_.SeekDirection = 0;
    g_.SeekInterval = -1;
    g_.Seeking = false;
}

void TTransport::StartFastBackward()
{
    StartSeek(1, g_.FBInt);
}

void TTransport::StopFastBackward()
{
    EndSeek();
}

void TTransport::StartFastForward()
{
    StartSeek(2, g_.FFInt);
}

void TTransport::StopFastForward()
{
    EndSeek();
}

void TTransport::SeekStep(int direction)
{
    if (!g_.Player || !g_.Player->Opened()) return;
    const std::int64_t position = g_.Player->GetPosition();
    std::int64_t target = 0;
    int decrement = 0;
    if (direction == 1) {
        target = position <= g_.FBSkip ? 0 : position - g_.FBSkip;
        decrement = g_.FBDec;
    } else {
        const std::int64_t length = g_.Player->GetLength();
        target = position + g_.FFSkip >= length ? length : position + g_.FFSkip;
        decrement = g_.FFDec;
    }
    g_.Player->Seek(std::uint32_t(target));
    // The repeat interval shrinks by the decrement while the decrement is smaller than it.
    if (decrement < g_.SeekInterval) g_.SeekInterval = g_.SeekInterval - decrement;
    g_.SeekCountdown = g_.SeekInterval.load();
    g_.UpdateDisplay();
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
        OpenTitleFile(*title);
    }
    if (title->Track >= 1 && player) player->SetTrack(title->Track);
    g_.LoadedTitleCopy = *title;
    g_.LoadedTitle = &g_.LoadedTitleCopy;
    g_.LoadedTitleSource = title;
    g_.UpdateControls();
    g_.UpdateDisplay();
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
        packageFailures_ = 0;
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

void TTransport::OpenFileKeepPlaying(const QString &fileName, TSPDeviceInfo *device)
{
    TSonoricPlayer *player = g_.Player;
    const bool playing = player && player->Opened() && player->GetMode() == MCI_MODE_PLAY;
    OpenFile(fileName, device);
    if (playing && player->Opened()) player->Play();
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
    g_.UpdateControls();
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
            packageFailures_ = 0;
        } catch (const std::exception &) {
            unpacked = false; // a member the player cannot open fails the package
        }
    }
    if (!unpacked) {
        PackageFailed(play);
        return;
    }
    UpdateStoppedAtEnd();
    g_.UpdateControls();
    g_.UpdateDisplay();
}

void TTransport::PackageFailed(bool play)
{
    const QString name = g_.LoadedTitle ? g_.LoadedTitle->FileName : g_.ZipMan->Package();
    const TTitle *failed = g_.LoadedTitleSource;
    CloseTitle();
    UpdateStoppedAtEnd();
    TAlbum *album = Album();
    const TProgram *program = CurrentProgram();
    const int titles = program ? int(program->Titles.size()) : 0;
    QString moveError;
    bool passFailed = false;
    if (play && album && g_.LibraryReady && ++packageFailures_ < titles) {
        if (album->CurrentTitle == failed) album->CurrentTitle = album->NextTitle();
        try {
            OpenAndPlay(album->CurrentTitle);
        } catch (const std::exception &e) {
            moveError = QString::fromUtf8(e.what());
        }
    } else if (play) {
        packageFailures_ = 0;
        passFailed = true;
    }
    // Reported after the move, so the jukebox plays on while the message shows.
    ShowMessageById(QStringLiteral("ErrFileError"), {name}, MB_ICONERROR);
    if (!moveError.isEmpty() && OnMoveFailed) OnMoveFailed(moveError);
    // No title of a whole pass could be played: play stops, and a close that waits for the
    // end of play happens now.
    if (passFailed && g_.CloseRequested) {
        g_.CloseRequested = false;
        if (OnCloseRequest) OnCloseRequest();
    }
}

// ---- End of title ----

void TTransport::CheckEndOfTitle()
{
    TSonoricPlayer *player = g_.Player;
    // A title the user stopped in the middle does not count; StoppedAtEnd keeps one end from
    // being taken twice. A member that ends while the next one unpacks has been moved on from.
    if (player && player->Opened() && !g_.StoppedAtEnd && !PackagePending() &&
        player->GetMode() == MCI_MODE_STOP &&
        player->GetPosition() >= player->GetLength()) {
        g_.StoppedAtEnd = true;
        if (g_.PauseDelay > 0) {
            g_.Sleeping = true;
            g_.UpdateDisplay();
            pauseTimer_.start(g_.PauseDelay);
        } else {
            FinishEndOfTitle();
        }
    }
    if (OnEndCheck) OnEndCheck();
    g_.EndCheckPosted = true;
}

void TTransport::CancelPendingMove()
{
    if (!pauseTimer_.isActive()) return;
    pauseTimer_.stop();
    g_.Sleeping = false;
    g_.UpdateDisplay();
}

void TTransport::FinishEndOfTitle()
{
    TAlbum *album = Album();
    TProgram *program = CurrentProgram();
    if (album && program && album->CurrentTitle && album->CurrentTitle == g_.LoadedTitleSource &&
        program->IndexOf(album->CurrentTitle) == qsizetype(program->Titles.size()) - 1) {
        // The end of a pass: the next pass gets a new shuffle order.
        album->RegenerateInternalPrograms();
        if (OnProgramsRegenerated) OnProgramsRegenerated();
    }
    if (g_.CloseRequested) {
        g_.CloseRequested = false;
        if (OnCloseRequest) OnCloseRequest();
        return;
    }
    if (Next()) Play();
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
    g_.QuickNumberCountdown = g_.QuickNumber;
    g_.UpdateDisplay();
    g_.UpdateControls();
    if (digits.size() < QuickNumberWidth(Album()) &&
        QuickNumberPosition(program, digits + QLatin1Char('0')) >= 0)
        return; // one more digit could still give a valid number
    QuickNumberCommit();
    g_.UpdateControls();
}

void TTransport::QuickNumberCommit()
{
    g_.QuickNumberCountdown = -1;
    const TProgram *program = CurrentProgram();
    const int position = QuickNumberPosition(program, g_.QuickNumberDigits);
    g_.QuickNumberDigits.clear();
    if (position >= 0) {
        Album()->CurrentTitle = program->Titles[std::size_t(position)];
        SelectTitle(Album()->CurrentTitle);
    }
    g_.UpdateControls();
}
