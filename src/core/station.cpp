#include "core/station.h"

#include "core/displaysink.h"
#include "core/displaytexts.h"
#include "core/stationevents.h"
#include "core/stationkeys.h"
#include "core/stationlists.h"
#include "core/timerthread.h"
#include "core/tonariaglobals.h"
#include "library/album.h"
#include "library/commatext.h"
#include "library/titlecaption.h"
#include "localisation/messageformat.h"
#include "localisation/showmessage.h"
#include "platform/system/mciextensions.h"
#include "platform/system/messageservice.h"
#include "platform/system/registry.h"
#include "platform/ui/devicemenu.h"
#include "settings/filefilter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QUrl>

#include <algorithm>
#include <exception>

namespace {

// What the plug-ins are told when an end-of-title check has run.
constexpr std::uint32_t kNotifyEndCheck = PI_NOTIFYENDCHECK;

// An action with its caption and its hint.
QAction *MakeAction(QObject *owner, const QString &caption, const QString &hint)
{
    auto *action = new QAction(caption, owner);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    return action;
}

} // namespace

void TfStation::Guard(const std::function<void()> &command)
{
    try {
        command();
    } catch (const ESonoricPlayerException &e) {
        ShowMessageText(e.Message(), MB_ICONERROR);
    } catch (const std::exception &e) {
        ShowMessageText(QString::fromUtf8(e.what()), MB_ICONERROR);
    }
}

TfStation::TfStation(const TCommandLine &commandLine, const QString &executablePath,
                     int colourDepth, std::function<void(const QString &)> status)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), status_(std::move(status))
{
    // 1. Off the screen; the station is never shown.
    move(-5000, 0);
    setAttribute(Qt::WA_DontShowOnScreen);

    // 2. The global state.
    globals_ = std::make_unique<TTonariaGlobals>(executablePath, colourDepth);
    TTonariaGlobals &g = *globals_;
    helpFile_ = g.ExeFolder + QStringLiteral("Help/index.html");
    texts_ = std::make_unique<TDisplayTexts>(g, spStation);
    texts_->SetStation(this);
    g.OnUpdateControls = [this] { texts_->UpdateControls(); };
    g.OnUpdateDisplay = [this] { texts_->UpdateDisplay(); };
    TTransport &transport = g.Transport();
    transport.OnCloseRequest = [this] { RequestClose(); };
    lists_ = std::make_unique<TStationLists>(g, *this);
    keys_ = std::make_unique<TStationKeys>(g, *this);
    // The plug-ins hear of every end check, as of the display's updates.
    transport.OnEndCheck = [this] {
        if (texts_->OnNotifyPlugins) texts_->OnNotifyPlugins(kNotifyEndCheck);
    };
    transport.OnMoveFailed = [](const QString &text) { ShowMessageText(text, MB_ICONERROR); };
    CreateActions();
    HookPlayer();

    // 3. Registry: recent files and preferences. The player is known first, so that applying
    // the preferences reaches its reset file.
    Status(QStringLiteral("Reading registry configuration..."));
    g.LoadPreferences();
    {
        TRegistry registry(g.RegistryStore());
        mmStation.Load(registry);
    }
    g.Player = &spStation;
    g.ApplyPreferences();

    // 4. Devices.
    Status(QStringLiteral("Analyzing available multimedia devices..."));
    spStation.AnalyzeMCIDevices();

    // 5. and 6. Plug-in devices, the device menu with "Reopen" as its second entry.
    Status(QStringLiteral("Loading plug-ins..."));
    spStation.AnalyzePluginDevices();
    spStation.SetDeviceMenu(std::make_unique<TDeviceMenu>(spStation));
    spStation.BuildDeviceMenu();
    reopenMenu_ = new QMenu(QStringLiteral("Reopen"), this);
    if (auto *menu = dynamic_cast<QMenu *>(spStation.DeviceMenu())) {
        const QList<QAction *> items = menu->actions();
        menu->insertMenu(items.size() > 1 ? items.at(1) : nullptr, reopenMenu_);
    }
    mmStation.OnChange = [this] { RebuildReopenMenu(); };
    RebuildReopenMenu();

    // 7. The peak meter.
    Status(QStringLiteral("Initializing peak meter..."));
    mixer_.Open();
    g.Mixer = &mixer_;

    // 8. to 13. Albums and the command line's files.
    StartUpAlbums(commandLine);

    // 14. The open dialog's filter.
    QList<TFilterDevice> devices;
    for (const auto &device : spStation.Devices())
        devices.append(TFilterDevice{device->Name, device->Description, std::nullopt});
    fileFilter_ = BuildFileFilter(devices, ReadMciExtensions(g.ExeFolder));

    // 15. The ticker, idle until the first showing.
    ticker_ = std::make_unique<TTimerThread>(g, this);
    CreateTray();
}

