#pragma once
// The view's window: the words over the keys, following the program's loaded title. Closing it
// only hides it; the program's View menu shows it again.
//
// Threads: main thread.

#include "hostlink.h"

#include <QWidget>

class TChannelKeys;
class TLyricsFollower;
class TLyricsPanel;

class TLyricsWindow : public QWidget {
    Q_OBJECT

public:
    explicit TLyricsWindow(TPIHostLink host, QWidget *parent = nullptr);

    // The host has refreshed its display or controls: see where the title stands now.
    void HostRefreshed();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void UpdateView();

    TLyricsFollower *follower_;
    TLyricsPanel *panel_;
    TChannelKeys *keys_;
};
