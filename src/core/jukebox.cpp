#include "core/jukebox.h"

#include "core/displaytexts.h"
#include "core/stationkeys.h"
#include "core/stationlists.h"
#include "core/ticker.h"
#include "core/timersource.h"
#include "core/tonariaglobals.h"
#include "library/album.h"
#include "library/commatext.h"
#include "library/titlecaption.h"
#include "localisation/showmessage.h"
#include "platform/system/mciextensions.h"
#include "platform/system/messageservice.h"
#include "platform/system/registry.h"
#include "settings/filefilter.h"

#include <QCoreApplication>

#include <algorithm>
#include <exception>

namespace {

// What the plug-ins are told when an end-of-title check has run.
constexpr std::uint32_t kNotifyEndCheck = PI_NOTIFYENDCHECK;

std::size_t Slot(TStationAction action)
{
    return std::size_t(action);
}

// The window modes of the preferences "FormMode" and "FloatMode".
enum class TWindowMode { AsSaved = 0, Shown = 1, Hidden = 2 };

// Whether a window is shown at start-up: as its mode says, or as it was saved.
bool ShownAtStartUp(int mode, bool saved)
{
    switch (TWindowMode(mode)) {
    case TWindowMode::Shown:
        return true;
    case TWindowMode::Hidden:
        return false;
    case TWindowMode::AsSaved:
        break;
    }
    return saved;
}

} // namespace

TJukebox::TJukebox(const QString &executablePath, int colourDepth, TTimerSource *timers)
{
    TTimerSource &source = timers ? *timers : SystemTimerSource();
    timers_ = &source;
    globals_ = std::make_unique<TTonariaGlobals>(executablePath, colourDepth, &source);
    helpFile_ = globals_->ExeFolder + QStringLiteral("Help/index.html");
    texts_ = std::make_unique<TDisplayTexts>(*globals_, spStation);
    texts_->SetStation(this);
    lists_ = std::make_unique<TStationLists>(*globals_, *this);
    pluginHost_ = std::make_unique<TPIHost>(static_cast<TPIHostSite &>(*this));
    keys_ = std::make_unique<TStationKeys>(*globals_, *this);
    ticker_ = std::make_unique<TTicker>(source);
    lyricTimer_ = source.CreateTimer();
    enabled_.fill(true);
    for (auto &waiting : waiting_)
        waiting = false;
    ConnectParts();
}

void TJukebox::ConnectParts()
{
    TTonariaGlobals &g = *globals_;
    g.OnUpdateControls = [this] { UpdateControls(); };
    g.OnUpdateDisplay = [this] { RefreshDisplay(); };
    g.OnAlbumLoaded = [this](TAlbum &album) { AlbumLoaded(album); };
    TTransport &transport = g.Transport();
    connect(&transport, &TTransport::closeRequested, this, [this] { RequestClose(); });
    connect(&transport, &TTransport::programsRegenerated, this, &TJukebox::programsRegenerated);
    connect(&transport, &TTransport::endChecked, this,
            [this] { emit pluginNotification(kNotifyEndCheck); });
    connect(&transport, &TTransport::titleFailed, this, &TJukebox::ShowFailure);
    connect(texts_.get(), &TDisplayTexts::notified, this, &TJukebox::pluginNotification);
    connect(&mmStation, &TRecentFiles::changed, this, &TJukebox::recentFilesChanged);
    connect(ticker_.get(), &TTicker::displayDue, this, &TJukebox::RefreshDisplay);
    connect(lyricTimer_.get(), &TTimer::timeout, this, &TJukebox::RefreshDisplay);
    connect(ticker_.get(), &TTicker::endCheckDue, this, &TJukebox::RunEndCheck);
    connect(ticker_.get(), &TTicker::meterDue, this, [this] {
        texts_->UpdatePeakMeter();
        emit peakMeterChanged();
    });
    connect(ticker_.get(), &TTicker::animationDue, this, [this] {
        texts_->UpdateAnimation();
        emit animationStepped();
    });
    // A title that has played to its end is taken at once, not at the next refresh.
    spStation.OnPlayStopped = [this](TSonoricPlayer *) { Post(TStationCommand::EndCheck); };
    spStation.OnNotify = [this](TSonoricPlayer *) { RefreshActivity(); };
    ConnectPluginHost();
}