void TfStation::StartUpAlbums(const TCommandLine &commandLine)
{
    TTonariaGlobals &g = *globals_;
    Status(QStringLiteral("Reading album names..."));
    g.LoadAlbumList();

    Status(QStringLiteral("Loading album..."));
    g.CurrentAlbum = nullptr;
    if (!g.Albums.empty()) {
        const int last = int(g.Albums.size()) - 1;
        g.CurrentAlbum = g.Albums[std::size_t(std::clamp(g.CurAlbum, 0, last))].get();
    }
    g.LibraryReady = true;

    // The system album starts every run empty.
    if (g.SystemAlbum) {
        g.SystemAlbum->ClearLinks();
        g.AlbumFile().Save(*g.SystemAlbum);
    }
    if (commandLine.hasArguments && g.SystemAlbum) g.CurrentAlbum = g.SystemAlbum;
    if (g.CurrentAlbum) g.AlbumFile().Load(*g.CurrentAlbum);

    if (!commandLine.hasArguments || !g.CurrentAlbum) return;
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
    lists_->FillTitlesList();
    if (album.CurrentProgram && !album.CurrentProgram->Titles.empty()) {
        album.CurrentTitle = album.CurrentProgram->Titles.front();
        Guard([&] { g.Transport().SelectTitle(album.CurrentTitle); });
    }
}

TfStation::~TfStation()
{
    TTonariaGlobals &g = *globals_;
    if (!closed_) {
        // Destroyed without a close (a test, or a failed start): the same clean-up.
        g.ShuttingDown = true;
        g.Transport().CancelPendingMove();
        ticker_->Terminate();
        spStation.Close();
    }
    ticker_.reset();
    g.SavePreferences();
    g.SetCurrentAlbum(nullptr);
    {
        TRegistry registry(g.RegistryStore());
        QString error;
        if (!mmStation.Save(registry) || !registry.Flush(&error))
            ShowMessageText(error.isEmpty() ? QStringLiteral("Cannot save the recent files.")
                                            : error,
                            MB_ICONERROR);
    }
    mmStation.OnChange = nullptr;
    spStation.OnNotify = nullptr;
    spStation.OnPlayStopped = nullptr;
    g.Mixer = nullptr;
    mixer_.Close();
    g.Player = nullptr;
    g.OnUpdateControls = nullptr;
    g.OnUpdateDisplay = nullptr;
    keys_.reset();
    lists_.reset();
    texts_.reset();
    globals_.reset();
}

void TfStation::Status(const QString &text)
{
    if (status_) status_(text);
}

