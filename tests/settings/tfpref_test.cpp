// The preferences dialog offscreen over a real station: every control shows its stored value
// and OK stores the changed one; Cancel drops changes; the enabling rules; the reset-file copy;
// the language and theme files; the association and plug-in tabs.
#include "core/tonariaglobals.h"
#include "library/ui/tfchoose.h"
#include "localisation/lm.h"
#include "localisation/printqt.h"
#include "platform/system/messageservice.h"
#include "platform/system/registry.h"
#include "playback/player_support.h"
#include "plugins/pihost_support.h"
#include "presentation/skin/tbmpbtn.h"
#include "presentation/skin/ttransparentlabel.h"
#include "presentation/skin/ttransprogressbar.h"
#include "presentation/tfdisplay.h"
#include "presentation/tfstation.h"
#include "settings/ui/assoctab.h"
#include "settings/ui/plugintab.h"
#include "settings/ui/tfpref.h"
#include "support/drivenclock.h"
#include "support/testenv.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

// One control of the dialog: the registry value it edits, the value stored there before, what
// the control shows then, what the test sets and what OK stores.
struct TControlRow {
    const char *control;
    const char *value;
    QVariant stored, shown, set, saved;
};

const TControlRow kRows[] = {
    {"cbAutoOpenTitle", "AutoOpenTitle", 0, false, true, 1},
    {"rseQuickNumber", "QuickNumber", 3500, 3500, 4000, 4000},
    {"rsePauseDelay", "PauseDelay", 1000, 1000, 1500, 1500},
    {"cbReset", "Reset", 1, true, false, 0},
    {"cbResetFile", "ResetFile", "GS Reset.mid", "GS Reset.mid", "XG Reset.mid", "XG Reset.mid"},
    {"cbAPMActive", "APMActive", 0, false, true, 1},
    {"tbAPMInterval", "APMInterval", 40, 40, 70, 70},
    {"cbAPMFall", "APMFall", 0, false, true, 1},
    {"tbAPMFallInterval", "APMFallInterval", 120, 120, 200, 200},
    {"cbAllowFly", "AllowFly", 0, false, true, 1},
    {"cbAutoSnap", "AutoSnap", 1, true, false, 0},
    {"rseTitlesGutter", "TitlesGutter", 24, 24, 32, 32},
    {"cbLang", "Lang", "English", "English", "English", "English"},
    {"cbThemeName", "ThemeName", "Default", "Default", "Midnight", "Midnight"},
    {"rbFormModeCloaked", "FormMode", 1, false, true, 2},
    {"rbFloatModeCloaked", "FloatMode", 2, true, true, 2},
    {"rseFBSkip", "FBSkip", 2000, 2000, 3000, 3000},
    {"rseFBInt", "FBInt", 900, 900, 800, 800},
    {"rseFBDec", "FBDec", 50, 50, 200, 200},
    {"rseFFSkip", "FFSkip", 6000, 6000, 7000, 7000},
    {"rseFFInt", "FFInt", 1100, 1100, 1200, 1200},
    {"rseFFDec", "FFDec", 150, 150, 300, 300},
    {"cbSUAuto", "SUAuto", 0, false, true, 1},
    {"cbSUAutoIfConnected", "SUAutoIfConnected", 1, true, false, 0},
    {"cbSUProxy", "SUProxy", 1, true, false, 0},
    {"eSUProxyServer", "SUProxyServer", "proxy.example", "proxy.example", "cache.example",
     "cache.example"},
    {"rseSUProxyPort", "SUProxyPort", 3128, 3128, 8081, 8081},
    {"eSUProxyUsername", "SUProxyUsername", "ann", "ann", "bob", "bob"},
    {"eSUProxyPassword", "SUProxyPassword", "s3cret", "s3cret", "hunter2", "hunter2"},
};

QVariant Shown(QWidget *w)
{
    if (auto *b = qobject_cast<QAbstractButton *>(w)) return b->isChecked();
    if (auto *s = qobject_cast<QSpinBox *>(w)) return s->value();
    if (auto *s = qobject_cast<QSlider *>(w)) return s->value();
    if (auto *e = qobject_cast<QLineEdit *>(w)) return e->text();
    if (auto *c = qobject_cast<QComboBox *>(w)) return c->currentText();
    return {};
}