void TJukebox::ConnectPluginHost()
{
    connect(this, &TJukebox::pluginNotification, this,
            [this](std::uint32_t code) { pluginHost_->Notify(code); });
    spStation.OnDeviceCount = [this](TSonoricPlayer *, std::int32_t &count) {
        count = pluginHost_->DeviceCount();
    };
    spStation.OnDeviceMessage = [this](TSonoricPlayer *, std::int32_t id, std::uint32_t command,
                                       std::uint32_t flags, std::uintptr_t params,
                                       std::int32_t &result) {
        result = pluginHost_->DeviceMessage(id, command, flags, params);
    };
    spStation.OnDeviceSupportFile = [this](TSonoricPlayer *, std::int32_t id,
                                           const QString &fileName, bool &supports) {
        if (ExtensionListSupports(pluginHost_->DeviceExtensions(id), fileName)) supports = true;
    };
}

TJukebox::~TJukebox()
{
    // The listeners may be gone already; the shut-down's saves are no news to them.
    blockSignals(true);
    TTonariaGlobals &g = *globals_;
    if (!closed_) {
        // Destroyed without a close (a test, or a failed start): the same clean-up.
        g.ShuttingDown = true;
        g.Transport().CancelPendingMove();
        ticker_->Terminate();
        spStation.Close();
    }
    g.SavePreferences();
    pluginHost_->Shutdown();
    g.SetCurrentAlbum(nullptr);
    {
        TRegistry registry(g.RegistryStore());
        QString error;
        if (!mmStation.Save(registry) || !registry.Flush(&error))
            ShowMessageText(error.isEmpty() ? QStringLiteral("Cannot save the recent files.")
                                            : error,
                            MB_ICONERROR);
    }
    spStation.OnNotify = nullptr;
    spStation.OnPlayStopped = nullptr;
    spStation.OnDeviceCount = nullptr;
    spStation.OnDeviceMessage = nullptr;
    spStation.OnDeviceSupportFile = nullptr;
    g.Mixer = nullptr;
    mixer_.Close();
    g.Player = nullptr;
    g.OnUpdateControls = nullptr;
    g.OnUpdateDisplay = nullptr;
    g.OnAlbumLoaded = nullptr;
    lyricTimer_.reset();
    ticker_.reset();
    keys_.reset();
    lists_.reset();
    texts_.reset();
    // The plug-in lists go with the global state.
    pluginHost_->Finalize();
    globals_.reset();
}

TTransport &TJukebox::Transport() const
{
    return globals_->Transport();
}

void TJukebox::Status(const QString &text)
{
    emit statusChanged(text);
}

// ---- Start-up ----

void TJukebox::StartUp(const TCommandLine &commandLine)
{
    TTonariaGlobals &g = *globals_;
    // The player is known first, so that applying the preferences reaches its reset file.
    Status(QStringLiteral("Reading registry configuration..."));
    g.LoadPreferences();
    {
        TRegistry registry(g.RegistryStore());
        mmStation.Load(registry);
    }
    g.Player = &spStation;
    ApplyPreferences();

    Status(QStringLiteral("Analyzing available multimedia devices..."));
    spStation.AnalyzeMCIDevices();

    Status(QStringLiteral("Loading plug-ins..."));
    pluginHost_->Load(g.PluginList, spStation.MCIDeviceCount());
    spStation.AnalyzePluginDevices();
    emit devicesAnalysed();

    Status(QStringLiteral("Initializing peak meter..."));
    mixer_.Open();
    g.Mixer = &mixer_;

    StartUpAlbums(commandLine);

    // The open dialog's filter; the extension table is read this once.
    QList<TFilterDevice> devices;
    for (const auto &device : spStation.Devices())
        devices.append(TFilterDevice{device->Name, device->Description, std::nullopt});
    fileFilter_ = BuildFileFilter(devices, ReadMciExtensions(g.ExeFolder));
}

void TJukebox::StartUpAlbums(const TCommandLine &commandLine)
{
    TTonariaGlobals &g = *globals_;
    Status(QStringLiteral("Reading album names..."));
    g.LoadAlbumList();

    Status(QStringLiteral("Loading album..."));
    ChooseStartAlbum();
    EmptySystemAlbum();
    if (commandLine.hasArguments && g.SystemAlbum) g.CurrentAlbum = g.SystemAlbum;
    if (g.CurrentAlbum) g.AlbumFile().Load(*g.CurrentAlbum);
    if (commandLine.hasArguments && g.CurrentAlbum) TakeCommandLineFiles(commandLine);
}

