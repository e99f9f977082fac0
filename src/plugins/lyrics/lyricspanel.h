#pragma once
// The words part of the view: the title's name and time on top, the current line in large type
// with its sung syllables lit, the next line below it in smaller, quieter type, and a thin bar of
// the position along the bottom. When there are no words it shows why, in the middle.
//
// What it shows is readable as properties (lineText, sungText, nextLineText, titleText,
// messageText), for tools that look at the view without seeing it.
//
// Threads: main thread.

#include <QString>
#include <QWidget>

class TLyricsPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString lineText READ LineText)
    Q_PROPERTY(QString sungText READ SungText)
    Q_PROPERTY(QString nextLineText READ NextLineText)
    Q_PROPERTY(QString titleText READ TitleText)
    Q_PROPERTY(QString messageText READ MessageText)

public:
    struct TShown {
        QString Title;
        QString Time;    // "1:02 / 3:45", or ""
        QString Message; // shown instead of words when there are none
        QString Line;
        qsizetype Sung = 0; // characters of Line sung
        QString Next;
        bool NextBeginsVerse = false; // a short rule between the lines marks the new verse
        double Progress = -1;         // 0 to 1 along the title; below 0: no bar

        bool operator==(const TShown &) const = default;
    };

    explicit TLyricsPanel(QWidget *parent = nullptr);

    void Show(const TShown &shown);

    QString LineText() const { return shown_.Line; }
    QString SungText() const { return shown_.Line.left(shown_.Sung); }
    QString NextLineText() const { return shown_.Next; }
    QString TitleText() const { return shown_.Title; }
    QString MessageText() const { return shown_.Message; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Whole pixels of the position bar, so that a position that moves no pixel paints nothing.
    int ProgressPixels(double progress) const;

    TShown shown_;
};