void Set(QWidget *w, const QVariant &value)
{
    if (auto *b = qobject_cast<QAbstractButton *>(w)) b->setChecked(value.toBool());
    if (auto *s = qobject_cast<QSpinBox *>(w)) s->setValue(value.toInt());
    if (auto *s = qobject_cast<QSlider *>(w)) s->setValue(value.toInt());
    if (auto *e = qobject_cast<QLineEdit *>(w)) e->setText(value.toString());
    if (auto *c = qobject_cast<QComboBox *>(w)) c->setCurrentIndex(c->findText(value.toString()));
}

QByteArray RegistryLine(const char *name, const QVariant &value)
{
    const QByteArray quoted = '"' + QByteArray(name) + "\"=";
    if (value.typeId() == QMetaType::QString) return quoted + '"' + value.toByteArray() + "\"\r\n";
    return quoted + "dword:" + QByteArray::number(value.toInt(), 16).rightJustified(8, '0') +
           "\r\n";
}

// Copies a folder with everything below it.
void CopyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QDir source(from);
    for (const QFileInfo &entry :
         source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + u'/' + entry.fileName();
        if (entry.isDir())
            CopyTree(entry.filePath(), target);
        else if (!QFile::exists(target))
            QFile::copy(entry.filePath(), target);
    }
}

class PrefDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestSoundFont();
        // The desktop is the test's own: whatever it writes stays in the test's folders, and
        // neither the machine's defaults nor the user's leak in.
        qputenv("XDG_CONFIG_HOME", env.scratch().toUtf8() + "config");
        qputenv("XDG_DATA_HOME", env.scratch().toUtf8() + "data");
        qputenv("XDG_CONFIG_DIRS", env.scratch().toUtf8() + "etc");
        qputenv("XDG_DATA_DIRS", env.scratch().toUtf8() + "sys");
        qputenv("XDG_CURRENT_DESKTOP", QByteArray());
        CopyTree(TTestEnvironment::sourceData() + QStringLiteral("Themes"),
                 env.home() + QStringLiteral("Themes"));
    }

    // A started station over a registry holding the table's stored values.
    void Start(bool prepared = true)
    {
        if (prepared) {
            QByteArray text =
                "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + kVisibleKey.toUtf8() + "]\r\n";
            for (const TControlRow &row : kRows)
                text += RegistryLine(row.value, row.stored);
            QFile file(env.config());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        station = std::make_unique<TfStation>(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
        station->StartUp(ParseCommandLine({}));
        station->FirstShow();
        QCoreApplication::processEvents();
    }
    TfPref &Open()
    {
        station->aMiscPref->trigger();
        QCoreApplication::processEvents();
        return *station->Preferences();
    }
    TTonariaGlobals &G() { return station->Jukebox().GlobalState(); }
    QWidget *Control(TfPref &pref, const char *name)
    {
        return pref.findChild<QWidget *>(QLatin1String(name));
    }
    static std::optional<QVariant> Stored(const QString &config, const TControlRow &row)
    {
        TRegistryStore store(config);
        store.load();
        TRegistry reg(store);
        if (!reg.OpenKey(kVisibleKey, false)) return std::nullopt;
        if (row.saved.typeId() == QMetaType::QString) {
            auto text = reg.ReadString(QLatin1String(row.value));
            return text ? std::optional<QVariant>(*text) : std::nullopt;
        }
        auto number = reg.ReadInteger(QLatin1String(row.value));
        return number ? std::optional<QVariant>(*number) : std::nullopt;
    }
    // Answers the next modal dialog (the choice) with its row, or -1 for Cancel.
    void AnswerChoice(int row)
    {
        QTimer::singleShot(0, [row] {
            auto *choose = qobject_cast<TfChoose *>(QApplication::activeModalWidget());
            if (!choose) return;
            if (row < 0) return choose->reject();
            choose->List()->setCurrentRow(row);
            choose->accept();
        });
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    TDrivenClock clock;
    std::unique_ptr<TfStation> station;
};

TEST_F(PrefDialogTest, ShowsEveryPreferenceAndOKStoresTheChangedValues)
{
    Start();
    TfDisplay *display = station->Display();
    ASSERT_NE(display, nullptr);
    const QPoint defaultPlace = display->Button(QStringLiteral("bb0"))->pos();
    TfPref &pref = Open();
    EXPECT_TRUE(pref.isVisible());
    EXPECT_FALSE(pref.isModal());
    EXPECT_EQ(pref.windowTitle(), QStringLiteral("Preferences"));
    EXPECT_EQ(pref.pcPref->currentIndex(), 0);
    for (const TControlRow &row : kRows) {
        QWidget *control = Control(pref, row.control);
        ASSERT_NE(control, nullptr) << row.control;
        EXPECT_EQ(Shown(control), row.shown) << row.control;
        Set(control, row.set);
    }
    EXPECT_EQ(pref.cbResetFile->count(), 3);
    EXPECT_EQ(pref.cbThemeName->itemText(0), QStringLiteral("Default"));
    EXPECT_EQ(pref.cbThemeName->itemText(1), QStringLiteral("Midnight"));
    // Opening again while open keeps the edits.
    EXPECT_EQ(&Open(), &pref);
    EXPECT_EQ(pref.rseQuickNumber->value(), 4000);

    QPointer<TfPref> alive(&pref);
    pref.bOK->click();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(station->Preferences(), nullptr);
    for (const TControlRow &row : kRows)
        EXPECT_EQ(Stored(env.config(), row), row.saved) << row.value;

    // The windows took the new theme and the player its reset state.
    EXPECT_EQ(G().UIMan.Name, QStringLiteral("Midnight"));
    ASSERT_EQ(station->Display(), display);
    EXPECT_NE(display->Button(QStringLiteral("bb0"))->pos(), defaultPlace);
    EXPECT_TRUE(station->Jukebox().Player().FileMIDIReset().isEmpty());
}

TEST_F(PrefDialogTest, CancelChangesNothing)
{
    Start();
    TfPref &pref = Open();
    for (const TControlRow &row : kRows)
        Set(Control(pref, row.control), row.set);
    const QByteArray before = TTestEnvironment::readFile(env.config());
    pref.bCancel->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(station->Preferences(), nullptr);
    EXPECT_EQ(TTestEnvironment::readFile(env.config()), before);
    EXPECT_EQ(G().QuickNumber, 3500);
    EXPECT_EQ(G().ThemeName, QStringLiteral("Default"));
    // A new dialog shows the values as they were.
    EXPECT_EQ(Open().rseQuickNumber->value(), 3500);
}

TEST_F(PrefDialogTest, GroupsFollowTheirCheckBoxes)
{
    Start();
    TfPref &pref = Open();
    struct TRule {
        QCheckBox *box;
        QWidget *follower;
        QWidget *inside;
    };
    const TRule rules[] = {
        {pref.cbReset, pref.gbReset, pref.bResetFileBrowse},
        {pref.cbAPMActive, pref.gbAPM, pref.tbAPMInterval},
        {pref.cbAPMFall, pref.gbAPMFall, pref.tbAPMFallInterval},
        {pref.cbSUProxy, pref.gbSUProxy, pref.eSUProxyPassword},
        {pref.cbSUAuto, pref.cbSUAutoIfConnected, pref.cbSUAutoIfConnected},
    };
    pref.cbAPMActive->setChecked(true);
    for (const TRule &rule : rules) {
        for (const bool on : {true, false, true}) {
            rule.box->setChecked(on);
            EXPECT_EQ(rule.follower->isEnabled(), on) << rule.box->objectName().toStdString();
            EXPECT_EQ(rule.inside->isEnabled(), on) << rule.box->objectName().toStdString();
        }
    }
    // The whole meter group goes off with the meter, fall-off included, whatever its box says.
    pref.cbAPMFall->setChecked(true);
    pref.cbAPMActive->setChecked(false);
    EXPECT_FALSE(pref.cbAPMFall->isEnabled());
    EXPECT_FALSE(pref.gbAPMFall->isEnabled());
    EXPECT_FALSE(pref.tbAPMFallInterval->isEnabled());
    pref.cbAPMActive->setChecked(true);
    EXPECT_TRUE(pref.tbAPMFallInterval->isEnabled());

    EXPECT_EQ(pref.eSUProxyPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(pref.lbSUStatus->count(), G().SUStatusLog.size());

    // The meter check box answers a right-button press.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2),
                      pref.cbAPMActive->mapToGlobal(QPointF(2, 2)), Qt::RightButton,
                      Qt::RightButton, {});
    QApplication::sendEvent(pref.cbAPMActive, &press);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("oh yeah baby!"));
}