void TJukebox::ChooseStartAlbum()
{
    TTonariaGlobals &g = *globals_;
    g.CurrentAlbum = nullptr;
    if (!g.Albums.empty()) {
        const int last = int(g.Albums.size()) - 1;
        g.CurrentAlbum = g.Albums[std::size_t(std::clamp(g.CurAlbum, 0, last))].get();
    }
    g.LibraryReady = true;
}

void TJukebox::EmptySystemAlbum()
{
    // The system album starts every run empty.
    TTonariaGlobals &g = *globals_;
    if (!g.SystemAlbum) return;
    g.SystemAlbum->ClearLinks();
    g.AlbumFile().Save(*g.SystemAlbum);
}

void TJukebox::TakeCommandLineFiles(const TCommandLine &commandLine)
{
    TTonariaGlobals &g = *globals_;
    TAlbum &album = *g.CurrentAlbum;
    album.ClearLinks();
    for (const TCommandLineItem &item : commandLine.items) {
        if (item.kind == TCommandLineItem::Play) {
            g.PlayRequested = true;
        } else if (item.kind == TCommandLineItem::Close) {
            g.CloseRequested = true;
        } else {
            TTitle *title = album.AddTitle();
            title->FileName = item.fileName;
            title->Caption = MakeTitleCaption(item.fileName, true);
            if (album.CurrentProgram) album.CurrentProgram->Titles.push_back(title);
        }
    }
    album.RefreshInternalPrograms();
    FillTitles();
    if (album.CurrentProgram && !album.CurrentProgram->Titles.empty()) {
        album.CurrentTitle = album.CurrentProgram->Titles.front();
        Guard([&] { g.Transport().SelectTitle(album.CurrentTitle); });
    }
}

void TJukebox::AlbumLoaded(TAlbum &album)
{
    TTonariaGlobals &g = *globals_;
    emit albumLoaded(&album);
    FillTitles();
    // The album's current title is opened, so that Play plays it.
    if (!g.LoadedTitle && &album == g.CurrentAlbum && album.CurrentTitle && !g.ShuttingDown)
        Guard([&] { g.Transport().SelectTitle(album.CurrentTitle); });
}

void TJukebox::FillTitles()
{
    lists_->FillTitlesList();
    emit titlesChanged();
}

void TJukebox::FinishStartUp()
{
    TTonariaGlobals &g = *globals_;
    if (!g.StartingUp) return;
    const bool cloaked = !ShownAtStartUp(g.FormMode, !g.PrefCloaked);
    g.FloatShow = ShownAtStartUp(g.FloatMode, g.FloatShow);
    emit started();
    SetCloaked(cloaked);
    g.StartingUp = false;
    RefreshTickerSchedule();
    ticker_->Resume();
    UpdateControls();
    PlayIfRequested();
}

void TJukebox::PlayIfRequested()
{
    TTonariaGlobals &g = *globals_;
    if (!g.PlayRequested) return;
    g.PlayRequested = false;
    // During the pause between titles the next title is on its way already.
    if (g.Sleeping) return;
    bool stopped = !spStation.Opened();
    if (!stopped) {
        try {
            stopped = spStation.GetMode() == MCI_MODE_STOP;
        } catch (const std::exception &) {
            stopped = true;
        }
    }
    if (stopped) g.Transport().PlayFromCurrentTitle();
}

void TJukebox::ApplyPreferences()
{
    globals_->ApplyPreferences();
    globals_->UIMan.LoadChosenTheme(globals_->ThemeName, globals_->ThemesFolder);
    RefreshTickerSchedule();
    emit preferencesApplied();
    UpdateControls();
}

void TJukebox::RefreshTickerSchedule()
{
    ticker_->SetMeter(globals_->APMActive, globals_->APMInterval);
    ticker_->SetAnimation(globals_->DisplayFlag);
}

void TJukebox::RefreshDisplay()
{
    texts_->UpdateDisplay();
    const int delay = texts_->NextLyricDelay();
    if (delay >= 0 && !closed_)
        lyricTimer_->Start(std::max(delay, 1));
    else
        lyricTimer_->Stop();
    emit displayChanged();
}

void TJukebox::SetCloaked(bool cloaked)
{
    TTonariaGlobals &g = *globals_;
    g.Cloaked = cloaked;
    if (!g.ShuttingDown) g.PrefCloaked = cloaked;
    emit cloakedChanged(cloaked);
}

