#include "core/displaytexts.h"

#include "core/displaysink.h"
#include "core/floatingbarsink.h"
#include "core/quicknumber.h"
#include "core/stationsink.h"
#include "core/timeformat.h"
#include "core/tonariaglobals.h"
#include "localisation/messageformat.h"
#include "localisation/showmessage.h"
#include "playback/sonoricmixer.h"
#include "playback/sonoricplayer.h"

TDisplayTexts::TDisplayTexts(TTonariaGlobals &globals, TSonoricPlayer &player)
    : g_(globals), player_(player)
{
}

TDisplayTexts::TPlayerTime TDisplayTexts::PlayerTime()
{
    TPlayerTime time;
    try {
        if (!player_.IsReady()) return time;
        time.format = player_.GetTimeFormat();
        time.ready = true;
    } catch (const ESonoricPlayerException &) {
        time = TPlayerTime();
    }
    return time;
}

QString TDisplayTexts::FormatWith(const TPlayerTime &time, std::uint32_t value, QStringView pattern)
{
    TTimeParts parts;
    if (time.ready) {
        parts = DecomposeTime(value, time.format);
        if (parts.Track == 0 && player_.HasTracks()) {
            try {
                parts.Track = player_.GetCurrentTrack();
            } catch (const ESonoricPlayerException &) {
                // The track stays 0.
            }
        }
    }
    return FormatTimeParts(parts, pattern);
}

QString TDisplayTexts::FormatTime(std::uint32_t value, QStringView pattern)
{
    return FormatWith(PlayerTime(), value, pattern);
}

QString TDisplayTexts::FormatPlayerTime(std::uint32_t value)
{
    const TPlayerTime time = PlayerTime();
    return FormatWith(time, value, DefaultTimePattern(time.ready ? time.format : 0));
}

QString TDisplayTexts::LyricLine(const TPlayerTime &time, std::uint32_t position)
{
    nextLyricDelay_ = -1;
    if (!time.ready || time.format != MCI_FORMAT_MILLISECONDS || !g_.LoadedTitle) return {};
    std::uint32_t mode = MCI_MODE_NOT_READY;
    try {
        mode = player_.GetMode();
    } catch (const ESonoricPlayerException &) {
        return {};
    }
    if (mode != MCI_MODE_PLAY && mode != MCI_MODE_PAUSE) return {};
    // The words are read once per file, when it is first seen playing.
    if (player_.Filename() != lyricsFile_) {
        lyricsFile_ = player_.Filename();
        lyrics_ = TMidiLyrics::FromFile(lyricsFile_);
    }
    if (lyrics_.Empty()) return {};
    if (mode == MCI_MODE_PLAY) {
        const std::int64_t next = lyrics_.NextStepAfter(position);
        if (next >= 0) nextLyricDelay_ = int(next - std::int64_t(position));
    }
    const QString *line = lyrics_.LineAt(position);
    return line ? *line : QString();
}