TEST_F(PrefDialogTest, CopyingAResetFileAsksBeforeReplacingAndReportsFailures)
{
    Start(false);
    TfPref &pref = Open();
    const QString folder = G().ResetFolder;
    const QString mine = env.writeFile(QStringLiteral("GM Reset.mid"), "mine");
    const QByteArray shipped = TTestEnvironment::readFile(folder + QStringLiteral("GM Reset.mid"));
    ASSERT_FALSE(shipped.isEmpty());

    boxes.queueAnswer(IDNO);
    EXPECT_FALSE(pref.CopyResetFile(mine));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(
        boxes.boxes()[0].text,
        QStringLiteral("The reset folder already holds a file of that name.\r\n\r\nDo you want "
                       "to copy \"%1\" over \"%2GM Reset.mid\"?")
            .arg(mine, folder));
    EXPECT_EQ(boxes.boxes()[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(TTestEnvironment::readFile(folder + QStringLiteral("GM Reset.mid")), shipped);

    boxes.queueAnswer(IDYES);
    EXPECT_TRUE(pref.CopyResetFile(mine));
    EXPECT_EQ(TTestEnvironment::readFile(folder + QStringLiteral("GM Reset.mid")), "mine");
    EXPECT_EQ(pref.cbResetFile->currentText(), QStringLiteral("GM Reset.mid"));

    // A file of the reset folder itself survives being copied over itself.
    boxes.queueAnswer(IDYES);
    EXPECT_TRUE(pref.CopyResetFile(folder + QStringLiteral("GM Reset.mid")));
    EXPECT_EQ(TTestEnvironment::readFile(folder + QStringLiteral("GM Reset.mid")), "mine");

    // A new name is copied without a question; a file that cannot be read is reported.
    const QString fresh = env.writeFile(QStringLiteral("Roland.mid"), "gs");
    boxes.clear();
    EXPECT_TRUE(pref.CopyResetFile(fresh));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(pref.cbResetFile->count(), 4);
    EXPECT_EQ(pref.cbResetFile->currentText(), QStringLiteral("Roland.mid"));
    EXPECT_FALSE(pref.CopyResetFile(env.scratch() + QStringLiteral("gone.mid")));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("Cannot copy the file \"%1gone.mid\" to "
                                                    "\"%2gone.mid\".")
                                         .arg(env.scratch(), folder));
    EXPECT_EQ(boxes.boxes()[0].flags & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(pref.cbResetFile->currentText(), QStringLiteral("Roland.mid"));
}

TEST_F(PrefDialogTest, SavesTheLanguageWithEveryMessageAndTheMergedTheme)
{
    Start(false);
    TfPref &pref = Open();

    pref.cbLang->setEditText(QString());
    pref.bSaveLangFile->click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral("Please type the name of the language file to save."));

    // A new language: asked twice; No to either writes nothing.
    const QString path = G().LangFolder + QStringLiteral("Klingon.tlg");
    pref.cbLang->setEditText(QStringLiteral("Klingon"));
    for (int no : {0, 1}) {
        boxes.queueAnswer(no == 0 ? IDNO : IDYES);
        if (no == 1) boxes.queueAnswer(IDNO);
        pref.bSaveLangFile->click();
        EXPECT_FALSE(QFile::exists(path));
    }
    boxes.clear();
    boxes.queueAnswer(IDYES);
    boxes.queueAnswer(IDYES);
    pref.bSaveLangFile->click();
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].text, QStringLiteral("The language file \"%1\" does not exist "
                                                    "yet.\r\n\r\nDo you want to create it?")
                                         .arg(path));
    TLM english, written;
    english.LoadFromText(TTestEnvironment::readFile(TTestEnvironment::sourceData() +
                                                    QStringLiteral("Lang/English.tlg")));
    written.LoadFromText(TTestEnvironment::readFile(path));
    for (const QString &line : english.FindGroup(QStringLiteral("Globals"))->Lines()) {
        const QString id = line.section(u'=', 0, 0);
        EXPECT_FALSE(written.Lookup(u"Globals", id).isEmpty()) << id.toStdString();
    }
    EXPECT_EQ(written.Lookup(u"fPref", u"cbAPMActive"), QStringLiteral("Enable Audio Peak Meter"));
    EXPECT_EQ(written.Lookup(u"fPref", u"sbAssoc.Hint"),
              QStringLiteral("Associate this file type with Tonaria"));
    EXPECT_EQ(pref.cbLang->findText(QStringLiteral("Klingon")), 1);

    // A name with a path of its own is refused.
    boxes.clear();
    pref.cbThemeName->setEditText(QStringLiteral("../Escape"));
    boxes.queueAnswer(IDYES);
    pref.bSaveTheme->click();
    EXPECT_FALSE(QFile::exists(G().ExeFolder + QStringLiteral("Escape.tui")));
    EXPECT_EQ(boxes.boxes().back().flags & MB_ICONMASK, MB_ICONERROR);

    // The theme: Midnight laid over Default, saved whole.
    pref.cbThemeName->setCurrentIndex(pref.cbThemeName->findText(QStringLiteral("Midnight")));
    pref.bApply->click();
    ASSERT_EQ(G().UIMan.Name, QStringLiteral("Midnight"));
    pref.cbThemeName->setEditText(QStringLiteral("Mine"));
    boxes.clear();
    boxes.queueAnswer(IDYES);
    pref.bSaveTheme->click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].flags, MB_YESNO);
    const QByteArray saved =
        TTestEnvironment::readFile(G().ThemesFolder + QStringLiteral("Mine.tui"));
    EXPECT_EQ(saved, G().UIMan.SaveToText());
    EXPECT_TRUE(saved.contains("fDisplay.bb0.Glyph=Midnight/glyphs/0-12.png"));
    pref.cbThemeName->setEditText(QString());
    EXPECT_FALSE(pref.bSaveTheme->isEnabled());
}

