#pragma once
// "Preferences": the modeless dialog in which the user edits the preferences, saves the
// language on screen and the loaded theme as files, copies MIDI reset files into the reset
// folder, associates file types with Tonaria and installs, removes and configures plug-ins.
//
//     auto *pref = new TfPref(jukebox);   // frees itself when closed
//     pref->ApplyThemeToWindows = ...;    // re-themes the skinned windows after a theme change
//     pref->show();                       // copies the preferences into the controls
//
// The preferences live in the global state: showing copies them into the controls, Apply copies
// them back and pushes them into the running program, OK applies and saves them, Cancel drops
// what was not applied. Fonts and colours are the exception: a choice takes effect at once.
//
// Threads: main thread only.

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class TAssocTab;
class TJukebox;
class TPluginTab;
class TTonariaGlobals;

class TfPref : public QDialog {
    Q_OBJECT

public:
    explicit TfPref(TJukebox &jukebox, QWidget *parent = nullptr);
    ~TfPref() override;

    // Called after Apply loaded another theme: the skinned windows take it.
    std::function<void()> ApplyThemeToWindows;

    // ---- What the buttons do (the dialogs they open are the desktop's) ----
    // Copies every control into its preference and applies the preferences.
    void bApplyClick();
    void bOKClick();
    // Copies a picked file into the reset folder, asking before a file there is replaced.
    // True when the file was copied.
    bool CopyResetFile(const QString &picked);
    void bSaveLangFileClick();
    void bSaveThemeClick();
    // A font (0 to 5, in the order of the font menu) or colour (0 to 6) chosen: stored and
    // applied at once.
    void SetFontPref(int index, const QFont &font);
    void SetColourPref(int index, const QColor &colour);
    QFont FontPref(int index) const;
    QColor ColourPref(int index) const;

    // ---- The controls, named as their preferences ----
    QTabWidget *pcPref;
    // General
    QCheckBox *cbAutoOpenTitle, *cbReset;
    QSpinBox *rseQuickNumber, *rsePauseDelay;
    QGroupBox *gbReset;
    QComboBox *cbResetFile;
    QPushButton *bResetFileBrowse;
    // Audio Peak Meter
    QCheckBox *cbAPMActive, *cbAPMFall;
    QGroupBox *gbAPM, *gbAPMFall;
    QSlider *tbAPMInterval, *tbAPMFallInterval;
    // User Interface
    QCheckBox *cbAllowFly, *cbAutoSnap;
    QSpinBox *rseTitlesGutter;
    QPushButton *bFonts, *bColors, *bSaveLangFile, *bSaveTheme;
    QComboBox *cbLang, *cbThemeName;
    QMenu *pmFonts, *pmColors;
    // Startup
    QRadioButton *rbFormModeLast, *rbFormModeUncloaked, *rbFormModeCloaked;
    QRadioButton *rbFloatModeLast, *rbFloatModeUncloaked, *rbFloatModeCloaked;
    // Fast Backward/Forward
    QSpinBox *rseFBSkip, *rseFBInt, *rseFBDec, *rseFFSkip, *rseFFInt, *rseFFDec;
    // RozedAdivid
    QListWidget *lbSUStatus;
    QCheckBox *cbSUAuto, *cbSUAutoIfConnected, *cbSUProxy;
    QGroupBox *gbSUProxy;
    QLineEdit *eSUProxyServer, *eSUProxyUsername, *eSUProxyPassword;
    QSpinBox *rseSUProxyPort;
    // File Associations, Plug-ins
    TAssocTab *tsFileAssociations;
    TPluginTab *tsPlugins;
    // The dialog's buttons
    QPushButton *bOK, *bCancel, *bApply;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CreateGeneral();
    void CreateMeter();
    void CreateUserInterface();
    void CreateStartup();
    void CreateFastSeek();
    void CreateNews();
    void CreateButtons();
    void ConnectRules();

    void FormShow();
    void EnablingRules();
    void FillResetList(const QString &selected);
    void bResetFileBrowseClick();
    void PopUpBelow(QMenu *menu, QPushButton *button);
    void miFontsClicked(int index);
    void miColorsClick(int index);
    void cbAPMActiveMouseDown();

    TJukebox &jukebox_;
    TTonariaGlobals &g_;
};
