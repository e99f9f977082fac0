#include "settings/ui/tfpref.h"

#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "localisation/showmessage.h"
#include "localisation/ui/languageforms.h"
#include "localisation/ui/localiseform.h"
#include "platform/system/atomicfile.h"
#include "platform/system/messageservice.h"
#include "platform/ui/colourmap.h"
#include "settings/ui/assoctab.h"
#include "settings/ui/fontconversion.h"
#include "settings/ui/plugintab.h"
#include "settings/ui/prefcontrols.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace {

// The largest reset file copied; a MIDI reset is a few bytes of system-exclusive messages.
constexpr qint64 kMaxResetFileSize = 4 * 1024 * 1024;

// The files of a folder with that extension (".tlg"), without it, sorted.
QStringList NamesIn(const QString &folder, const QString &extension)
{
    QStringList names;
    const QStringList files = QDir(folder).entryList({u'*' + extension}, QDir::Files);
    for (const QString &file : files) {
        if (file.endsWith(extension, Qt::CaseInsensitive))
            names << file.left(file.size() - extension.size());
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

void FillCombo(QComboBox *combo, const QStringList &names, const QString &text)
{
    combo->clear();
    combo->addItems(names);
    combo->setCurrentIndex(combo->findText(text));
    if (combo->isEditable()) combo->setEditText(text);
}

// A name that a file of our own folders may take: no path of its own.
bool PlainFileName(const QString &name)
{
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

// Which control edits which preference.
template <class TControl, class TValue> struct TBinding {
    TControl *TfPref::*control;
    TValue TPreferences::*pref;
};

const TBinding<QCheckBox, bool> kChecks[] = {
    {&TfPref::cbAutoOpenTitle, &TPreferences::AutoOpenTitle},
    {&TfPref::cbReset, &TPreferences::Reset},
    {&TfPref::cbAPMActive, &TPreferences::APMActive},
    {&TfPref::cbAPMFall, &TPreferences::APMFall},
    {&TfPref::cbAllowFly, &TPreferences::AllowFly},
    {&TfPref::cbAutoSnap, &TPreferences::AutoSnap},
    {&TfPref::cbSUAuto, &TPreferences::SUAuto},
    {&TfPref::cbSUAutoIfConnected, &TPreferences::SUAutoIfConnected},
    {&TfPref::cbSUProxy, &TPreferences::SUProxy},
};

const TBinding<QSpinBox, int> kSpins[] = {
    {&TfPref::rseQuickNumber, &TPreferences::QuickNumber},
    {&TfPref::rsePauseDelay, &TPreferences::PauseDelay},
    {&TfPref::rseTitlesGutter, &TPreferences::TitlesGutter},
    {&TfPref::rseFBSkip, &TPreferences::FBSkip},
    {&TfPref::rseFBInt, &TPreferences::FBInt},
    {&TfPref::rseFBDec, &TPreferences::FBDec},
    {&TfPref::rseFFSkip, &TPreferences::FFSkip},
    {&TfPref::rseFFInt, &TPreferences::FFInt},
    {&TfPref::rseFFDec, &TPreferences::FFDec},
    {&TfPref::rseSUProxyPort, &TPreferences::SUProxyPort},
};

const TBinding<QSlider, int> kTrackBars[] = {
    {&TfPref::tbAPMInterval, &TPreferences::APMInterval},
    {&TfPref::tbAPMFallInterval, &TPreferences::APMFallInterval},
};

const TBinding<QLineEdit, QString> kEdits[] = {
    {&TfPref::eSUProxyServer, &TPreferences::SUProxyServer},
    {&TfPref::eSUProxyUsername, &TPreferences::SUProxyUsername},
    {&TfPref::eSUProxyPassword, &TPreferences::SUProxyPassword},
};

struct TFontItem {
    const char *name;
    const char *caption;
    TFontPref TPreferences::*pref;
};
const TFontItem kFonts[] = {
    {"miFontTitleCaption", "Title caption", &TPreferences::FTitleCaption},
    {"miFontPrimaryTime", "Primary time", &TPreferences::FPrimaryTime},
    {"miFontSecondaryTime", "Secondary time", &TPreferences::FSecondaryTime},
    {"miFontTotalTime", "Total time", &TPreferences::FTotalTime},
    {"miFontFloatbarCaption", "Floatbar caption", &TPreferences::FFloatbarCaption},
    {"miFontFloatbarTime", "Floatbar time", &TPreferences::FFloatbarTime},
};

struct TColourItem {
    const char *name;
    const char *caption;
    TColour TPreferences::*pref;
};
const TColourItem kColours[] = {
    {"miColorTitleCaption", "Title caption", &TPreferences::CTitleCaption},
    {"miColorPrimaryTime", "Primary time", &TPreferences::CPrimaryTime},
    {"miColorSecondaryTime", "Secondary time", &TPreferences::CSecondaryTime},
    {"miColorTotalTime", "Total time", &TPreferences::CTotalTime},
    {"miColorPositionBar", "Position bar", &TPreferences::CPositionBar},
    {"miColorFloatbarCaption", "Floatbar caption", &TPreferences::CFloatbarCaption},
    {"miColorFloatbarTime", "Floatbar time", &TPreferences::CFloatbarTime},
};

// The start-up modes' buttons in the order of their values: 0 as last time, 1 show, 2 hide.
int CheckedMode(const std::array<QRadioButton *, 3> &buttons)
{
    if (buttons[0]->isChecked()) return 0;
    return buttons[1]->isChecked() ? 1 : 2;
}

void CheckMode(const std::array<QRadioButton *, 3> &buttons, int mode)
{
    buttons[size_t(std::clamp(mode, 0, 2))]->setChecked(true);
}

// Shows the box of a right-button press on the meter's check box.
class TRightPressFilter : public QObject {
public:
    using QObject::QObject;
    std::function<void()> OnRightPress;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent *>(event)->button() == Qt::RightButton && OnRightPress)
            OnRightPress();
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

TfPref::TfPref(TJukebox &jukebox, QWidget *parent)
    : QDialog(parent), jukebox_(jukebox), g_(jukebox.GlobalState())
{
    setObjectName(QStringLiteral("fPref"));
    setWindowTitle(QStringLiteral("Preferences"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    pcPref = Named<QTabWidget>(this, "pcPref");
    CreateGeneral();
    CreateMeter();
    CreateUserInterface();
    CreateStartup();
    CreateFastSeek();
    CreateNews();
    tsFileAssociations = new TAssocTab(g_, pcPref);
    tsFileAssociations->setObjectName(QStringLiteral("tsFileAssociations"));
    pcPref->addTab(tsFileAssociations, QStringLiteral("File Associations"));
    tsPlugins = new TPluginTab(g_, jukebox.PluginHost(), pcPref);
    tsPlugins->setObjectName(QStringLiteral("tsPlugins"));
    pcPref->addTab(tsPlugins, QStringLiteral("Plug-ins"));
    // Every tab's caption in sight: the dialog is as wide as the tab row.
    pcPref->setUsesScrollButtons(false);
    CreateButtons();
    ConnectRules();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pcPref);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bOK);
    buttons->addWidget(bCancel);
    buttons->addWidget(bApply);
    layout->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(560, 460)));
}

TfPref::~TfPref() = default;

void TfPref::CreateGeneral()
{
    QWidget *page = Page(pcPref, "tsGeneral", QStringLiteral("General"));
    cbAutoOpenTitle = CheckBox(page, "cbAutoOpenTitle",
                               QStringLiteral("Automatically open when a title is selected"));
    rseQuickNumber = SpinEdit(page, "rseQuickNumber", 500, 60000);
    rsePauseDelay = SpinEdit(page, "rsePauseDelay", 500, 60000);
    auto *times = new QFormLayout;
    times->addRow(
        Label(page, "lQuickNumber", QStringLiteral("QuickNumber delay time:"), rseQuickNumber),
        WithUnit(page, rseQuickNumber, "lQuickNumberUnit", QStringLiteral("milliseconds")));
    times->addRow(
        Label(page, "lPauseDelay", QStringLiteral("Pause between each title:"), rsePauseDelay),
        WithUnit(page, rsePauseDelay, "lPauseDelayUnit", QStringLiteral("milliseconds")));

    cbReset = CheckBox(page, "cbReset", QStringLiteral("Use MIDI Reset file"));
    gbReset = Frame(page, "gbReset");
    cbResetFile = Named<QComboBox>(gbReset, "cbResetFile");
    cbResetFile->setMinimumWidth(220);
    bResetFileBrowse = Button(gbReset, "bResetFileBrowse", QStringLiteral("Browse..."));
    auto *reset = new QHBoxLayout(gbReset);
    reset->addWidget(Label(gbReset, "lResetFile", QStringLiteral("Reset file:"), cbResetFile));
    reset->addWidget(cbResetFile, 1);
    reset->addWidget(bResetFileBrowse);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(cbAutoOpenTitle);
    layout->addSpacing(8);
    layout->addLayout(times);
    layout->addSpacing(8);
    layout->addWidget(cbReset);
    layout->addWidget(gbReset);
    layout->addStretch();
}

void TfPref::CreateMeter()
{
    QWidget *page = Page(pcPref, "tsAPM", QStringLiteral("Audio Peak Meter"));
    cbAPMActive = CheckBox(page, "cbAPMActive", QStringLiteral("Enable Audio Peak Meter"));
    gbAPM = Frame(page, "gbAPM");
    tbAPMInterval = TrackBar(gbAPM, "tbAPMInterval", 10, 100, 30);
    cbAPMFall = CheckBox(gbAPM, "cbAPMFall", QStringLiteral("Enable Audio Peak Meter fall-off"));
    gbAPMFall = Frame(gbAPM, "gbAPMFall");
    tbAPMFallInterval = TrackBar(gbAPMFall, "tbAPMFallInterval", 10, 250, 60);

    auto *fall = new QVBoxLayout(gbAPMFall);
    fall->addWidget(Label(gbAPMFall, "lAPMFallInterval",
                          QStringLiteral("Audio Peak Meter fall-off interval:"),
                          tbAPMFallInterval));
    fall->addWidget(BetweenEnds(gbAPMFall, tbAPMFallInterval, "lAPMFallIntervalMin",
                                QStringLiteral("Short"), "lAPMFallIntervalMax",
                                QStringLiteral("Long")));
    auto *meter = new QVBoxLayout(gbAPM);
    meter->addWidget(Label(gbAPM, "lAPMInterval",
                           QStringLiteral("Audio Peak Meter update interval:"), tbAPMInterval));
    meter->addWidget(BetweenEnds(gbAPM, tbAPMInterval, "lAPMIntervalMin",
                                 QStringLiteral("10 milliseconds"), "lAPMIntervalMax",
                                 QStringLiteral("100 milliseconds")));
    meter->addSpacing(8);
    meter->addWidget(cbAPMFall);
    meter->addWidget(gbAPMFall);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(cbAPMActive);
    layout->addWidget(gbAPM);
    layout->addStretch();

    auto *filter = new TRightPressFilter(this);
    filter->OnRightPress = [this] { cbAPMActiveMouseDown(); };
    cbAPMActive->installEventFilter(filter);
}

void TfPref::CreateUserInterface()
{
    QWidget *page = Page(pcPref, "tsUserInterface", QStringLiteral("User Interface"));
    cbAllowFly =
        CheckBox(page, "cbAllowFly", QStringLiteral("Enable mouse pointer-sensitive buttons"));
    cbAutoSnap = CheckBox(page, "cbAutoSnap", QStringLiteral("Enable AutoSnap"));
    rseTitlesGutter = SpinEdit(page, "rseTitlesGutter", 4, 256);
    bFonts = Button(page, "bFonts", QStringLiteral("Fonts"));
    bColors = Button(page, "bColors", QStringLiteral("Colors"));
    cbLang = Named<QComboBox>(page, "cbLang");
    cbLang->setEditable(true);
    cbLang->setMinimumWidth(200);
    bSaveLangFile = Button(page, "bSaveLangFile", QStringLiteral("Save"));
    cbThemeName = Named<QComboBox>(page, "cbThemeName");
    cbThemeName->setEditable(true);
    cbThemeName->setMinimumWidth(200);
    bSaveTheme = Button(page, "bSaveTheme", QStringLiteral("Save"));

    pmFonts = Named<QMenu>(this, "pmFonts");
    for (int i = 0; i < int(std::size(kFonts)); ++i) {
        QAction *item = pmFonts->addAction(QString::fromLatin1(kFonts[i].caption));
        item->setObjectName(QLatin1String(kFonts[i].name));
        connect(item, &QAction::triggered, this, [this, i] { miFontsClicked(i); });
    }
    pmColors = Named<QMenu>(this, "pmColors");
    for (int i = 0; i < int(std::size(kColours)); ++i) {
        QAction *item = pmColors->addAction(QString::fromLatin1(kColours[i].caption));
        item->setObjectName(QLatin1String(kColours[i].name));
        connect(item, &QAction::triggered, this, [this, i] { miColorsClick(i); });
    }

    auto *form = new QFormLayout;
    form->addRow(Label(page, "lTitlesGutter", QStringLiteral("Title list box gutter width:"),
                       rseTitlesGutter),
                 WithUnit(page, rseTitlesGutter, "lTitlesGutterUnit", QStringLiteral("pixels")));
    auto *looks = new QHBoxLayout;
    looks->addWidget(bFonts);
    looks->addWidget(bColors);
    looks->addStretch();
    form->addRow(QString(), looks);
    auto *lang = new QHBoxLayout;
    lang->addWidget(cbLang, 1);
    lang->addWidget(bSaveLangFile);
    form->addRow(Label(page, "lLang", QStringLiteral("Language:"), cbLang), lang);
    auto *theme = new QHBoxLayout;
    theme->addWidget(cbThemeName, 1);
    theme->addWidget(bSaveTheme);
    form->addRow(Label(page, "lThemeName", QStringLiteral("Theme name:"), cbThemeName), theme);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(cbAllowFly);
    layout->addWidget(cbAutoSnap);
    layout->addSpacing(8);
    layout->addLayout(form);
    layout->addStretch();
}

void TfPref::CreateStartup()
{
    QWidget *page = Page(pcPref, "tsStartup", QStringLiteral("Startup"));
    auto modeGroup = [page](const char *name, const QString &caption,
                            std::array<QRadioButton *, 3> buttons) {
        auto *group = Named<QGroupBox>(page, name);
        group->setTitle(caption);
        auto *layout = new QVBoxLayout(group);
        auto *exclusive = new QButtonGroup(group);
        for (QRadioButton *button : buttons) {
            button->setParent(group);
            layout->addWidget(button);
            exclusive->addButton(button);
        }
        return group;
    };
    auto radio = [page](const char *name, const QString &caption) {
        auto *button = Named<QRadioButton>(page, name);
        button->setText(caption);
        return button;
    };
    rbFormModeLast = radio("rbFormModeLast", QStringLiteral("The last time Tonaria was run"));
    rbFormModeUncloaked = radio("rbFormModeUncloaked", QStringLiteral("Always show main window"));
    rbFormModeCloaked = radio("rbFormModeCloaked", QStringLiteral("Always hide main window"));
    rbFloatModeLast = radio("rbFloatModeLast", QStringLiteral("The last time Tonaria was run"));
    rbFloatModeUncloaked =
        radio("rbFloatModeUncloaked", QStringLiteral("Always show floating window"));
    rbFloatModeCloaked = radio("rbFloatModeCloaked", QStringLiteral("Always hide floating window"));

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(modeGroup("gbFormMode", QStringLiteral("Main window startup mode"),
                                {rbFormModeLast, rbFormModeUncloaked, rbFormModeCloaked}));
    layout->addWidget(modeGroup("gbFloatMode", QStringLiteral("Floating window startup mode"),
                                {rbFloatModeLast, rbFloatModeUncloaked, rbFloatModeCloaked}));
    layout->addStretch();
}

void TfPref::CreateFastSeek()
{
    QWidget *page = Page(pcPref, "tsFastSeek", QStringLiteral("Fast Backward/Forward"));
    struct TRow {
        QSpinBox *TfPref::*spin;
        const char *spinName, *labelName, *unitName;
        const char *caption;
    };
    auto group = [this, page](const char *name, const QString &caption,
                              std::initializer_list<TRow> rows) {
        auto *box = Named<QGroupBox>(page, name);
        box->setTitle(caption);
        auto *form = new QFormLayout(box);
        for (const TRow &row : rows) {
            QSpinBox *spin = SpinEdit(box, row.spinName, 100, 60000);
            this->*row.spin = spin;
            form->addRow(Label(box, row.labelName, QString::fromLatin1(row.caption), spin),
                         WithUnit(box, spin, row.unitName, QStringLiteral("milliseconds")));
        }
        return box;
    };
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(
        group("gbFB", QStringLiteral("Fast Backward"),
              {{&TfPref::rseFBSkip, "rseFBSkip", "lFBSkip", "lFBSkipUnit", "Skip length:"},
               {&TfPref::rseFBInt, "rseFBInt", "lFBInt", "lFBIntUnit", "Interval:"},
               {&TfPref::rseFBDec, "rseFBDec", "lFBDec", "lFBDecUnit", "Interval decrement:"}}));
    layout->addWidget(
        group("gbFF", QStringLiteral("Fast Forward"),
              {{&TfPref::rseFFSkip, "rseFFSkip", "lFFSkip", "lFFSkipUnit", "Skip length:"},
               {&TfPref::rseFFInt, "rseFFInt", "lFFInt", "lFFIntUnit", "Interval:"},
               {&TfPref::rseFFDec, "rseFFDec", "lFFDec", "lFFDecUnit", "Interval decrement:"}}));
    layout->addStretch();
}

void TfPref::CreateNews()
{
    QWidget *page = Page(pcPref, "tsRozedAdivid", QStringLiteral("RozedAdivid"));
    lbSUStatus = Named<QListWidget>(page, "lbSUStatus");
    lbSUStatus->setMinimumHeight(90);
    cbSUAuto =
        CheckBox(page, "cbSUAuto", QStringLiteral("Automatically invoke when Tonaria starts"));
    cbSUAutoIfConnected =
        CheckBox(page, "cbSUAutoIfConnected",
                 QStringLiteral("Only if network connection is already established"));
    cbSUProxy = CheckBox(page, "cbSUProxy", QStringLiteral("Use proxy"));
    gbSUProxy = Frame(page, "gbSUProxy");
    eSUProxyServer = Named<QLineEdit>(gbSUProxy, "eSUProxyServer");
    rseSUProxyPort = SpinEdit(gbSUProxy, "rseSUProxyPort", 1, 65535);
    eSUProxyUsername = Named<QLineEdit>(gbSUProxy, "eSUProxyUsername");
    eSUProxyPassword = Named<QLineEdit>(gbSUProxy, "eSUProxyPassword");
    eSUProxyPassword->setEchoMode(QLineEdit::Password);
    // The password shows as stars, whatever the style's own mask character.
    eSUProxyPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));

    auto *proxy = new QFormLayout(gbSUProxy);
    auto *server = new QHBoxLayout;
    server->addWidget(eSUProxyServer, 1);
    server->addWidget(Label(gbSUProxy, "lSUProxyPort", QStringLiteral("Port:"), rseSUProxyPort));
    server->addWidget(rseSUProxyPort);
    proxy->addRow(Label(gbSUProxy, "lSUProxyServer", QStringLiteral("Server:"), eSUProxyServer),
                  server);
    proxy->addRow(
        Label(gbSUProxy, "lSUProxyUsername", QStringLiteral("Username:"), eSUProxyUsername),
        eSUProxyUsername);
    proxy->addRow(
        Label(gbSUProxy, "lSUProxyPassword", QStringLiteral("Password:"), eSUProxyPassword),
        eSUProxyPassword);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(Label(page, "lSUStatus", QStringLiteral("Last check status:"), lbSUStatus));
    layout->addWidget(lbSUStatus, 1);
    layout->addWidget(cbSUAuto);
    auto *ifConnected = new QHBoxLayout;
    ifConnected->addSpacing(20);
    ifConnected->addWidget(cbSUAutoIfConnected);
    layout->addLayout(ifConnected);
    layout->addSpacing(8);
    layout->addWidget(cbSUProxy);
    layout->addWidget(gbSUProxy);
}

