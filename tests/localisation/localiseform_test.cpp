#include "localisation/ui/languageforms.h"
#include "localisation/lm.h"
#include "localisation/ui/localiseform.h"
#include "printqt.h"
#include "support/testenv.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

template <class T> T *Named(T *object, const char *name, int tag = 0, const char *hint = nullptr)
{
    object->setObjectName(S(name));
    if (tag != 0) object->setProperty("tag", tag);
    if constexpr (requires { object->setToolTip(QString()); }) {
        if (hint) object->setToolTip(S(hint));
    }
    return object;
}

// A window with a control of each kind and tags 0, 1 and 2.
class TTestForm : public QWidget {
public:
    explicit TTestForm(QWidget *parent = nullptr) : QWidget(parent)
    {
        ++alive;
        Named(this, "fTest");
        setWindowTitle(S("Design title"));
        label = Named(new QLabel(S("Label"), this), "lName", 0, "Label hint");
        check = Named(new QCheckBox(S("Check"), this), "cbOption", 1, "Check hint");
        fixed = Named(new QPushButton(S("Fixed"), this), "bFixed", 2, "Fixed hint");
        auto *box = Named(new QGroupBox(S("Group"), this), "gbBox");
        radio = Named(new QRadioButton(S("Radio"), box), "rbChoice");
        auto *tabs = new QTabWidget(this);
        tabs->addTab(Named(new QWidget, "tsPage"), S("Page"));
        auto *menu = Named(new QMenu(this), "pmMenu");
        item = Named(menu->addAction(S("Item")), "miItem");
        menu->addSeparator();
        QMenu *sub = Named(menu->addMenu(S("Sub")), "miSub");
        sub->menuAction()->setProperty("tag", 1);
        subItem = Named(sub->addAction(S("Sub item")), "miSubItem");
        auto *actions = Named(new QObject(this), "alTest");
        action = Named(new QAction(S("Act"), actions), "aAct", 0, "Act hint");
        hintOnly = Named(new QAction(S("Hint only"), actions), "aHintOnly", 1, "Only hint");
        Named(new QAction(S("Fixed act"), actions), "aFixed", 2, "Fixed act hint");
    }
    ~TTestForm() override { --alive; }

    static inline int alive = 0;
    QLabel *label;
    QCheckBox *check;
    QPushButton *fixed;
    QRadioButton *radio;
    QAction *item, *subItem, *action, *hintOnly;
};

const char kTranslation[] = "[fTest]\nfTest=Title\nlName=L\nlName.Hint=LH\ncbOption=no\n"
                            "cbOption.Hint=CH\nbFixed=no\nbFixed.Hint=no\ngbBox=G\nrbChoice=R\n"
                            "tsPage=P\nmiItem=I\nmiSub=no\nmiSubItem=SI\naAct=A\naAct.Hint=AH\n"
                            "aHintOnly=no\naHintOnly.Hint=HH\naFixed=no\naFixed.Hint=no\n";

} // namespace

TEST(LocaliseForm, TagsChooseWhatIsTranslated)
{
    TLM lm;
    lm.LoadFromText(kTranslation);
    TTestForm form;
    LocaliseForm(lm, &form, false);
    EXPECT_EQ(form.windowTitle(), S("Title"));
    EXPECT_EQ(form.label->text(), S("L"));
    EXPECT_EQ(form.label->toolTip(), S("LH"));
    EXPECT_EQ(form.check->text(), S("Check"));
    EXPECT_EQ(form.check->toolTip(), S("CH"));
    EXPECT_EQ(form.fixed->text(), S("Fixed"));
    EXPECT_EQ(form.fixed->toolTip(), S("Fixed hint"));
    EXPECT_EQ(form.radio->text(), S("R"));
    // A radio button placed by hand takes its new caption's width.
    EXPECT_EQ(form.radio->size(), QSize(form.fontMetrics().horizontalAdvance(S("R")) + 22, 16));
    EXPECT_EQ(form.findChild<QTabWidget *>()->tabText(0), S("P"));
    EXPECT_EQ(form.item->text(), S("I"));
    EXPECT_EQ(form.findChild<QMenu *>(S("miSub"))->title(), S("Sub"));
    EXPECT_EQ(form.subItem->text(), S("SI"));
    EXPECT_EQ(form.action->text(), S("A"));
    EXPECT_EQ(form.action->toolTip(), S("AH"));
    EXPECT_EQ(form.hintOnly->text(), S("Hint only"));
    EXPECT_EQ(form.hintOnly->toolTip(), S("HH"));
}

TEST(LocaliseForm, MissingGroupOrEmptyValueKeepsTheDesign)
{
    TLM lm;
    lm.LoadFromText("[Other]\nfTest=no\n");
    TTestForm form;
    LocaliseForm(lm, &form, false);
    EXPECT_EQ(form.windowTitle(), S("Design title"));
    EXPECT_EQ(lm.GroupCount(), 1);

    lm.LoadFromText("[fTest]\nlName=\n");
    LocaliseForm(lm, &form, false);
    EXPECT_EQ(form.label->text(), S("Label"));
}

TEST(LocaliseForm, GenerateRecordsTextsAndPrunesStaleEntries)
{
    TLM lm;
    lm.LoadFromText("[fTest]\nlGone=stale\nlName=\nmiItem=Kept\n");
    TTestForm form;
    LocaliseForm(lm, &form, true);
    TLMGroup &group = *lm.FindGroup(u"fTest");
    group.Sort();
    EXPECT_EQ(group.Lines(),
              QStringList({S("aAct.Hint=Act hint"), S("aAct=Act"), S("aHintOnly.Hint=Only hint"),
                           S("cbOption.Hint=Check hint"), S("fTest=Design title"), S("gbBox=Group"),
                           S("lName.Hint=Label hint"), S("lName=Label"), S("miItem=Kept"),
                           S("miSubItem=Sub item"), S("rbChoice=Radio"), S("tsPage=Page")}));
    EXPECT_EQ(form.item->text(), S("Kept"));
}

TEST(LocaliseForm, GenerateLanguageFileWalksMadeAndExistingForms)
{
    TTestEnvironment env;
    TLM lm;
    lm.LoadFromText("[Unused]\n[Globals]\nErrX=Message stays\n");
    QWidget existing;
    Named(&existing, "fExisting");
    Named(new QLabel(S("Here"), &existing), "lHere");
    QWidget *slot = nullptr;
    const std::vector<TLanguageForm> forms{
        MakeLanguageForm<TTestForm>(reinterpret_cast<TTestForm *const *>(&slot)),
        {[] { return new QWidget; }, [&existing] { return &existing; }}};

    const QString path = env.scratch() + S("New.tlg");
    ASSERT_TRUE(GenerateLanguageFile(lm, forms, path));
    EXPECT_EQ(TTestForm::alive, 0);
    const QByteArray text = TTestEnvironment::readFile(path);
    EXPECT_TRUE(text.startsWith(
        "[Globals]\r\nErrX=Message stays\r\n\r\n[fTest]\r\naAct.Hint=Act hint\r\n"));
    EXPECT_TRUE(text.endsWith("[fExisting]\r\nfExisting=\r\nlHere=Here\r\n"));
    EXPECT_FALSE(text.contains("[Unused]"));
}