void TfStation::HookPlayer()
{
    spStation.SetModeTime(spmtLogical);
    spStation.OnNotify = [this](TSonoricPlayer *) { texts_->UpdateControls(); };
    spStation.OnAnalyzing = [this](TSonoricPlayer *, PSPDeviceInfo info) {
        Status(QStringLiteral("Analyzing ") + info->Name + QStringLiteral("..."));
    };
    spStation.OnBeforeMIDIReset = [this](TSonoricPlayer *) {
        if (TDisplaySink *display = texts_->Display())
            display->SetCaption(FormatMessageText(GetMessageText(QStringLiteral("MiscReset")),
                                                  {globals_->ResetFile}));
    };
    spStation.OnAfterMIDIReset = [this](TSonoricPlayer *, bool successful) {
        if (!successful)
            ShowMessageById(QStringLiteral("ErrCannotResetMIDI"), {spStation.FileMIDIReset()},
                            MB_ICONERROR);
    };
    // No plug-in devices are registered by this station.
    spStation.OnDeviceCount = [](TSonoricPlayer *, std::int32_t &count) { count = 0; };
    spStation.OnMenuClicked = [this](TSonoricPlayer *, PSPDeviceInfo device) {
        QString text;
        if (device && device->UsesFiles) {
            QFileDialog dialog(nullptr, QStringLiteral("Open multimedia file"));
            dialog.setFileMode(QFileDialog::ExistingFiles);
            dialog.setOption(QFileDialog::ReadOnly, true);
            dialog.setNameFilters(QtNameFilters(fileFilter_));
            if (dialog.exec() != QDialog::Accepted) return;
            QStringList quoted;
            for (const QString &name : dialog.selectedFiles())
                quoted << QuoteCommaItem(name);
            text = quoted.join(QLatin1Char(' '));
        }
        Guard([&] { OpenFiles(text, device); });
    };
}

void TfStation::CreateActions()
{
    aEditAlbums =
        MakeAction(this, QStringLiteral("Edit Albums..."), QStringLiteral("Edit albums..."));
    aEditPrograms =
        MakeAction(this, QStringLiteral("Edit Programs..."), QStringLiteral("Edit programs..."));
    aEditTitles =
        MakeAction(this, QStringLiteral("Edit Titles..."), QStringLiteral("Edit titles..."));
    aPlay = MakeAction(this, QStringLiteral("Play"), QStringLiteral("Play"));
    aPlayPause = MakeAction(this, QStringLiteral("Pause"), QStringLiteral("Pause"));
    aPlayStop = MakeAction(this, QStringLiteral("Stop"), QStringLiteral("Stop"));
    aPlayPrev = MakeAction(this, QStringLiteral("Previous"), QStringLiteral("Previous"));
    aPlayRew = MakeAction(this, QStringLiteral("Rewind"), QStringLiteral("Rewind"));
    aPlayFB = MakeAction(this, QStringLiteral("Fast backward"), QStringLiteral("Fast backward"));
    aPlayFF = MakeAction(this, QStringLiteral("Fast forward"), QStringLiteral("Fast forward"));
    aPlayNext = MakeAction(this, QStringLiteral("Next"), QStringLiteral("Next"));
    aMiscPref =
        MakeAction(this, QStringLiteral("Preferences..."), QStringLiteral("Preferences..."));
    aHelpTopics = MakeAction(this, QStringLiteral("Help Topics"), QStringLiteral("Help Topics"));
    aHelpTopics->setShortcut(QKeySequence(Qt::Key_F1));
    aHelpTopics->setShortcutContext(Qt::ApplicationShortcut);
    aShowMain = MakeAction(this, QStringLiteral("Show main window"), QString());
    aExit = MakeAction(this, QStringLiteral("Exit"), QString());
    addActions({aEditAlbums, aEditPrograms, aEditTitles, aPlay, aPlayPause, aPlayStop, aPlayPrev,
                aPlayRew, aPlayFB, aPlayFF, aPlayNext, aMiscPref, aHelpTopics});

    TTransport &t = globals_->Transport();
    connect(aPlay, &QAction::triggered, this, [this, &t] { Transport([&t] { t.Play(); }); });
    connect(aPlayPause, &QAction::triggered, this, [this, &t] { Transport([&t] { t.Pause(); }); });
    connect(aPlayStop, &QAction::triggered, this, [this, &t] { Transport([&t] { t.Stop(); }); });
    connect(aPlayPrev, &QAction::triggered, this,
            [this, &t] { Transport([&t] { t.Previous(); }); });
    connect(aPlayRew, &QAction::triggered, this, [this, &t] { Transport([&t] { t.Rewind(); }); });
    connect(aPlayNext, &QAction::triggered, this, [this, &t] { Transport([&t] { t.Next(); }); });
    connect(aPlayFB, &QAction::triggered, this, [this] { SeekOnce(1); });
    connect(aPlayFF, &QAction::triggered, this, [this] { SeekOnce(2); });
    connect(aHelpTopics, &QAction::triggered, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile_)); });
    connect(aShowMain, &QAction::triggered, this, [this] { ShowMainWindow(); });
    connect(aExit, &QAction::triggered, this, [this] { Exit(); });
}