// ---- Closing ----

void TJukebox::Exit()
{
    if (globals_->StartingUp || globals_->ShuttingDown) return;
    RequestClose();
}

bool TJukebox::CloseQuery()
{
    if (CloseAllowed && !CloseAllowed()) return false;
    TTonariaGlobals &g = *globals_;
    g.ShuttingDown = true;
    emit shuttingDown();
    g.Transport().CancelPendingMove();
    ticker_->Terminate();
    lyricTimer_->Stop();
    spStation.Close();
    return true;
}

bool TJukebox::RequestClose()
{
    if (closed_) return true;
    if (!CloseQuery()) return false;
    closed_ = true;
    emit closing();
    QCoreApplication::exit(0);
    return true;
}

// ---- Commands ----

void TJukebox::Guard(const std::function<void()> &command)
{
    try {
        command();
    } catch (const ESonoricPlayerException &e) {
        ShowFailure(e.Message());
    } catch (const std::exception &e) {
        ShowFailure(QString::fromUtf8(e.what()));
    }
}

void TJukebox::ShowFailure(const QString &text)
{
    ShowMessageText(text, MB_ICONERROR);
    emit failureShown(text);
}

void TJukebox::TransportCommand(const std::function<void()> &command)
{
    // The user's own command takes over from a close asked for earlier.
    globals_->CloseRequested = false;
    Guard(command);
}

void TJukebox::SeekOnce(TSeekDirection direction)
{
    TransportCommand([this, direction] {
        TTransport &t = Transport();
        if (t.Seeking()) return;
        if (direction == TSeekDirection::Backward) {
            t.StartFastBackward();
            t.StopFastBackward();
        } else {
            t.StartFastForward();
            t.StopFastForward();
        }
    });
}

void TJukebox::SeekButtonDown(TSeekDirection direction)
{
    TransportCommand([this, direction] {
        if (direction == TSeekDirection::Backward)
            Transport().StartFastBackward();
        else if (direction == TSeekDirection::Forward)
            Transport().StartFastForward();
    });
}

void TJukebox::SeekButtonUp(TSeekDirection direction)
{
    if (direction == TSeekDirection::Backward)
        Transport().StopFastBackward();
    else if (direction == TSeekDirection::Forward)
        Transport().StopFastForward();
}

void TJukebox::ExecuteAction(TStationAction action)
{
    if (!ActionEnabled(action)) return;
    TTransport &t = Transport();
    switch (action) {
    case TStationAction::aPlay:
        TransportCommand([&t] { t.Play(); });
        break;
    case TStationAction::aPlayPause:
        TransportCommand([&t] { t.Pause(); });
        break;
    case TStationAction::aPlayStop:
        TransportCommand([&t] { t.Stop(); });
        break;
    case TStationAction::aPlayPrev:
        TransportCommand([&t] { t.Previous(); });
        break;
    case TStationAction::aPlayRew:
        TransportCommand([&t] { t.Rewind(); });
        break;
    case TStationAction::aPlayNext:
        TransportCommand([&t] { t.Next(); });
        break;
    case TStationAction::aPlayFB:
        SeekOnce(TSeekDirection::Backward);
        break;
    case TStationAction::aPlayFF:
        SeekOnce(TSeekDirection::Forward);
        break;
    case TStationAction::aEditAlbums:
    case TStationAction::aEditPrograms:
    case TStationAction::aEditTitles:
    case TStationAction::aMiscPref:
    case TStationAction::aHelpTopics:
        emit actionRequested(action);
        break;
    }
    RefreshActivity();
}

bool TJukebox::ActionEnabled(TStationAction action) const
{
    return enabled_[Slot(action)];
}

QString TJukebox::ActionHint(TStationAction action) const
{
    return hints_[Slot(action)];
}

void TJukebox::SelectTitle(TTitle *title)
{
    Guard([&] { Transport().SelectTitle(title); });
}

void TJukebox::QuickNumberKey(QChar digit)
{
    Guard([&] { Transport().QuickNumberKey(digit); });
}

void TJukebox::ClosePopup(TStationList list)
{
    emit popupCloseRequested(list);
}

void TJukebox::SetMovingContentsShown(bool shown)
{
    movingShown_ = shown;
    RefreshActivity();
}

void TJukebox::UpdateControls()
{
    if (!globals_) return;
    texts_->UpdateControls();
    RefreshActivity();
    emit controlsChanged();
}

