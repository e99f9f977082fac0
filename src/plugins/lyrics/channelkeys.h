#pragma once
// The keys part of the view: one thin keyboard of all 128 notes per MIDI channel, sixteen rows,
// each note lit in its channel's colour while it sounds. Rows of channels the song never plays
// stay dim.
//
// The lit notes are readable as the property litNotes ("channel:key", the channel counted from 1
// as musicians do), for tools that look at the view without seeing it.
//
// Threads: main thread.

#include "notetimeline.h"

#include <QStringList>
#include <QWidget>

class TChannelKeys : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList litNotes READ LitNotes)

public:
    explicit TChannelKeys(QWidget *parent = nullptr);

    void Show(const TNoteTimeline::TKeys &keys, std::uint16_t channelsUsed);

    QStringList LitNotes() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TNoteTimeline::TKeys keys_;
    std::uint16_t channelsUsed_ = 0;
};
