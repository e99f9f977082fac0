#pragma once
// Stand-ins for the display window and the floating bar: skinned windows holding every
// component a theme addresses, at places of their own until a theme moves them.
#include "presentation/skin/tskinform.h"

#include <QStringList>

class TTestDisplay : public TSkinForm {
public:
    TTestDisplay();
    static const QStringList &ButtonNames();
};

// Lays its buttons and panels out from left to right as the floating bar does.
class TTestFloat : public TSkinForm {
public:
    TTestFloat();
    static const QStringList &ButtonNames();

protected:
    void resizeEvent(QResizeEvent *event) override;
};
