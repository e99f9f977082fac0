#pragma once
// "Multiple Choices": a list of texts to choose one of, with OK and Cancel.
//
// Threads: main thread only.
#include <QDialog>

class QListWidget;

class TfChoose : public QDialog {
    Q_OBJECT

public:
    explicit TfChoose(const QStringList &rows, QWidget *parent = nullptr);

    QListWidget *List() const { return lbChoose; }
    // The chosen row, -1 for none.
    int ChosenRow() const;

    // Shows the choice; the chosen row after OK, -1 after Cancel, closing, or with no rows.
    static int Execute(const QStringList &rows, QWidget *parent = nullptr);

private:
    QListWidget *lbChoose;
};
