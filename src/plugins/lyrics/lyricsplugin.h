#pragma once
// The plug-in itself: answers the host's messages, registers the one view, and shows and hides
// its window when the program's View menu says so.
//
// The window is made the first time it is shown, closed at PI_SHUTDOWN, and everything is freed
// at PI_FINALIZE. PI_CONFIGURE answers 0: there is nothing to set, so the host shows the about box.
//
// Threads: main thread; the host calls nothing from any other.

#include "hostlink.h"
#include "tonaria/plugin.h"

#include <QByteArray>
#include <QPointer>

class TLyricsWindow;

class TLyricsPlugin {
public:
    static constexpr const char *Name = "Lyrics";
    static constexpr const char *Title = "Lyrics and keys";
    static constexpr const char *Caption = "Lyrics and keys";
    static constexpr const char *About =
        "Shows the words of the playing MIDI or karaoke title, each syllable lit as it is sung, "
        "over a small keyboard for each of the 16 MIDI channels that lights the notes as they "
        "sound.";

    TLyricsPlugin() = default;
    TLyricsPlugin(const TLyricsPlugin &) = delete;
    TLyricsPlugin &operator=(const TLyricsPlugin &) = delete;
    ~TLyricsPlugin();

    void Handle(TPIMessage &message);

    // Answers a text query: the size `text` needs, its zero included; the text itself goes into
    // the buffer when there is one, cut to its size on a whole UTF-8 character.
    static std::intptr_t AnswerText(const QByteArray &text, std::uintptr_t buffer,
                                    std::uintptr_t size);

private:
    std::intptr_t ViewMessage(TPISubMessage &message);
    bool Shown() const;
    void SetVisible(bool visible);
    void CloseWindow();

    TPIHostLink host_;
    std::intptr_t viewId_ = -1;
    QPointer<TLyricsWindow> window_;
};