void TJukebox::RefreshActivity()
{
    bool playing = false;
    if (spStation.Opened()) {
        try {
            playing = spStation.GetMode() == MCI_MODE_PLAY;
        } catch (const std::exception &) {
            playing = false;
        }
    }
    ticker_->SetActivity(playing || Transport().Seeking(), movingShown_);
}

// ---- Deferred commands ----

void TJukebox::Post(TStationCommand command)
{
    const std::size_t kind = std::size_t(command);
    if (waiting_[kind].exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this, command, kind] {
            waiting_[kind] = false;
            RunCommand(command);
        },
        Qt::QueuedConnection);
}

void TJukebox::RunCommand(TStationCommand command)
{
    switch (command) {
    case TStationCommand::PeakMeter:
        texts_->UpdatePeakMeter();
        emit peakMeterChanged();
        break;
    case TStationCommand::Display:
        RefreshDisplay();
        break;
    case TStationCommand::CloseDisplay:
        SetCloaked(true);
        emit closeDisplayRequested();
        break;
    case TStationCommand::Animation:
        texts_->UpdateAnimation();
        emit animationStepped();
        break;
    case TStationCommand::EndCheck:
        RunEndCheck();
        break;
    case TStationCommand::Controls:
        UpdateControls();
        break;
    }
}

void TJukebox::RunEndCheck()
{
    if (closed_) return;
    Transport().CheckEndOfTitle();
    RefreshActivity();
}

// ---- What the plug-in host asks ----

void TJukebox::RunPluginAction(TPIHostAction action)
{
    switch (action) {
    case TPIHostAction::UpdateControls:
        RunCommand(TStationCommand::Controls);
        break;
    case TPIHostAction::UpdateDisplay:
        RunCommand(TStationCommand::Display);
        break;
    case TPIHostAction::Animate:
        RunCommand(TStationCommand::Animation);
        break;
    case TPIHostAction::PeakTick:
        RunCommand(TStationCommand::PeakMeter);
        break;
    case TPIHostAction::CheckEnd:
        RunCommand(TStationCommand::EndCheck);
        break;
    }
}

QString TJukebox::PluginLoadedFile()
{
    const TTitle *title = globals_->LoadedTitle;
    return title ? title->FileName : QString();
}

std::int64_t TJukebox::PluginPosition()
{
    if (!spStation.Opened()) return 0;
    try {
        return spStation.GetPosition();
    } catch (const std::exception &) {
        return 0;
    }
}

std::int64_t TJukebox::PluginLength()
{
    if (!spStation.Opened()) return 0;
    try {
        return spStation.GetLength();
    } catch (const std::exception &) {
        return 0;
    }
}

TPIPlayState TJukebox::PluginPlayState()
{
    if (!spStation.Opened()) return TPIPlayState::Closed;
    try {
        switch (spStation.GetMode()) {
        case MCI_MODE_PLAY:
            return TPIPlayState::Playing;
        case MCI_MODE_PAUSE:
            return TPIPlayState::Paused;
        default:
            return TPIPlayState::Stopped;
        }
    } catch (const std::exception &) {
        return TPIPlayState::Stopped;
    }
}

// ---- Files ----

void TJukebox::OpenFiles(const QString &text, TSPDeviceInfo *device)
{
    TTonariaGlobals &g = *globals_;
    const QString list = text.trimmed();
    const bool anyDevice = !device || device->IsAny;
    for (const QString &name : SplitCommaText(list))
        mmStation.Add(name, anyDevice ? -1 : device->Identifier);
    if (!g.SystemAlbum) return;
    g.SetCurrentAlbum(g.SystemAlbum);
    TAlbum &album = *g.SystemAlbum;
    album.ClearLinks();
    TAddFilesDevice bound;
    if (!anyDevice) bound = TAddFilesDevice{device->Name, device->Description};
    album.AddFiles(list, anyDevice ? nullptr : &bound);
    album.CurrentTitle = album.Titles.empty() ? nullptr : album.Titles.front();
    if (album.CurrentTitle) Guard([&] { g.Transport().SelectTitle(album.CurrentTitle); });
    FillTitles();
}

void TJukebox::OpenRecent(int index)
{
    const auto &items = mmStation.Items();
    if (index < 0 || index >= int(items.size())) return;
    QString text = items[std::size_t(index)].Name;
    if (!text.startsWith(QLatin1Char('"'))) text.prepend(QLatin1Char('"'));
    if (!text.endsWith(QLatin1Char('"')) || text.size() == 1) text.append(QLatin1Char('"'));
    OpenFiles(text, &AnyDeviceInfo);
}

