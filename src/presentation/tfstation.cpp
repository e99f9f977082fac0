#include "presentation/tfstation.h"

#include "core/displaytexts.h"
#include "core/stationlists.h"
#include "core/timersource.h"
#include "core/tonariaglobals.h"
#include "library/commatext.h"
#include "library/ui/libraryeditors.h"
#include "localisation/ui/languageforms.h"
#include "localisation/ui/localiseform.h"
#include "news/newscheck.h"
#include "news/ui/tfrozedadivid.h"
#include "platform/ui/devicemenu.h"
#include "presentation/skin/applytheme.h"
#include "presentation/stationlistbox.h"
#include "presentation/stationrowdelegate.h"
#include "presentation/tfdisplay.h"
#include "presentation/tffloat.h"
#include "presentation/tpopuplistbox.h"
#include "settings/ui/tfpref.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QUrl>

#include <utility>

namespace {

// An action with its component name, caption and hint.
QAction *MakeAction(QObject *owner, const char *name, const QString &caption, const QString &hint)
{
    auto *action = new QAction(caption, owner);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    return action;
}

constexpr TStationAction kAllActions[] = {
    TStationAction::aEditAlbums, TStationAction::aEditPrograms, TStationAction::aEditTitles,
    TStationAction::aPlay,       TStationAction::aPlayPause,    TStationAction::aPlayStop,
    TStationAction::aPlayPrev,   TStationAction::aPlayRew,      TStationAction::aPlayFB,
    TStationAction::aPlayFF,     TStationAction::aPlayNext,     TStationAction::aMiscPref,
    TStationAction::aHelpTopics,
};

} // namespace

TfStation::TfStation(const QString &executablePath, int colourDepth, TTimerSource *timers)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint),
      timers_(timers ? *timers : SystemTimerSource()),
      jukebox_(std::make_unique<TJukebox>(executablePath, colourDepth, &timers_)),
      news_(std::make_unique<TNewsCheck>(jukebox_->GlobalState(), jukebox_->GlobalState().SUFolder))
{
    // Off the screen; the station is never shown.
    setObjectName(QStringLiteral("fStation"));
    move(-5000, 0);
    setAttribute(Qt::WA_DontShowOnScreen);
    CreateActions();
    CreateTray();
    CreatePopupLists();
    ConnectJukebox();
    // The windows a language file is written from.
    LanguageForms() = {
        {[this] { return static_cast<QWidget *>(new TfPref(*jukebox_)); },
         [this] { return static_cast<QWidget *>(fPref.data()); }},
        {nullptr, [this] { return static_cast<QWidget *>(this); }},
    };
}

TfStation::~TfStation()
{
    LanguageForms().clear();
    // The viewer and the dialog work on the preferences, which go with the jukebox.
    delete fRozedAdivid.data();
    if (fPref) {
        disconnect(fPref, nullptr, this, nullptr);
        delete fPref.data();
    }
    news_.reset();
    // The jukebox's last words (the saves of its shut-down) are no longer the form's business.
    disconnect(jukebox_.get(), nullptr, this, nullptr);
    // A bar still open here was never closed (no shut-down ran): it goes without a word.
    delete fFloat.data();
    delete closingFloat_.data();
    if (fDisplay) {
        fDisplay->StorePosition();
        delete fDisplay.data();
    }
    // The popups give their lists back while the station is still whole.
    for (TPopupListBox *plb : {plbTitles, plbPrograms, plbAlbums}) {
        plb->OnDeactivate = nullptr;
        delete plb;
    }
    jukebox_->Player().OnMenuClicked = nullptr;
    jukebox_->CloseAllowed = nullptr;
    jukebox_.reset();
}

void TfStation::StartUp(const TCommandLine &commandLine)
{
    jukebox_->StartUp(commandLine);
}