TEST_F(PrefDialogTest, FontsAndColoursTakeEffectAtOnce)
{
    Start(false);
    TfPref &pref = Open();
    pref.SetFontPref(1, QFont(QStringLiteral("Serif"), 30));
    pref.SetColourPref(4, QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(G().FPrimaryTime.Size, 30);
    EXPECT_EQ(G().CPositionBar, 0x302010u);
    EXPECT_EQ(pref.ColourPref(4), QColor(0x10, 0x20, 0x30));
    TfDisplay *display = station->Display();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->tpbDisplay->Color(), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(display->tlTime->font().family(), QStringLiteral("Serif"));
    pref.bCancel->click();
    EXPECT_EQ(G().CPositionBar, 0x302010u);
}

TEST_F(PrefDialogTest, AssociateIsOfferedForSupportedTypesNotYetTonarias)
{
    Start(false);
    TfPref &pref = Open();
    TAssocTab &tab = *pref.tsFileAssociations;
    QStringList associated{QStringLiteral("mid")};
    QStringList asked;
    tab.Desktop.Supported = [](const QString &ext) { return ext != QLatin1String("avi"); };
    tab.Desktop.CurrentDefault = [&](const QString &ext) {
        return associated.contains(ext) ? QStringLiteral("tonaria.desktop")
                                        : QStringLiteral("other.desktop");
    };
    tab.Desktop.IsTonariaDefault = [&](const QString &ext) { return associated.contains(ext); };
    tab.Desktop.Associate = [&](const QString &ext, QString *) {
        asked << ext;
        associated << ext;
        return true;
    };
    tab.Fill();
    QTreeWidget *list = tab.lvAssoc;
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(list->topLevelItem(3)->text(2), QStringLiteral(".avi"));
    EXPECT_EQ(list->topLevelItem(1)->text(3), QStringLiteral("tonaria.desktop"));
    EXPECT_FALSE(list->topLevelItem(1)->icon(0).isNull());
    EXPECT_TRUE(list->topLevelItem(0)->icon(0).isNull());

    // Video is no type this build plays: its row is there, greyed, and cannot be chosen.
    EXPECT_EQ(list->topLevelItem(3)->text(3), QStringLiteral("(not supported by this build)"));
    EXPECT_FALSE(list->topLevelItem(3)->flags() & Qt::ItemIsEnabled);
    const bool enabled[] = {true, false, true};
    for (int row = 0; row < 3; ++row) {
        list->setCurrentItem(list->topLevelItem(row));
        EXPECT_EQ(tab.sbAssoc->isEnabled(), enabled[row]) << row;
    }
    list->setCurrentItem(list->topLevelItem(2));
    tab.sbAssoc->click();
    EXPECT_EQ(asked, QStringList{QStringLiteral("rmi")});
    EXPECT_FALSE(tab.sbAssoc->isEnabled());
    EXPECT_EQ(list->currentItem()->text(3), QStringLiteral("tonaria.desktop"));
    // The classes-root record and the class it points at are saved.
    TRegistryStore store(env.config());
    store.load();
    TRegistry reg(store);
    reg.SetRootKey(TRegistry::THive::ClassesRoot);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\.rmi"), false));
    EXPECT_EQ(reg.ReadString(QString()), QStringLiteral("Tonaria3.MediaFile"));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("\\Tonaria3.MediaFile\\Shell\\Open\\Command")));
}

