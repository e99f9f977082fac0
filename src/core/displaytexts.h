#pragma once
// The display texts: what the user sees of the transport. UpdateDisplay writes the captions
// and times into the display window and the floating bar and the title into the taskbar and
// the tray; UpdateControls writes the hints and enabled states of the transport actions and
// the enabled states of the display window's buttons; UpdateAnimation and UpdatePeakMeter
// feed the display's flag and meter. Each ends by telling the plug-ins (the signal notified).
//
// The windows come and go: each installs its sink while it exists. Without a sink the writes
// meant for it are skipped; the rest still happens.
//
// While a title with sung words (lyric events, or a karaoke file's texts) plays or pauses, the
// line being sung stands for the title's caption everywhere the caption shows; NextLyricDelay
// then tells how soon the next syllable is due, so the refresh can come at its time.
//
// Reading the player never raises out of here: these run from the ticker's requests, and a
// device that fails a status question shows as not ready (zero times) instead.
//
// Threads: main thread only.

#include "platform/midi/midilyrics.h"
#include "tonaria/plugin.h"

#include <QObject>
#include <QString>
#include <QStringView>

#include <cstdint>

class TDisplaySink;
class TFloatingBarSink;
class TSonoricPlayer;
class TStationSink;
class TTonariaGlobals;

// What the plug-ins are told when each update has run.
inline constexpr std::uint32_t kNotifyControls = PI_NOTIFYCONTROLS;
inline constexpr std::uint32_t kNotifyDisplay = PI_NOTIFYDISPLAY;
inline constexpr std::uint32_t kNotifyAnimate = PI_NOTIFYANIMATE;
inline constexpr std::uint32_t kNotifyPeak = PI_NOTIFYPEAK;

class TDisplayTexts : public QObject {
    Q_OBJECT

public:
    // Reads the transport state, the preferences and the mixer from `globals`; the player is
    // the station's.
    TDisplayTexts(TTonariaGlobals &globals, TSonoricPlayer &player);
    TDisplayTexts(const TDisplayTexts &) = delete;
    TDisplayTexts &operator=(const TDisplayTexts &) = delete;

    // The windows install themselves (null: gone).
    void SetDisplay(TDisplaySink *sink) { display_ = sink; }
    void SetFloatingBar(TFloatingBarSink *sink) { floatingBar_ = sink; }
    void SetStation(TStationSink *sink) { station_ = sink; }
    TDisplaySink *Display() const { return display_; }
    TFloatingBarSink *FloatingBar() const { return floatingBar_; }


    // A time value of the player's current time format through the pattern; all parts are 0
    // while the player is not ready. A track of 0 on a medium with tracks is the current one.
    QString FormatTime(std::uint32_t value, QStringView pattern);
    // The same with the pattern that suits the player's time format.
    QString FormatPlayerTime(std::uint32_t value);

    void UpdateDisplay();
    // Milliseconds from the last UpdateDisplay until the next syllable of the playing title is
    // due; -1 when none is (no words, not playing, or the last one sung).
    int NextLyricDelay() const { return nextLyricDelay_; }
    void UpdateControls();
    void UpdateAnimation();
    void UpdatePeakMeter();

signals:
    // What the plug-ins are told after each update (a notification code).
    void notified(std::uint32_t code);

private:
    struct TPlayerTime {
        bool ready = false;
        std::uint32_t format = 0;
    };
    TPlayerTime PlayerTime();
    QString FormatWith(const TPlayerTime &time, std::uint32_t value, QStringView pattern);

    // The line being sung at position, or empty; keeps the words of the player's file and
    // sets nextLyricDelay_.
    QString LyricLine(const TPlayerTime &time, std::uint32_t position);
    void UpdateDisplayControls();
    QString PlayHint() const;
    QString PreviousName() const;
    QString NextName() const;
    void Notify(std::uint32_t code);

    TTonariaGlobals &g_;
    TSonoricPlayer &player_;
    TDisplaySink *display_ = nullptr;
    TFloatingBarSink *floatingBar_ = nullptr;
    TStationSink *station_ = nullptr;
    TMidiLyrics lyrics_;
    QString lyricsFile_;
    int nextLyricDelay_ = -1;
};