void TfStation::ConnectJukebox()
{
    TJukebox &j = *jukebox_;
    j.CloseAllowed = [] { return QApplication::activeModalWidget() == nullptr; };
    connect(&j, &TJukebox::devicesAnalysed, this, &TfStation::BuildDeviceMenu);
    connect(&j, &TJukebox::recentFilesChanged, this, &TfStation::RebuildReopenMenu);
    connect(&j, &TJukebox::actionChanged, this, &TfStation::FollowAction);
    connect(&j, &TJukebox::applicationTitleChanged, this, &QWidget::setWindowTitle);
    connect(&j, &TJukebox::trayHintChanged, this, [this](const QString &hint) {
        if (tiStation) tiStation->setToolTip(hint);
    });
    connect(&j, &TJukebox::preferencesApplied, this, &TfStation::Localise);
    connect(&j, &TJukebox::preferencesApplied, news_.get(), &TNewsCheck::ApplyProxy);
    // New news opens the viewer once the request has wound up.
    connect(news_.get(), &TNewsCheck::newsStored, this, &TfStation::ShowNewsManager,
            Qt::QueuedConnection);
    connect(&j, &TJukebox::cloakedChanged, this, &TfStation::FollowCloaked);
    connect(&j, &TJukebox::closeDisplayRequested, this, &TfStation::FreeDisplay);
    connect(&j, &TJukebox::popupCloseRequested, this,
            [this](TStationList list) { PopupBox(list)->Deactivate(); });
    connect(&j, &TJukebox::started, this, [this] {
        const TTonariaGlobals &g = jukebox_->GlobalState();
        // The start-up's decision (the preference "FloatMode") is in "FloatShow" now.
        if (g.FloatShow && !FloatbarExists()) ToggleFloatbar();
        plbTitles->BoxWidth = g.plbTitlesBoxWidth;
        plbTitles->BoxHeight = g.plbTitlesBoxHeight;
        plbPrograms->BoxWidth = g.plbProgramsBoxWidth;
        plbPrograms->BoxHeight = g.plbProgramsBoxHeight;
        plbAlbums->BoxWidth = g.plbAlbumsBoxWidth;
        plbAlbums->BoxHeight = g.plbAlbumsBoxHeight;
        if (tiStation) tiStation->show();
    });
    connect(&j, &TJukebox::shuttingDown, this, [this] {
        if (tiStation) tiStation->hide();
        // Closed while shutting down, the bar comes back at the next start.
        if (fFloat) fFloat->close();
        for (TPopupListBox *plb : {plbTitles, plbPrograms, plbAlbums})
            plb->Deactivate();
        TTonariaGlobals &g = jukebox_->GlobalState();
        g.plbTitlesBoxWidth = plbTitles->BoxWidth;
        g.plbTitlesBoxHeight = plbTitles->BoxHeight;
        g.plbProgramsBoxWidth = plbPrograms->BoxWidth;
        g.plbProgramsBoxHeight = plbPrograms->BoxHeight;
        g.plbAlbumsBoxWidth = plbAlbums->BoxWidth;
        g.plbAlbumsBoxHeight = plbAlbums->BoxHeight;
        FreeDisplay();
    });
    auto *editors = new TLibraryEditors(j, this);
    connect(&j, &TJukebox::actionRequested, this, [this, editors](TStationAction action) {
        if (action == TStationAction::aHelpTopics)
            QDesktopServices::openUrl(QUrl::fromLocalFile(jukebox_->HelpFile()));
        if (action == TStationAction::aMiscPref) ShowPreferences();
        editors->Run(action); // the library editors; other actions pass
    });
    j.Player().OnMenuClicked = [this](TSonoricPlayer *, TSPDeviceInfo *device) {
        OpenFromDeviceMenu(device);
    };
}

void TfStation::Localise()
{
    // Every form there is takes the texts of the language now in use.
    LocaliseForm(this, false);
    LocaliseLanguageForms();
}

void TfStation::CreateActions()
{
    aEditAlbums = MakeAction(this, "aEditAlbums", QStringLiteral("Edit Albums..."),
                             QStringLiteral("Edit albums..."));
    aEditPrograms = MakeAction(this, "aEditPrograms", QStringLiteral("Edit Programs..."),
                               QStringLiteral("Edit programs..."));
    aEditTitles = MakeAction(this, "aEditTitles", QStringLiteral("Edit Titles..."),
                             QStringLiteral("Edit titles..."));
    aPlay = MakeAction(this, "aPlay", QStringLiteral("Play"), QStringLiteral("Play"));
    aPlayPause = MakeAction(this, "aPlayPause", QStringLiteral("Pause"), QStringLiteral("Pause"));
    aPlayStop = MakeAction(this, "aPlayStop", QStringLiteral("Stop"), QStringLiteral("Stop"));
    aPlayPrev =
        MakeAction(this, "aPlayPrev", QStringLiteral("Previous"), QStringLiteral("Previous"));
    aPlayRew = MakeAction(this, "aPlayRew", QStringLiteral("Rewind"), QStringLiteral("Rewind"));
    aPlayFB = MakeAction(this, "aPlayFB", QStringLiteral("Fast backward"),
                         QStringLiteral("Fast backward"));
    aPlayFF =
        MakeAction(this, "aPlayFF", QStringLiteral("Fast forward"), QStringLiteral("Fast forward"));
    aPlayNext = MakeAction(this, "aPlayNext", QStringLiteral("Next"), QStringLiteral("Next"));
    aMiscPref = MakeAction(this, "aMiscPref", QStringLiteral("Preferences..."),
                           QStringLiteral("Preferences..."));
    aHelpTopics = MakeAction(this, "aHelpTopics", QStringLiteral("Help Topics"),
                             QStringLiteral("Help Topics"));
    aHelpTopics->setShortcut(QKeySequence(Qt::Key_F1));
    aHelpTopics->setShortcutContext(Qt::ApplicationShortcut);
    aShowMain = MakeAction(this, "Showmainwindow1", QStringLiteral("Show main window"), {});
    aExit = MakeAction(this, "Exit1", QStringLiteral("Exit"), {});
    for (const TStationAction action : kAllActions) {
        QAction *a = Action(action);
        addAction(a);
        connect(a, &QAction::triggered, this, [this, action] { RunAction(action); });
    }
    connect(aShowMain, &QAction::triggered, this, [this] { ShowMainWindow(); });
    connect(aExit, &QAction::triggered, this, [this] { jukebox_->Exit(); });
}

