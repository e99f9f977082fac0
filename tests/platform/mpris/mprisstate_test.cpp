// What the media-control service tells the desktop between two readings of the engine, and
// when a title counts as newly started for the now-playing notice.
#include "localisation/printqt.h"
#include "platform/mpris/mprisstate.h"
#include "platform/mpris/nowplayingnotice.h"

#include <gtest/gtest.h>

namespace {

TMprisState Reading(const QString &status, const QString &track = kMprisNoTrack)
{
    TMprisState state;
    state.playbackStatus = status;
    state.trackId = track;
    state.metadata.insert(QStringLiteral("xesam:url"), track);
    return state;
}

TEST(MprisState, OnlyWhatChangedIsToldAndThePositionNever)
{
    const TMprisState before = Reading(QStringLiteral("Playing"), QStringLiteral("/t/1"));
    TMprisState after = before;
    after.position += 5000000;
    EXPECT_TRUE(ChangedPlayerProperties(before, after).isEmpty());

    after = Reading(QStringLiteral("Paused"), QStringLiteral("/t/2"));
    after.canGoNext = true;
    after.shuffle = true;
    EXPECT_EQ(ChangedPlayerProperties(before, after).keys(),
              (QStringList{QStringLiteral("CanGoNext"), QStringLiteral("Metadata"),
                           QStringLiteral("PlaybackStatus"), QStringLiteral("Shuffle")}));
    EXPECT_EQ(
        ChangedPlayerProperties(before, after).value(QStringLiteral("PlaybackStatus")).toString(),
        QStringLiteral("Paused"));
}

TEST(MprisState, ANoticeIsDueOnceForEachTitleThatStartsPlaying)
{
    struct TStep {
        const char *status;
        const char *track;
        bool due;
    };
    const TStep steps[] = {
        {"Stopped", "/t/1", false}, // chosen, not playing
        {"Playing", "/t/1", true},   {"Paused", "/t/1", false},
        {"Playing", "/t/1", false},                             // resumed
        {"Playing", "/t/2", true},                              // the next title
        {"Stopped", "/t/2", false},  {"Playing", "/t/2", true}, // the same title again after a stop
        {"Playing", nullptr, false}, {"Playing", "/t/2", true},
    };
    QString noticed;
    for (const TStep &step : steps) {
        const QString track = step.track ? QLatin1String(step.track) : kMprisNoTrack;
        EXPECT_EQ(
            TNowPlayingNotice::NewTitleStarted(noticed, Reading(QLatin1String(step.status), track)),
            step.due)
            << step.status << ' ' << track.toStdString();
    }
}

} // namespace
