#pragma once
// The news viewer "RozedAdivid News": the news files of the news folder, newest first, with
// the selected one's release date, link and message; Delete for every file but the newest,
// and the tick box that opens the viewer again at the next start.
//
// Threads: main thread only.

#include <QDialog>
#include <QString>
#include <QUrl>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class TPreferences;

class TfRozedAdivid : public QDialog {
    Q_OBJECT

public:
    TfRozedAdivid(TPreferences &preferences, const QString &newsFolder, QWidget *parent = nullptr);

    // Lists the news files again, newest first, and shows the first.
    void FillList();
    // The link of the row shown (empty when it has none that a browser may open).
    QUrl Link() const;

    QTreeWidget *lvNews;
    QLabel *lReleaseDate, *lDate, *lVisit, *lURL;
    QPlainTextEdit *mMessage;
    QCheckBox *cbRemind;
    QPushButton *bDelete, *bOK;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void ShowRow();
    void DeleteClick();
    void OKClick();
    void OpenLink();

    TPreferences &preferences_;
    QString newsFolder_;
    QString link_;
};