void TfStation::RunAction(TStationAction action)
{
    jukebox_->ExecuteAction(action);
}

void TfStation::FollowAction(TStationAction action)
{
    QAction *a = Action(action);
    if (!a) return;
    a->setEnabled(jukebox_->ActionEnabled(action));
    const QString hint = jukebox_->ActionHint(action);
    if (!hint.isEmpty()) {
        a->setToolTip(hint);
        a->setStatusTip(hint);
    }
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

void TfStation::BuildDeviceMenu()
{
    TSonoricPlayer &player = jukebox_->Player();
    player.SetDeviceMenu(std::make_unique<TDeviceMenu>(player));
    player.BuildDeviceMenu();
    // "Reopen" is the device menu's second entry.
    reopenMenu_ = new QMenu(QStringLiteral("Reopen"), this);
    if (auto *menu = dynamic_cast<QMenu *>(player.DeviceMenu())) {
        const QList<QAction *> items = menu->actions();
        menu->insertMenu(items.size() > 1 ? items.at(1) : nullptr, reopenMenu_);
    }
    RebuildReopenMenu();
}

void TfStation::RebuildReopenMenu()
{
    if (!reopenMenu_) return;
    reopenMenu_->clear();
    const auto &items = jukebox_->RecentFiles().Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        QAction *action = reopenMenu_->addAction(items[i].Name);
        connect(action, &QAction::triggered, this, [this, i] { jukebox_->OpenRecent(int(i)); });
    }
    reopenMenu_->setEnabled(!items.empty());
}

void TfStation::OpenFromDeviceMenu(TSPDeviceInfo *device)
{
    QString text;
    if (!device || device->IsAny || device->UsesFiles) {
        const QStringList names = QFileDialog::getOpenFileNames(nullptr, QStringLiteral("Open"),
                                                                QString(), jukebox_->FileFilter());
        if (names.isEmpty()) return;
        text = JoinCommaText(names);
    }
    jukebox_->OpenFiles(text, device);
}

void TfStation::CreatePopupLists()
{
    TStationLists &lists = jukebox_->Lists();
    const std::pair<TStationList, const char *> kinds[] = {{TStationList::Titles, "plbTitles"},
                                                           {TStationList::Programs, "plbPrograms"},
                                                           {TStationList::Albums, "plbAlbums"}};
    for (const auto &[list, name] : kinds) {
        auto *box = new TStationListBox(lists, list, this);
        box->setItemDelegate(new TStationRowDelegate(jukebox_->GlobalState(), list, box));
        box->hide();
        auto *plb = new TPopupListBox(this);
        plb->setObjectName(QLatin1String(name));
        plb->BoxWidth = 299;
        plb->BoxHeight = 232;
        plb->MinBoxWidth = 128;
        plb->MinBoxHeight = 64;
        plb->SetBox(box);
        plb->OnDeactivate = [this] { jukebox_->Lists().PopupClosed(); };
        (list == TStationList::Titles     ? lbTitles
         : list == TStationList::Programs ? lbPrograms
                                          : lbAlbums) = box;
        (list == TStationList::Titles     ? plbTitles
         : list == TStationList::Programs ? plbPrograms
                                          : plbAlbums) = plb;
    }
}

TPopupListBox *TfStation::PopupBox(TStationList list) const
{
    switch (list) {
    case TStationList::Titles:
        return plbTitles;
    case TStationList::Programs:
        return plbPrograms;
    case TStationList::Albums:
        return plbAlbums;
    }
    return plbTitles;
}