void TfStation::Transport(const std::function<void()> &command)
{
    globals_->CloseRequested = false;
    Guard(command);
}

void TfStation::SeekOnce(int direction)
{
    Transport([this, direction] {
        TTransport &t = globals_->Transport();
        if (globals_->Seeking) return;
        if (direction == 1) {
            t.StartFastBackward();
            t.StopFastBackward();
        } else {
            t.StartFastForward();
            t.StopFastForward();
        }
    });
}

void TfStation::SeekButtonDown(int direction)
{
    Transport([this, direction] {
        TTransport &t = globals_->Transport();
        if (direction == 1)
            t.StartFastBackward();
        else
            t.StartFastForward();
    });
}

void TfStation::SeekButtonUp(int direction)
{
    TTransport &t = globals_->Transport();
    if (direction == 1)
        t.StopFastBackward();
    else
        t.StopFastForward();
}

void TfStation::CreateTray()
{
    pmTray = new QMenu(this);
    QFont bold = pmTray->font();
    bold.setBold(true);
    aShowMain->setFont(bold); // the default item
    pmTray->addAction(aShowMain);
    pmTray->addSeparator();
    pmTray->addActions({aPlay, aPlayPause, aPlayStop, aPlayPrev, aPlayRew, aPlayNext});
    pmTray->addSeparator();
    pmTray->addAction(aMiscPref);
    pmTray->addSeparator();
    pmTray->addAction(aExit);
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    tiStation = new QSystemTrayIcon(style()->standardIcon(QStyle::SP_MediaPlay), this);
    tiStation->setToolTip(QStringLiteral("Tonaria"));
    tiStation->setContextMenu(pmTray);
    connect(tiStation, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) ShowMainWindow();
            });
}

void TfStation::RebuildReopenMenu()
{
    if (!reopenMenu_) return;
    reopenMenu_->clear();
    const auto &items = mmStation.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        QAction *action = reopenMenu_->addAction(items[i].Name);
        connect(action, &QAction::triggered, this, [this, i] { OpenRecent(int(i)); });
    }
    reopenMenu_->setEnabled(!items.empty());
}

void TfStation::FirstShow()
{
    TTonariaGlobals &g = *globals_;
    if (!g.StartingUp) return;
    // 1. to 3. The windows' states (the display and the floating bar follow them).
    bool cloaked = g.FormMode == 1 ? false : g.FormMode == 2 ? true : g.PrefCloaked;
    if (g.FloatMode == 1)
        g.FloatShow = true;
    else if (g.FloatMode == 2)
        g.FloatShow = false;
    // 5. The start-up is over for the splash.
    if (OnStarted) OnStarted();
    // 6. and 7.
    SetCloaked(cloaked);
    if (tiStation) tiStation->show();
    // 8. The periodic work starts.
    g.StartingUp = false;
    RefreshTickerSchedule();
    ticker_->Resume();
    texts_->UpdateControls();
    // 9. Play when the command line asked for it.
    if (g.PlayRequested) {
        g.PlayRequested = false;
        // During the pause between titles the player is stopped only until the next title
        // starts; playing the ended one again would restart the pause.
        if (!g.Sleeping && (!spStation.Opened() || spStation.GetMode() == MCI_MODE_STOP))
            Guard([&] { g.Transport().Play(); });
    }
}

void TfStation::RefreshTickerSchedule()
{
    ticker_->SetMeter(globals_->APMActive, globals_->APMInterval);
    ticker_->SetAnimation(globals_->DisplayFlag);
}