TEST_F(PrefDialogTest, AssociatingMidiFilesMakesTonariaTheDesktopsDefault)
{
    Start(false);
    TfPref &pref = Open();
    TAssocTab &tab = *pref.tsFileAssociations;
    QTreeWidget *list = tab.lvAssoc;
    QTreeWidgetItem *midi = list->topLevelItem(1);
    ASSERT_EQ(midi->text(1), QStringLiteral("MIDI files"));
    list->setCurrentItem(midi);
    EXPECT_TRUE(midi->icon(0).isNull());
    EXPECT_EQ(midi->text(3), QString());
    ASSERT_TRUE(tab.sbAssoc->isEnabled());

    boxes.clear();
    tab.sbAssoc->click();
    EXPECT_TRUE(boxes.boxes().empty()) << boxes.boxes()[0].text.toStdString();
    midi = list->currentItem();
    ASSERT_EQ(list->indexOfTopLevelItem(midi), 1);
    EXPECT_FALSE(midi->icon(0).isNull());
    EXPECT_EQ(midi->text(3), QStringLiteral("tonaria.desktop"));
    EXPECT_FALSE(tab.sbAssoc->isEnabled());
    TRegistryStore store(env.config());
    store.load();
    TRegistry reg(store);
    reg.SetRootKey(TRegistry::THive::ClassesRoot);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\.mid"), false));
    EXPECT_EQ(reg.ReadString(QString()), QStringLiteral("Tonaria3.MediaFile"));
}

TEST_F(PrefDialogTest, PluginTabShowsTheLoadedPluginsAndConfiguresThem)
{
    const QString hello = CopyTestPlugin(env, QStringLiteral("hello"));
    const QString broken = env.writeFile(QStringLiteral("broken.tpi"), "no library");
    WritePluginList(env, {hello, broken});
    Start(false);
    TfPref &pref = Open();
    TPluginTab &tab = *pref.tsPlugins;
    struct {
        QString path, name, loaded;
    } const expected[] = {
        {hello, QStringLiteral("Hello, the example plug-in"), QStringLiteral("Yes")},
        {broken, QStringLiteral("broken.tpi"), QStringLiteral("No")},
    };
    ASSERT_EQ(tab.lvPI->topLevelItemCount(), 2);
    for (const auto &row : expected) {
        const auto found = tab.lvPI->findItems(row.path, Qt::MatchExactly, 2);
        ASSERT_EQ(found.size(), 1) << row.path.toStdString();
        EXPECT_EQ(found[0]->text(0), row.name);
        EXPECT_EQ(found[0]->text(1), row.loaded);
        tab.lvPI->setCurrentItem(found[0]);
        EXPECT_EQ(tab.sbPIConfigure->isEnabled(), row.path == hello);
    }

    // The example has no options of its own: it tells what it is instead.
    tab.lvPI->setCurrentItem(tab.lvPI->findItems(hello, Qt::MatchExactly, 2).value(0));
    boxes.clear();
    tab.sbPIConfigure->click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Hello"));
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral("Hello, the example plug-in\r\r"
                             "Shows how a plug-in registers a view and answers the host."));
    EXPECT_EQ(boxes.boxes()[0].flags & MB_ICONMASK, MB_ICONINFORMATION);
}

