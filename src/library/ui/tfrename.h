#pragma once
// The small "Rename" dialog: a caption field with OK and Cancel. OK is enabled only while the
// field, trimmed, is not empty.
//
// Threads: main thread only.
#include <QDialog>

class QLineEdit;
class QPushButton;

class TfRename : public QDialog {
    Q_OBJECT

public:
    TfRename(const QString &caption, QWidget *parent = nullptr);

    QString Text() const;
    QLineEdit *Field() const { return eCaption; }
    QPushButton *OkButton() const { return bOK; }

    // Asks for a new name: the field's text after OK; the current name after Cancel, after
    // closing, or at once when a rename dialog is already open.
    static QString Execute(const QString &current, QWidget *parent = nullptr);
    // The open dialog, if any (tests answer it).
    static TfRename *Open();

private:
    QLineEdit *eCaption;
    QPushButton *bOK;
    QPushButton *bCancel;
};
