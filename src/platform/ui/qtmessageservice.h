#pragma once
// The message-box service of a desktop session: each box is a modal QMessageBox with the icon
// and buttons its Windows flags ask for, and the answer is the Windows code of the button
// that closed it.
//
// Threads: main thread only.

#include "platform/system/messageservice.h"

class QMessageBox;
class QWidget;

class TQtMessageService : public TMessageService {
public:
    // Boxes are centred on parent when given.
    explicit TQtMessageService(QWidget *parent = nullptr);

    int show(const QString &text, const QString &caption, unsigned flags) override;

    // Builds the box show() runs, without running it.
    static void setUp(QMessageBox &box, const QString &text, const QString &caption,
                      unsigned flags);
    // The answer for the button that closed a box made by setUp().
    static int answerOf(const QMessageBox &box, unsigned flags);

private:
    QWidget *parent_;
};
