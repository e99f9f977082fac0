#pragma once
// Small makers of the preferences dialog's controls: each control named as the language file
// knows it, with its caption, range or steps.
//
// Threads: main thread only.

#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QWidget;

template <class TControl> TControl *Named(QWidget *parent, const char *name)
{
    auto *control = new TControl(parent);
    control->setObjectName(QLatin1String(name));
    return control;
}

QCheckBox *CheckBox(QWidget *parent, const char *name, const QString &caption);
QLabel *Label(QWidget *parent, const char *name, const QString &caption, QWidget *buddy = nullptr);
QPushButton *Button(QWidget *parent, const char *name, const QString &caption);
// A spin edit from 0 to maximum.
QSpinBox *SpinEdit(QWidget *parent, const char *name, int step, int maximum);
// A horizontal track bar stepping by 10.
QSlider *TrackBar(QWidget *parent, const char *name, int minimum, int maximum, int page);
// A group box drawn as a frame only: its check box above it is its caption.
QGroupBox *Frame(QWidget *parent, const char *name);
// A spin edit with its unit after it, as one row of a form.
QWidget *WithUnit(QWidget *parent, QSpinBox *spin, const char *unitName, const QString &unit);
// A track bar between the texts of its two ends.
QWidget *BetweenEnds(QWidget *parent, QSlider *bar, const char *minName, const QString &minText,
                     const char *maxName, const QString &maxText);
// A page of the tab control.
QWidget *Page(QTabWidget *tabs, const char *name, const QString &caption);