void TDisplayTexts::UpdateDisplay()
{
    // Captions.
    QString shortCaption, longCaption;
    if (g_.Sleeping) {
        shortCaption =
            FormatMessageText(GetMessageText(QStringLiteral("UISleep")), {g_.PauseDelay / 1000});
        longCaption = shortCaption;
    } else if (g_.LoadedTitle) {
        QString caption, subCaption;
        if (g_.ZipMode && g_.ZipMan) {
            caption = g_.ZipMan->CurrentCaption();
            subCaption = g_.ZipMan->CurrentSubCaption();
        } else {
            caption = g_.LoadedTitle->Caption;
            subCaption = g_.LoadedTitle->FileName;
        }
        shortCaption = caption;
        longCaption = subCaption.isEmpty()
                          ? caption
                          : caption + QStringLiteral(" (") + subCaption + QLatin1Char(')');
    } else {
        shortCaption = GetMessageText(QStringLiteral("UINoTitle"));
        longCaption = shortCaption;
    }

    // Position and length; while the position bar is dragged, the bar's position stands.
    std::uint32_t dragged = 0;
    const bool dragging = display_ && display_->DraggedPosition(dragged);
    TPlayerTime time = PlayerTime();
    std::uint32_t position = dragging ? dragged : 0;
    std::uint32_t length = 0;
    if (time.ready) {
        try {
            if (!dragging) position = player_.GetPosition();
            length = player_.GetLength();
        } catch (const ESonoricPlayerException &) {
            time = TPlayerTime();
            position = dragging ? dragged : 0;
            length = 0;
        }
    }

    // The line being sung takes the caption's place.
    if (!g_.Sleeping) {
        const QString lyric = LyricLine(time, position);
        if (!lyric.isEmpty()) {
            shortCaption = lyric;
            longCaption = lyric;
        }
    } else {
        nextLyricDelay_ = -1;
    }

    // The time left never goes below zero, even when the position has run past the length.
    const std::uint32_t remaining = position < length ? length - position : 0;
    const std::uint32_t primary = g_.TimeSwap ? remaining : position;
    const std::uint32_t secondary = g_.TimeSwap ? position : remaining;
    const QString pattern = DefaultTimePattern(time.ready ? time.format : 0);
    const QString primaryTime = FormatWith(time, primary, pattern);

    if (display_) {
        QString primaryText = primaryTime;
        if (!g_.QuickNumberDigits.isEmpty()) {
            primaryText = g_.QuickNumberDigits;
            const int width = QuickNumberWidth(g_.CurrentAlbum);
            if (primaryText.size() < width)
                primaryText += QString(width - primaryText.size(), QLatin1Char('-'));
        }
        display_->SetPositionBar(length, position);
        display_->SetCaption(longCaption);
        display_->SetTimes(primaryText, FormatWith(time, secondary, pattern),
                           FormatWith(time, length, pattern));
    }
    if (floatingBar_) {
        floatingBar_->SetCaption(shortCaption);
        floatingBar_->SetTime(primaryTime);
    }
    if (station_) {
        const QString title =
            shortCaption + QStringLiteral(" - ") + primaryTime + QStringLiteral(" - Tonaria");
        if (station_->ApplicationTitle() != title) station_->SetApplicationTitle(title);
        station_->SetTrayHint(title);
    }

    Notify(kNotifyDisplay);
}

void TDisplayTexts::UpdateDisplayControls()
{
    const bool opened = player_.Opened();
    const bool loaded = opened || g_.LoadedTitle != nullptr;
    const TTitle *source = g_.LoadedTitleSource;
    const TAlbum *album = g_.CurrentAlbum;
    const TProgram *program = album ? album->CurrentProgram : nullptr;
    const bool inProgram = program && source && program->IndexOf(source) >= 0;

    // A title can only be added to or removed from a list when its album record still exists.
    display_->SetControlEnabled(TDisplayControl::bbAddToProgram,
                                loaded && source && program && !inProgram);
    display_->SetControlEnabled(TDisplayControl::bbRemoveFromAlbum,
                                loaded && source && album && album->TitleIndex(source) >= 0);
    display_->SetControlEnabled(TDisplayControl::bbRemoveFromProgram,
                                loaded && program && !program->IsInternal() && inProgram);
    display_->SetControlEnabled(TDisplayControl::bbModeLoad, false);
    display_->SetControlEnabled(TDisplayControl::bbModeStore, false);
    for (int digit = 0; digit <= 9; ++digit) {
        const bool fits =
            program && !program->Titles.empty() &&
            QuickNumberPosition(program, g_.QuickNumberDigits + QChar(u'0' + digit)) >= 0;
        display_->SetControlEnabled(DigitButton(digit), fits);
    }
    display_->SetControlEnabled(TDisplayControl::tpbDisplay, loaded && opened);
    const PSPDeviceInfo device = player_.Device();
    display_->SetControlEnabled(TDisplayControl::bbEject, opened && device && device->CanEject);
}

QString TDisplayTexts::PlayHint() const
{
    const TAlbum *album = g_.CurrentAlbum;
    QString name;
    if (album && album->CurrentTitle != g_.LoadedTitleSource) {
        if (album->CurrentTitle) name = album->CurrentTitle->Caption;
    } else if (g_.LoadedTitle) {
        name = g_.LoadedTitle->Caption;
    }
    QString hint = GetMessageText(QStringLiteral("HintPlay"));
    if (!name.isEmpty()) hint += QLatin1Char(' ') + name;
    return hint + QStringLiteral(" (Ctrl+Space)");
}