void TfPref::CreateButtons()
{
    bOK = Button(this, "bOK", QStringLiteral("OK"));
    bOK->setDefault(true);
    bCancel = Button(this, "bCancel", QStringLiteral("Cancel"));
    bApply = Button(this, "bApply", QStringLiteral("&Apply"));
}

void TfPref::ConnectRules()
{
    for (QCheckBox *box : {cbReset, cbAPMActive, cbAPMFall, cbSUAuto, cbSUProxy})
        connect(box, &QCheckBox::toggled, this, &TfPref::EnablingRules);
    connect(cbThemeName, &QComboBox::editTextChanged, this, &TfPref::EnablingRules);
    connect(bOK, &QPushButton::clicked, this, &TfPref::bOKClick);
    connect(bCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(bApply, &QPushButton::clicked, this, &TfPref::bApplyClick);
    connect(bResetFileBrowse, &QPushButton::clicked, this, &TfPref::bResetFileBrowseClick);
    connect(bSaveLangFile, &QPushButton::clicked, this, &TfPref::bSaveLangFileClick);
    connect(bSaveTheme, &QPushButton::clicked, this, &TfPref::bSaveThemeClick);
    connect(bFonts, &QPushButton::clicked, this, [this] { PopUpBelow(pmFonts, bFonts); });
    connect(bColors, &QPushButton::clicked, this, [this] { PopUpBelow(pmColors, bColors); });
}

void TfPref::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TfPref::FormShow()
{
    LocaliseForm(this, false);
    pcPref->setCurrentIndex(0);
    for (const auto &b : kChecks)
        (this->*b.control)->setChecked(g_.*b.pref);
    for (const auto &b : kSpins)
        (this->*b.control)->setValue(g_.*b.pref);
    for (const auto &b : kTrackBars)
        (this->*b.control)->setValue(g_.*b.pref);
    for (const auto &b : kEdits)
        (this->*b.control)->setText(g_.*b.pref);
    FillResetList(g_.ResetFile);
    FillCombo(cbLang, NamesIn(g_.LangFolder, QStringLiteral(".tlg")), g_.Lang);
    FillCombo(cbThemeName, NamesIn(g_.ThemesFolder, QStringLiteral(".tui")), g_.ThemeName);
    CheckMode({rbFormModeLast, rbFormModeUncloaked, rbFormModeCloaked}, g_.FormMode);
    CheckMode({rbFloatModeLast, rbFloatModeUncloaked, rbFloatModeCloaked}, g_.FloatMode);
    EnablingRules();
    lbSUStatus->clear();
    lbSUStatus->addItems(g_.SUStatusLog);
    tsFileAssociations->Fill();
    tsPlugins->Fill();
}

void TfPref::EnablingRules()
{
    // A group and all inside it follow its check box; a box inside a disabled group is
    // disabled itself, so the fall-off group goes with the meter group.
    gbReset->setEnabled(cbReset->isEnabled() && cbReset->isChecked());
    gbAPM->setEnabled(cbAPMActive->isEnabled() && cbAPMActive->isChecked());
    gbAPMFall->setEnabled(cbAPMFall->isEnabled() && cbAPMFall->isChecked());
    gbSUProxy->setEnabled(cbSUProxy->isEnabled() && cbSUProxy->isChecked());
    cbSUAutoIfConnected->setEnabled(cbSUAuto->isChecked());
    bSaveTheme->setEnabled(!cbThemeName->currentText().isEmpty());
}

void TfPref::FillResetList(const QString &selected)
{
    QStringList names = QDir(g_.ResetFolder).entryList(QDir::Files);
    names.sort(Qt::CaseInsensitive);
    FillCombo(cbResetFile, names, selected);
}

void TfPref::bApplyClick()
{
    for (const auto &b : kChecks)
        g_.*b.pref = (this->*b.control)->isChecked();
    for (const auto &b : kSpins)
        g_.*b.pref = (this->*b.control)->value();
    for (const auto &b : kTrackBars)
        g_.*b.pref = (this->*b.control)->value();
    for (const auto &b : kEdits)
        g_.*b.pref = (this->*b.control)->text();
    g_.ResetFile = cbResetFile->currentText();
    g_.Lang = cbLang->currentText();
    g_.ThemeName = cbThemeName->currentText();
    g_.FormMode =
        std::uint8_t(CheckedMode({rbFormModeLast, rbFormModeUncloaked, rbFormModeCloaked}));
    g_.FloatMode =
        std::uint8_t(CheckedMode({rbFloatModeLast, rbFloatModeUncloaked, rbFloatModeCloaked}));

    const QString loadedTheme = g_.UIMan.Name;
    jukebox_.ApplyPreferences();
    if (g_.UIMan.Name != loadedTheme && ApplyThemeToWindows) ApplyThemeToWindows();
}

void TfPref::bOKClick()
{
    bApplyClick();
    g_.SavePreferences();
    close();
}

void TfPref::bResetFileBrowseClick()
{
    const QString picked = QFileDialog::getOpenFileName(
        this, QStringLiteral("Use MIDI Reset file"), QString(),
        QStringLiteral("MIDI files (*.mid *.rmi);;Standard MIDI files (*.mid);;"
                       "RIFF MIDI files (*.rmi);;All files (*)"));
    if (!picked.isEmpty()) CopyResetFile(picked);
}

bool TfPref::CopyResetFile(const QString &picked)
{
    const QString name = QFileInfo(picked).fileName();
    const QString target = g_.ResetFolder + name;
    if (QFileInfo::exists(target) &&
        ShowMessageById(QStringLiteral("AskOverwriteResetFile"), {picked, target},
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    // Read whole before the target is replaced: picking a file of the reset folder itself
    // must not destroy it.
    QFile source(picked);
    QString reason;
    bool copied = source.open(QIODevice::ReadOnly) && source.size() <= kMaxResetFileSize;
    if (copied) {
        const QByteArray bytes = source.readAll();
        copied = source.error() == QFileDevice::NoError && QDir().mkpath(g_.ResetFolder) &&
                 WriteFileAtomically(target, bytes, reason);
    }
    if (!copied) {
        ShowMessageById(QStringLiteral("ErrCannotCopyFile"), {picked, target}, MB_ICONERROR);
        return false;
    }
    FillResetList(name);
    return true;
}

void TfPref::bSaveLangFileClick()
{
    const QString name = cbLang->currentText();
    if (name.isEmpty()) {
        ShowMessageById(QStringLiteral("ErrCannotHaveEmptyLangFileField"), {}, MB_ICONERROR);
        return;
    }
    if (ShowMessageById(QStringLiteral("AskSureWannaRefreshLangFile"), {name},
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const QString path = g_.LangFolder + name + QStringLiteral(".tlg");
    if (!PlainFileName(name)) {
        ShowMessageById(QStringLiteral("ErrFileSave"), {path}, MB_ICONERROR);
        return;
    }
    if (!QFileInfo::exists(path) && ShowMessageById(QStringLiteral("AskFileDoesntExist"), {path},
                                                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    QDir().mkpath(g_.LangFolder);
    if (GenerateLanguageFile(path))
        FillCombo(cbLang, NamesIn(g_.LangFolder, QStringLiteral(".tlg")), name);
}

void TfPref::bSaveThemeClick()
{
    const QString name = cbThemeName->currentText();
    if (name.isEmpty()) return;
    if (ShowMessageById(QStringLiteral("AskSureWannaSaveThemeFile"), {name}, MB_YESNO) != IDYES)
        return;
    const QString path = g_.ThemesFolder + name + QStringLiteral(".tui");
    if (!PlainFileName(name)) {
        ShowMessageById(QStringLiteral("ErrFileSave"), {path}, MB_ICONERROR);
        return;
    }
    QDir().mkpath(g_.ThemesFolder);
    if (g_.UIMan.SaveToFile(path))
        FillCombo(cbThemeName, NamesIn(g_.ThemesFolder, QStringLiteral(".tui")), name);
}

void TfPref::PopUpBelow(QMenu *menu, QPushButton *button)
{
    menu->popup(button->mapToGlobal(button->rect().bottomLeft()));
}

QFont TfPref::FontPref(int index) const
{
    return FontFromPref(g_.*kFonts[index].pref);
}

QColor TfPref::ColourPref(int index) const
{
    return ColourToQColor(g_.*kColours[index].pref, palette());
}

void TfPref::SetFontPref(int index, const QFont &font)
{
    if (index < 0 || index >= int(std::size(kFonts))) return;
    g_.*kFonts[index].pref = FontToPref(font);
    jukebox_.ApplyPreferences();
}

void TfPref::SetColourPref(int index, const QColor &colour)
{
    if (index < 0 || index >= int(std::size(kColours)) || !colour.isValid()) return;
    g_.*kColours[index].pref = ColourFromQColor(colour);
    jukebox_.ApplyPreferences();
}

void TfPref::miFontsClicked(int index)
{
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, FontPref(index), this);
    if (chosen) SetFontPref(index, font);
}

void TfPref::miColorsClick(int index)
{
    const QColor colour = QColorDialog::getColor(ColourPref(index), this);
    if (colour.isValid()) SetColourPref(index, colour);
}

void TfPref::cbAPMActiveMouseDown()
{
    ShowMessageText(QStringLiteral("oh yeah baby!"), MB_OK);
}