void TfStation::SetCloaked(bool cloaked)
{
    TTonariaGlobals &g = *globals_;
    g.Cloaked = cloaked;
    if (!g.ShuttingDown) g.PrefCloaked = cloaked;
    hide();
}

void TfStation::ShowMainWindow()
{
    if (!globals_->StartingUp) SetCloaked(false);
}

QAction *TfStation::Action(TStationAction action) const
{
    switch (action) {
    case TStationAction::aEditAlbums:
        return aEditAlbums;
    case TStationAction::aEditPrograms:
        return aEditPrograms;
    case TStationAction::aEditTitles:
        return aEditTitles;
    case TStationAction::aPlay:
        return aPlay;
    case TStationAction::aPlayPause:
        return aPlayPause;
    case TStationAction::aPlayStop:
        return aPlayStop;
    case TStationAction::aPlayPrev:
        return aPlayPrev;
    case TStationAction::aPlayRew:
        return aPlayRew;
    case TStationAction::aPlayFB:
        return aPlayFB;
    case TStationAction::aPlayFF:
        return aPlayFF;
    case TStationAction::aPlayNext:
        return aPlayNext;
    case TStationAction::aMiscPref:
        return aMiscPref;
    case TStationAction::aHelpTopics:
        return aHelpTopics;
    }
    return nullptr;
}

void TfStation::SetApplicationTitle(const QString &title)
{
    applicationTitle_ = title;
    setWindowTitle(title);
}

void TfStation::SetTrayHint(const QString &hint)
{
    if (tiStation) tiStation->setToolTip(hint);
}

void TfStation::SetActionHint(TStationAction action, const QString &hint)
{
    if (QAction *a = Action(action)) {
        a->setToolTip(hint);
        a->setStatusTip(hint);
    }
}

void TfStation::SetActionEnabled(TStationAction action, bool enabled)
{
    if (QAction *a = Action(action)) a->setEnabled(enabled);
}

// ---- Closing ----

void TfStation::Exit()
{
    if (globals_->StartingUp || globals_->ShuttingDown) return;
    RequestClose();
}

bool TfStation::CloseQuery()
{
    // A modal dialog is open: not now.
    if (QApplication::activeModalWidget()) return false;
    TTonariaGlobals &g = *globals_;
    g.ShuttingDown = true;
    if (tiStation) tiStation->hide();
    g.Transport().CancelPendingMove();
    ticker_->Terminate();
    spStation.Close();
    return true;
}

bool TfStation::RequestClose()
{
    if (closed_) return true;
    if (!CloseQuery()) return false;
    closed_ = true;
    if (OnClosing) OnClosing();
    QCoreApplication::exit(0);
    return true;
}

void TfStation::CloseForSignal()
{
    if (closed_) return;
    // Modal dialogs are dismissed first; the close follows once their loops have ended.
    if (QWidget *modal = QApplication::activeModalWidget()) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        QMetaObject::invokeMethod(
            this, [this] { CloseForSignal(); }, Qt::QueuedConnection);
        return;
    }
    RequestClose();
}

// ---- Deferred commands ----

bool TfStation::event(QEvent *e)
{
    if (e->type() == StationCommandEventType) {
        const auto *command = static_cast<TStationCommandEvent *>(e);
        HandleCommand(command->Code, command->Param);
        return true;
    }
    if (e->type() == TickerCallEventType) {
        TTimerThread::Serve(*static_cast<TTickerCallEvent *>(e), [this](TTickerRequest request) {
            TTransport &t = globals_->Transport();
            Guard([&] {
                if (request == TTickerRequest::QuickNumberCommit)
                    t.QuickNumberCommit();
                else
                    t.SeekStep(request == TTickerRequest::SeekBackward ? 1 : 2);
            });
        });
        return true;
    }
    return QWidget::event(e);
}

