#include "platform/ui/qtmessageservice.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <vector>

namespace {

struct TButton {
    QMessageBox::StandardButton button;
    int answer;
};

// The buttons of each box type, in the order they appear.
std::vector<TButton> buttonsOf(unsigned flags)
{
    using B = QMessageBox;
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{B::Ok, IDOK}, {B::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{B::Abort, IDABORT}, {B::Retry, IDRETRY}, {B::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL:
        return {{B::Yes, IDYES}, {B::No, IDNO}, {B::Cancel, IDCANCEL}};
    case MB_YESNO:
        return {{B::Yes, IDYES}, {B::No, IDNO}};
    case MB_RETRYCANCEL:
        return {{B::Retry, IDRETRY}, {B::Cancel, IDCANCEL}};
    default:
        return {{B::Ok, IDOK}};
    }
}

QMessageBox::Icon iconOf(unsigned flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

TQtMessageService::TQtMessageService(QWidget *parent) : parent_(parent) {}

void TQtMessageService::setUp(QMessageBox &box, const QString &text, const QString &caption,
                              unsigned flags)
{
    box.setText(text);
    box.setWindowTitle(caption);
    box.setIcon(iconOf(flags));
    const auto buttons = buttonsOf(flags);
    QMessageBox::StandardButtons set;
    for (const TButton &b : buttons)
        set |= b.button;
    box.setStandardButtons(set);
    // MB_DEFBUTTON2 and MB_DEFBUTTON3 pick the second or third button.
    const std::size_t def = (flags >> 8) & 0x3;
    box.setDefaultButton(buttons[def < buttons.size() ? def : 0].button);
    // Escape answers Cancel where there is one, and OK in a box with only OK.
    if (set & QMessageBox::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons.size() == 1)
        box.setEscapeButton(buttons.front().button);
}

int TQtMessageService::answerOf(const QMessageBox &box, unsigned flags)
{
    const auto buttons = buttonsOf(flags);
    const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
    for (const TButton &b : buttons) {
        if (b.button == clicked) return b.answer;
    }
    // Closed without a button (the window's close box): as Escape would answer.
    if (box.standardButtons() & QMessageBox::Cancel) return IDCANCEL;
    return buttons.size() == 1 ? buttons.front().answer : defaultAnswer(flags);
}

int TQtMessageService::show(const QString &text, const QString &caption, unsigned flags)
{
    QMessageBox box(parent_);
    setUp(box, text, caption, flags);
    box.exec();
    return answerOf(box, flags);
}