void TJukebox::DropFiles(const QStringList &paths)
{
    TTonariaGlobals &g = *globals_;
    TAlbum *album = g.CurrentAlbum;
    if (!album || album->AlbumType != 0) return;
    TProgram *program = album->CurrentProgram;
    for (const QString &path : paths) {
        if (path.isEmpty()) continue;
        TTitle *title = album->AddTitle();
        title->FileName = path;
        title->Caption = MakeTitleCaption(path, true);
        if (program && program->ProgramType == ptCustom) program->Titles.push_back(title);
    }
    album->RefreshInternalPrograms();
    FillTitles();
    if (!album->CurrentTitle && !g.LoadedTitle && program && !program->Titles.empty()) {
        // The title given to the player is the album's current one, so that Play plays it.
        album->CurrentTitle = program->Titles.front();
        Guard([&] { g.Transport().SelectTitle(album->CurrentTitle); });
    }
}

// ---- Hand-off ----

void TJukebox::RunHandoff(std::function<void()> step)
{
    // The second start is answered first; albums and titles are touched from the event loop.
    handoffSteps_.push_back(std::move(step));
    if (handoffSteps_.size() > 1) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            while (!handoffSteps_.empty()) {
                const std::function<void()> next = std::move(handoffSteps_.front());
                handoffSteps_.pop_front();
                if (!closed_) next();
            }
        },
        Qt::QueuedConnection);
}

void TJukebox::handoffAddFile(const QString &fileName)
{
    RunHandoff([this, fileName] {
        TTonariaGlobals &g = *globals_;
        if (!g.SystemAlbum) return;
        if (g.CurrentAlbum != g.SystemAlbum) g.SetCurrentAlbum(g.SystemAlbum);
        TAlbum &album = *g.CurrentAlbum;
        TTitle *title = album.AddTitle();
        title->FileName = fileName;
        title->Caption = MakeTitleCaption(fileName, true);
        if (album.CurrentProgram) album.CurrentProgram->Titles.push_back(title);
    });
}

void TJukebox::handoffCommit()
{
    RunHandoff([this] { CommitHandoff(); });
}

void TJukebox::CommitHandoff()
{
    TTonariaGlobals &g = *globals_;
    if (TAlbum *album = g.CurrentAlbum) {
        album->RefreshInternalPrograms();
        FillTitles();
        TProgram *program = album->CurrentProgram;
        if (!g.LoadedTitle && program && !program->Titles.empty()) {
            album->CurrentTitle = program->Titles.front();
            Guard([&] { g.Transport().SelectTitle(album->CurrentTitle); });
        }
    }
    PlayIfRequested();
}

void TJukebox::setPlayRequested()
{
    RunHandoff([this] { globals_->PlayRequested = true; });
}

void TJukebox::setCloseRequested()
{
    RunHandoff([this] { globals_->CloseRequested = true; });
}

// ---- What the display texts write ----

void TJukebox::SetApplicationTitle(const QString &title)
{
    if (title == applicationTitle_) return;
    applicationTitle_ = title;
    emit applicationTitleChanged(title);
}

void TJukebox::SetTrayHint(const QString &hint)
{
    if (hint == trayHint_) return;
    trayHint_ = hint;
    emit trayHintChanged(hint);
}

void TJukebox::SetActionHint(TStationAction action, const QString &hint)
{
    if (hints_[Slot(action)] == hint) return;
    hints_[Slot(action)] = hint;
    emit actionChanged(action);
}

void TJukebox::SetActionEnabled(TStationAction action, bool enabled)
{
    if (enabled_[Slot(action)] == enabled) return;
    enabled_[Slot(action)] = enabled;
    emit actionChanged(action);
}

bool ExtensionListSupports(const QString &extensionList, const QString &fileName)
{
    const qsizetype separator = std::max(
        fileName.lastIndexOf(QLatin1Char('/')),
        std::max(fileName.lastIndexOf(QLatin1Char('\\')), fileName.lastIndexOf(QLatin1Char(':'))));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= separator) return false;
    const QString extension = fileName.mid(dot).toLower();
    if (extension.size() <= 2) return false;
    const QStringList supported = SplitCommaText(extensionList);
    return supported.contains(extension.mid(1), Qt::CaseInsensitive);
}