QString TDisplayTexts::PreviousName() const
{
    const TZipMan *zip = g_.ZipMan.get();
    if (g_.ZipMode && zip && zip->CurrentIndex() > 0 && zip->CurrentIndex() <= zip->Count())
        return zip->Entries().at(zip->CurrentIndex() - 1);
    if (g_.LibraryReady && g_.CurrentAlbum) {
        if (const TTitle *title = g_.CurrentAlbum->PreviousTitle()) return title->Caption;
    }
    return QString();
}

QString TDisplayTexts::NextName() const
{
    const TZipMan *zip = g_.ZipMan.get();
    if (g_.ZipMode && zip && zip->CurrentIndex() >= 0 && zip->CurrentIndex() < zip->Count() - 1)
        return zip->Entries().at(zip->CurrentIndex() + 1);
    if (g_.LibraryReady && g_.CurrentAlbum) {
        const TAlbum *album = g_.CurrentAlbum;
        const TTitle *title =
            album->CurrentTitle == g_.LoadedTitleSource ? album->NextTitle() : album->CurrentTitle;
        if (title) return title->Caption;
    }
    return QString();
}

void TDisplayTexts::UpdateControls()
{
    if (!g_.StartingUp && !g_.ShuttingDown && display_) UpdateDisplayControls();

    if (station_) {
        const auto withName = [](const QString &id, const QString &name, const char *keys) {
            QString hint = GetMessageText(id);
            if (!name.isEmpty()) hint += FormatMessageText(QStringLiteral(": %s"), {name});
            return hint + QLatin1String(keys);
        };
        const auto plain = [](const QString &id, const char *keys) {
            return GetMessageText(id) + QLatin1String(keys);
        };
        station_->SetActionHint(TStationAction::aPlay, PlayHint());
        station_->SetActionHint(TStationAction::aPlayPause,
                                plain(QStringLiteral("HintPause"), " (Space)"));
        station_->SetActionHint(TStationAction::aPlayStop,
                                plain(QStringLiteral("HintStop"), " (.)"));
        station_->SetActionHint(
            TStationAction::aPlayPrev,
            withName(QStringLiteral("HintPrev"), PreviousName(), " (Ctrl+Left)"));
        station_->SetActionHint(TStationAction::aPlayRew,
                                plain(QStringLiteral("HintRew"), " (Home)"));
        station_->SetActionHint(TStationAction::aPlayFB,
                                plain(QStringLiteral("HintFB"), " (Page Up)"));
        station_->SetActionHint(TStationAction::aPlayFF,
                                plain(QStringLiteral("HintFF"), " (Page Down)"));
        station_->SetActionHint(TStationAction::aPlayNext,
                                withName(QStringLiteral("HintNext"), NextName(), " (Ctrl+Right)"));

        const bool opened = player_.Opened();
        std::uint32_t mode = MCI_MODE_NOT_READY;
        try {
            if (opened) mode = player_.GetMode();
        } catch (const ESonoricPlayerException &) {
            mode = MCI_MODE_NOT_READY;
        }
        const TAlbum *album = g_.CurrentAlbum;
        station_->SetActionEnabled(TStationAction::aPlay,
                                   opened || (album && album->CurrentTitle) || g_.LoadedTitle);
        station_->SetActionEnabled(TStationAction::aPlayPause,
                                   opened && (mode == MCI_MODE_PLAY || mode == MCI_MODE_PAUSE));
        for (const TStationAction action :
             {TStationAction::aPlayStop, TStationAction::aPlayPrev, TStationAction::aPlayRew,
              TStationAction::aPlayFB, TStationAction::aPlayFF, TStationAction::aPlayNext})
            station_->SetActionEnabled(action, opened);
    }

    Notify(kNotifyControls);
}

void TDisplayTexts::UpdateAnimation()
{
    if (g_.DisplayFlag && display_) display_->AdvanceAnimation();
    Notify(kNotifyAnimate);
}

void TDisplayTexts::UpdatePeakMeter()
{
    if (display_) {
        std::int32_t left = 0, right = 0;
        if (g_.Mixer) g_.Mixer->ReadPeak(left, right);
        display_->SetMeter(left, right);
    }
    Notify(kNotifyPeak);
}

void TDisplayTexts::Notify(std::uint32_t code)
{
    emit notified(code);
}