void TfStation::PopupListAt(TStationList list, const QPoint &topLeft)
{
    // Any popup showing closes first: its closing empties the lists filled here.
    for (TPopupListBox *plb : {plbTitles, plbPrograms, plbAlbums})
        plb->Deactivate();
    TStationLists &lists = jukebox_->Lists();
    switch (list) {
    case TStationList::Titles:
        lists.TitlesPopupOpened();
        break;
    case TStationList::Programs:
        lists.FillProgramsList();
        break;
    case TStationList::Albums:
        lists.FillAlbumsList();
        break;
    }
    PopupBox(list)->Popup(topLeft);
}

void TfStation::FollowCloaked(bool cloaked)
{
    hide();
    if (cloaked) {
        FreeDisplay();
        return;
    }
    if (!fDisplay) fDisplay = new TfDisplay(*this, timers_);
    fDisplay->show();
    fDisplay->raise();
    fDisplay->activateWindow();
}

void TfStation::FreeDisplay()
{
    if (!fDisplay) return;
    TfDisplay *display = fDisplay;
    fDisplay = nullptr;
    display->StorePosition();
    // The window stops taking the texts now; it goes once the event that closed it is over.
    if (jukebox_->DisplayTexts().Display() == display) jukebox_->DisplayTexts().SetDisplay(nullptr);
    display->hide();
    display->deleteLater();
}

void TfStation::FirstShow()
{
    TTonariaGlobals &g = jukebox_->GlobalState();
    const bool first = g.StartingUp;
    jukebox_->FinishStartUp();
    if (!first) return;
    // The reminder opens the viewer once; it has to be ticked again to repeat.
    if (g.SURemind) {
        g.SURemind = false;
        ShowNewsManager();
    }
    news_->StartAutomatic();
}

void TfStation::ShowNewsManager()
{
    if (fRozedAdivid) {
        fRozedAdivid->FillList();
        fRozedAdivid->raise();
        fRozedAdivid->activateWindow();
        return;
    }
    TTonariaGlobals &g = jukebox_->GlobalState();
    fRozedAdivid = new TfRozedAdivid(g, g.SUFolder);
    fRozedAdivid->setAttribute(Qt::WA_DeleteOnClose);
    fRozedAdivid->setWindowModality(Qt::ApplicationModal);
    LocaliseForm(fRozedAdivid, false);
    fRozedAdivid->show();
}

void TfStation::ShowPreferences()
{
    TfPref *pref = fPref.data();
    if (!pref) {
        pref = new TfPref(*jukebox_);
        pref->ApplyThemeToWindows = [this] { ApplyThemeToWindows(); };
        // The dialog's going gives the windows back their shown or hidden state.
        connect(pref, &QObject::destroyed, this, [this] {
            const TTonariaGlobals &g = jukebox_->GlobalState();
            if (!g.ShuttingDown) jukebox_->SetCloaked(g.Cloaked);
        });
        fPref = pref;
    }
    pref->show();
    pref->raise();
    pref->activateWindow();
}

TfPref *TfStation::Preferences() const
{
    return fPref.data();
}

void TfStation::ApplyThemeToWindows()
{
    TTonariaGlobals &g = jukebox_->GlobalState();
    TThemeHost host;
    host.ThemesFolder = g.ThemesFolder;
    host.DisplayFlag = [&g] { return g.DisplayFlag; };
    host.SetDisplayFlag = [&g](bool on) { g.DisplayFlag = on; };
    host.ApplyPreferences = [this] { jukebox_->ApplyPreferences(); };
    ApplyThemeToForms(g.UIMan, fDisplay.data(), fFloat.data(), g.ThemeName, host);
}

void TfStation::CheckNewsNow()
{
    news_->CheckNow();
}

void TfStation::ShowMainWindow()
{
    if (!jukebox_->GlobalState().StartingUp) jukebox_->SetCloaked(false);
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

bool TfStation::FloatbarExists() const
{
    return !fFloat.isNull();
}

void TfStation::ToggleFloatbar()
{
    if (fFloat) {
        fFloat->close();
        return;
    }
    fFloat = new TfFloat(*this);
    // A closed bar is gone from the slot at once; it frees itself next.
    connect(fFloat, &TfFloat::closed, this, [this] {
        closingFloat_ = fFloat;
        fFloat.clear();
    });
    fFloat->show();
}

void TfStation::CloseForSignal()
{
    if (jukebox_->Closed()) return;
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
    jukebox_->RequestClose();
}

TfRozedAdivid *TfStation::NewsManager() const
{
    return fRozedAdivid.data();
}
