#include "skinwindows.h"

#include "presentation/skin/tbmpbtn.h"
#include "presentation/skin/tbmpled.h"
#include "presentation/skin/tdcdisruptor.h"
#include "presentation/skin/ttranslucentpanel.h"
#include "presentation/skin/ttransparentlabel.h"
#include "presentation/skin/ttransprogressbar.h"

namespace {

template <typename T> T *named(QWidget *parent, const QString &name)
{
    auto *w = new T(parent);
    w->setObjectName(name);
    return w;
}

void addButtons(QWidget *window, const QStringList &names)
{
    for (const QString &name : names) {
        auto *b = named<TBmpBtn>(window, name);
        b->SetBmpIndices(0, 1, 2, 3, 4, 0);
    }
}

} // namespace

const QStringList &TTestDisplay::ButtonNames()
{
    static const QStringList names = {"bbPower",
                                      "bbHide",
                                      "bbAddToProgram",
                                      "bbRemoveFromProgram",
                                      "bbRemoveFromAlbum",
                                      "bbModeLoad",
                                      "bbModeStore",
                                      "bb1",
                                      "bb2",
                                      "bb3",
                                      "bb4",
                                      "bb5",
                                      "bb6",
                                      "bb7",
                                      "bb8",
                                      "bb9",
                                      "bb0",
                                      "bbOpen",
                                      "bbPlay",
                                      "bbPause",
                                      "bbStop",
                                      "bbPrev",
                                      "bbRew",
                                      "bbFB",
                                      "bbFF",
                                      "bbNext",
                                      "bbEject",
                                      "bbClose",
                                      "bbMenu",
                                      "bbTitles",
                                      "bbPrograms",
                                      "bbAlbums",
                                      "bbEditTitle",
                                      "bbEditProgram",
                                      "bbEditAlbum",
                                      "bbView"};
    return names;
}

TTestDisplay::TTestDisplay() : TSkinForm(TSkinKind::Display, "fDisplay", "fsDisplay")
{
    resize(480, 200);
    CreatePictureCollections();
    addButtons(this, ButtonNames());
    auto *panel = named<TTranslucentPanel>(this, "tpDisplay");
    panel->setGeometry(10, 10, 300, 100);
    for (const char *name : {"tlTime", "tlTime2", "tlTimeTotal", "tlCaption"})
        named<TTransparentLabel>(panel, name);
    named<TTransProgressBar>(panel, "tpbDisplay");
    named<TBmpLED>(panel, "blL")->SetRange(0, 32768);
    named<TBmpLED>(panel, "blR")->SetRange(0, 32768);
    auto *flag = named<TDCDisruptor>(this, "dcdFlag");
    flag->PosX = 412;
    flag->PosY = 8;
    SetFlag(flag);
}

const QStringList &TTestFloat::ButtonNames()
{
    static const QStringList names = {"bbHide", "bbPlay", "bbPause", "bbStop", "bbFB",
                                      "bbPrev", "bbRew",  "bbNext",  "bbFF"};
    return names;
}

TTestFloat::TTestFloat() : TSkinForm(TSkinKind::Floatbar, "fFloat", "fsFloat")
{
    resize(320, 17);
    CreatePictureCollections();
    addButtons(this, ButtonNames());
    auto *caption = named<TTranslucentPanel>(this, "tpFloat");
    named<TTransparentLabel>(caption, "tlCaption");
    auto *time = named<TTranslucentPanel>(this, "tpTime");
    named<TTransparentLabel>(time, "tlTime");
}

void TTestFloat::resizeEvent(QResizeEvent *event)
{
    TSkinForm::resizeEvent(event);
    auto *hide = findChild<QWidget *>("bbHide");
    int x = hide->x() + hide->width() + 2;
    for (const char *name :
         {"bbPlay", "bbPause", "bbStop", "", "bbPrev", "bbRew", "bbFB", "bbFF", "bbNext"}) {
        if (!*name) {
            x += 2;
            continue;
        }
        auto *b = findChild<QWidget *>(name);
        b->move(x, b->y());
        x += b->width();
    }
    auto *time = findChild<QWidget *>("tpTime");
    auto *caption = findChild<QWidget *>("tpFloat");
    time->setGeometry(width() - time->width() - 4, 1, time->width(), height() - 2);
    caption->setGeometry(x + 2, 1, time->x() - (x + 2) - 2, height() - 2);
    // Each label fills its panel.
    for (QWidget *panel : {time, caption})
        for (auto *label : panel->findChildren<QWidget *>())
            label->setGeometry(panel->rect());
}