void TfStation::HandleCommand(int code, void *param)
{
    TTonariaGlobals &g = *globals_;
    switch (code) {
    case StationCommandPeakMeter:
        texts_->UpdatePeakMeter();
        break;
    case StationCommandDisplay:
        texts_->UpdateDisplay();
        break;
    case StationCommandCloseDisplay:
        SetCloaked(true);
        break;
    case StationCommandAnimation:
        texts_->UpdateAnimation();
        break;
    case StationCommandEndCheck:
        if (closed_) break;
        Guard([&] { g.Transport().CheckEndOfTitle(); });
        g.EndCheckPosted = true;
        break;
    case StationCommandControls:
        texts_->UpdateControls();
        break;
    case StationCommandForgetWindow:
        if (param) *static_cast<QPointer<QWidget> *>(param) = nullptr;
        break;
    default:
        break;
    }
}

// ---- Files ----

void TfStation::OpenFiles(const QString &text, TSPDeviceInfo *device)
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
    if (album.CurrentTitle) g.Transport().SelectTitle(album.CurrentTitle);
    lists_->FillTitlesList();
}

void TfStation::OpenRecent(int index)
{
    const auto &items = mmStation.Items();
    if (index < 0 || index >= int(items.size())) return;
    QString text = items[std::size_t(index)].Name;
    if (!text.startsWith(QLatin1Char('"'))) text.prepend(QLatin1Char('"'));
    if (!text.endsWith(QLatin1Char('"')) || text.size() == 1) text.append(QLatin1Char('"'));
    Guard([&] { OpenFiles(text, &AnyDeviceInfo); });
}

void TfStation::DropFiles(const QStringList &paths)
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
    lists_->FillTitlesList();
    if (!album->CurrentTitle && !g.LoadedTitle && program && !program->Titles.empty()) {
        // The title given to the player is the album's current one, so that Play plays it.
        album->CurrentTitle = program->Titles.front();
        Guard([&] { g.Transport().SelectTitle(album->CurrentTitle); });
    }
}

// ---- Hand-off ----

void TfStation::handoffAddFile(const QString &fileName)
{
    TTonariaGlobals &g = *globals_;
    if (!g.SystemAlbum) return;
    if (g.CurrentAlbum != g.SystemAlbum) g.SetCurrentAlbum(g.SystemAlbum);
    TAlbum &album = *g.CurrentAlbum;
    TTitle *title = album.AddTitle();
    title->FileName = fileName;
    title->Caption = MakeTitleCaption(fileName, true);
    if (album.CurrentProgram) album.CurrentProgram->Titles.push_back(title);
}

void TfStation::handoffCommit()
{
    TTonariaGlobals &g = *globals_;
    if (closed_) return;
    TAlbum *album = g.CurrentAlbum;
    if (album) {
        album->RefreshInternalPrograms();
        lists_->FillTitlesList();
        TProgram *program = album->CurrentProgram;
        if (!g.LoadedTitle && program && !program->Titles.empty()) {
            album->CurrentTitle = program->Titles.front();
            Guard([&] { g.Transport().SelectTitle(album->CurrentTitle); });
        }
    }
    if (g.PlayRequested) {
        g.PlayRequested = false;
        // During the pause between titles the player is stopped only until the next title
        // starts; playing the ended one again would restart the pause.
        if (!g.Sleeping && (!spStation.Opened() || spStation.GetMode() == MCI_MODE_STOP))
            Guard([&] { g.Transport().Play(); });
    }
}

void TfStation::setPlayRequested()
{
    globals_->PlayRequested = true;
}

void TfStation::setCloseRequested()
{
    globals_->CloseRequested = true;
}

bool TfStation::ActionEnabled(TStationAction action) const
{
    const QAction *a = Action(action);
    return a && a->isEnabled();
}

void TfStation::ExecuteAction(TStationAction action)
{
    if (QAction *a = Action(action)) a->trigger();
}

void TfStation::SelectTitle(TTitle *title)
{
    Guard([&] { globals_->Transport().SelectTitle(title); });
}

void TfStation::QuickNumberKey(QChar digit)
{
    Guard([&] { globals_->Transport().QuickNumberKey(digit); });
}

void TfStation::ClosePopup(TStationList)
{
    // The popup list boxes come with the display window.
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
