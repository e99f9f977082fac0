#include "settings/ui/prefcontrols.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

QCheckBox *CheckBox(QWidget *parent, const char *name, const QString &caption)
{
    auto *box = Named<QCheckBox>(parent, name);
    box->setText(caption);
    return box;
}

QLabel *Label(QWidget *parent, const char *name, const QString &caption, QWidget *buddy)
{
    auto *label = Named<QLabel>(parent, name);
    label->setText(caption);
    if (buddy) label->setBuddy(buddy);
    return label;
}

QPushButton *Button(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = Named<QPushButton>(parent, name);
    button->setText(caption);
    return button;
}

QSpinBox *SpinEdit(QWidget *parent, const char *name, int step, int maximum)
{
    auto *spin = Named<QSpinBox>(parent, name);
    spin->setRange(0, maximum);
    spin->setSingleStep(step);
    spin->setMinimumWidth(90);
    return spin;
}

QSlider *TrackBar(QWidget *parent, const char *name, int minimum, int maximum, int page)
{
    auto *bar = Named<QSlider>(parent, name);
    bar->setOrientation(Qt::Horizontal);
    bar->setRange(minimum, maximum);
    bar->setSingleStep(10);
    bar->setPageStep(page);
    bar->setTickInterval(10);
    bar->setTickPosition(QSlider::TicksBelow);
    return bar;
}

// A group box drawn as a frame only: its check box above it is its caption.
QGroupBox *Frame(QWidget *parent, const char *name)
{
    auto *group = Named<QGroupBox>(parent, name);
    group->setProperty("tag", 2);
    return group;
}

// A spin edit with its unit after it, as one row of a form.
QWidget *WithUnit(QWidget *parent, QSpinBox *spin, const char *unitName, const QString &unit)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    spin->setParent(row);
    layout->addWidget(spin);
    layout->addWidget(Label(row, unitName, unit));
    layout->addStretch();
    return row;
}

// A track bar between the texts of its two ends.
QWidget *BetweenEnds(QWidget *parent, QSlider *bar, const char *minName, const QString &minText,
                     const char *maxName, const QString &maxText)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label(row, minName, minText));
    bar->setParent(row);
    layout->addWidget(bar, 1);
    layout->addWidget(Label(row, maxName, maxText));
    return row;
}

QWidget *Page(QTabWidget *tabs, const char *name, const QString &caption)
{
    auto *page = Named<QWidget>(tabs, name);
    tabs->addTab(page, caption);
    return page;
}
