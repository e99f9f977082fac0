#include "platform/ui/colourmap.h"
#include "platform/ui/qtmessageservice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Shows a box through the service and presses the given button (or closes the box).
int answerBox(unsigned flags, QMessageBox::StandardButton press, unsigned *shownIcon = nullptr)
{
    TQtMessageService service;
    QTimer::singleShot(0, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (shownIcon) *shownIcon = unsigned(box->icon());
        if (press == QMessageBox::NoButton)
            box->reject();
        else
            box->button(press)->click();
    });
    return service.show(QStringLiteral("text"), QStringLiteral("Tonaria"), flags);
}

} // namespace

TEST(QtMessageService, ButtonsAndAnswersFollowTheBoxFlags)
{
    unsigned icon = 0;
    EXPECT_EQ(answerBox(MB_YESNO | MB_ICONWARNING, QMessageBox::No, &icon), IDNO);
    EXPECT_EQ(icon, unsigned(QMessageBox::Warning));
    EXPECT_EQ(answerBox(MB_YESNOCANCEL | MB_ICONQUESTION, QMessageBox::Cancel), IDCANCEL);
    EXPECT_EQ(answerBox(MB_ABORTRETRYIGNORE, QMessageBox::Ignore), IDIGNORE);
    EXPECT_EQ(answerBox(MB_RETRYCANCEL | MB_ICONERROR, QMessageBox::Retry, &icon), IDRETRY);
    EXPECT_EQ(icon, unsigned(QMessageBox::Critical));
    EXPECT_EQ(answerBox(MB_OK, QMessageBox::Ok, &icon), IDOK);
    EXPECT_EQ(icon, unsigned(QMessageBox::NoIcon));
    // Closing a box without a button answers as Escape would.
    EXPECT_EQ(answerBox(MB_OKCANCEL, QMessageBox::NoButton), IDCANCEL);
    EXPECT_EQ(answerBox(MB_OK | MB_ICONINFORMATION, QMessageBox::NoButton), IDOK);

    QMessageBox box;
    TQtMessageService::setUp(box, QStringLiteral("t"), QStringLiteral("c"),
                             MB_YESNO | MB_DEFBUTTON2);
    EXPECT_EQ(static_cast<QAbstractButton *>(box.defaultButton()), box.button(QMessageBox::No));
    EXPECT_EQ(box.buttons().size(), 2);
}

TEST(ColourMap, PlainPaletteRelativeAndSystemColours)
{
    EXPECT_EQ(ColourToQColor(0x004080FF), QColor(0xFF, 0x80, 0x40));
    EXPECT_EQ(ColourToQColor(0x024080FF), QColor(0xFF, 0x80, 0x40));
    EXPECT_EQ(ColourToQColor(0x01000001), QColor(0x80, 0, 0)); // palette index 1
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Highlight, QColor(4, 5, 6));
    EXPECT_EQ(ColourToQColor(0x8000000F, palette), QColor(1, 2, 3)); // button face
    EXPECT_EQ(ColourToQColor(0x8000000D, palette), QColor(4, 5, 6)); // highlight
    EXPECT_EQ(ColourFromQColor(QColor(0xFF, 0x80, 0x40, 7)), 0x004080FFu);
}