TEST_F(PrefDialogTest, PluginTabInstallsAndRemovesListedPaths)
{
    Start(false);
    TfPref &pref = Open();
    TPluginTab &tab = *pref.tsPlugins;
    const QString folder = G().PluginsFolder;
    QDir().mkpath(folder + QStringLiteral("deep"));
    for (const char *name : {"a.tpi", "deep/B.TPI", "notes.txt"})
        QFile(folder + QLatin1String(name)).open(QIODevice::WriteOnly);

    EXPECT_FALSE(tab.sbPIRemove->isEnabled());
    EXPECT_FALSE(tab.sbPIConfigure->isEnabled());
    AnswerChoice(1);
    tab.sbPIInstall->click();
    EXPECT_EQ(G().PluginList, QStringList{folder + QStringLiteral("deep/B.TPI")});
    ASSERT_EQ(tab.lvPI->topLevelItemCount(), 1);
    EXPECT_EQ(tab.lvPI->topLevelItem(0)->text(0), QStringLiteral("B.TPI"));
    EXPECT_EQ(tab.lvPI->topLevelItem(0)->text(1), QStringLiteral("No"));
    AnswerChoice(-1);
    tab.sbPIInstall->click();
    EXPECT_EQ(G().PluginList.size(), 1);
    AnswerChoice(0);
    tab.sbPIInstall->click();
    ASSERT_EQ(G().PluginList.size(), 2);

    // Every plug-in below the folder is listed: nothing to install.
    boxes.clear();
    tab.sbPIInstall->click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral("There are no new plug-ins to install in the plug-ins folder."));
    EXPECT_EQ(boxes.boxes()[0].flags & MB_ICONMASK, MB_ICONINFORMATION);

    // A plug-in that is not loaded can be removed, after a question, but not configured.
    tab.lvPI->setCurrentItem(tab.lvPI->topLevelItem(1));
    EXPECT_TRUE(tab.sbPIRemove->isEnabled());
    EXPECT_FALSE(tab.sbPIConfigure->isEnabled());
    boxes.clear();
    boxes.queueAnswer(IDNO);
    tab.sbPIRemove->click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(boxes.boxes()[0].text.contains(QStringLiteral("\"a.tpi\"")));
    EXPECT_EQ(G().PluginList.size(), 2);
    boxes.queueAnswer(IDYES);
    tab.sbPIRemove->click();
    EXPECT_EQ(G().PluginList, QStringList{folder + QStringLiteral("deep/B.TPI")});
    EXPECT_EQ(tab.lvPI->topLevelItemCount(), 1);
    // OK saves the list into the Plugins key.
    pref.bOK->click();
    TRegistryStore store(env.config());
    store.load();
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey(kPluginsKey, false));
    EXPECT_EQ(reg.GetValueNames(), G().PluginList);
}

TEST_F(PrefDialogTest, EveryTabShowsItsControlsWhole)
{
    Start();
    TfPref &pref = Open();
    // TONARIA_SCREENS names a folder that gets a picture of each tab.
    const QString screens = qEnvironmentVariable("TONARIA_SCREENS");
    for (int tab = 0; tab < pref.pcPref->count(); ++tab) {
        pref.pcPref->setCurrentIndex(tab);
        QWidget *page = pref.pcPref->widget(tab);
        QCoreApplication::processEvents();
        for (QWidget *control : page->findChildren<QWidget *>()) {
            if (!control->isVisible() || control->objectName().isEmpty()) continue;
            const QRect place(control->mapTo(page, QPoint(0, 0)), control->size());
            EXPECT_TRUE(page->rect().contains(place)) << control->objectName().toStdString();
            EXPECT_GE(control->width(), control->minimumSizeHint().width())
                << control->objectName().toStdString();
        }
        if (!screens.isEmpty())
            pref.grab().save(screens + QStringLiteral("/preferences-") + page->objectName() +
                             QStringLiteral(".png"));
    }
}

} // namespace
