#include "lyricswindow.h"

#include "channelkeys.h"
#include "lyricsfollower.h"
#include "lyricspanel.h"
#include "viewcolours.h"

#include <QHideEvent>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

QString Caption()
{
    return QStringLiteral("Lyrics and keys");
}

// Minutes and seconds: "3:07".
QString ClockText(std::int64_t ms)
{
    const std::int64_t seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TLyricsWindow::TLyricsWindow(TPIHostLink host, QWidget *parent)
    : QWidget(parent, Qt::Window), follower_(new TLyricsFollower(host, this)),
      panel_(new TLyricsPanel), keys_(new TChannelKeys)
{
    setObjectName(QStringLiteral("lyricsWindow"));
    follower_->setObjectName(QStringLiteral("follower"));
    QPalette dark = palette();
    dark.setColor(QPalette::Window, ViewColours::Window);
    dark.setColor(QPalette::WindowText, ViewColours::Unsung);
    setPalette(dark);
    setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(panel_, 5);
    layout->addWidget(keys_, 4);
    resize(760, 540);

    connect(follower_, &TLyricsFollower::Changed, this, &TLyricsWindow::UpdateView);
    UpdateView();
}

void TLyricsWindow::HostRefreshed()
{
    follower_->Refresh(true);
}

void TLyricsWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    follower_->SetShown(true);
}

void TLyricsWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Minimised too: nothing is asked until the window is seen again.
    follower_->SetShown(false);
}

void TLyricsWindow::UpdateView()
{
    const TLyricsSong &song = follower_->Song();
    const std::int64_t position = follower_->Position();
    const std::int64_t length = follower_->Length();
    const bool loaded = follower_->State() != PH_STATE_CLOSED;

    TLyricsPanel::TShown shown;
    if (!loaded) {
        shown.Title = Caption();
        shown.Message = QStringLiteral("No title is loaded.");
    } else {
        shown.Title = song.Title;
        if (length > 0) {
            shown.Time = ClockText(position) + QStringLiteral(" / ") + ClockText(length);
            shown.Progress = double(std::min(position, length)) / double(length);
        }
        const int line = song.Words.LineAt(position);
        if (follower_->Loading()) {
            shown.Message = QStringLiteral("Reading the title\u2026");
        } else if (line < 0) {
            shown.Message =
                !song.Problem.isEmpty() ? song.Problem : QStringLiteral("This title has no words.");
        } else {
            const auto &lines = song.Words.Lines();
            shown.Line = lines[std::size_t(line)].Text;
            shown.Sung = song.Words.SungLength(line, position);
            if (std::size_t(line) + 1 < lines.size()) {
                shown.Next = lines[std::size_t(line) + 1].Text;
                shown.NextBeginsVerse = lines[std::size_t(line) + 1].Paragraph;
            }
        }
    }
    // The window's own title names the song, for the task bar.
    const QString title = loaded && !song.Title.isEmpty()
                              ? song.Title + QStringLiteral(" \u2014 ") + Caption()
                              : Caption();
    if (windowTitle() != title) setWindowTitle(title);
    panel_->Show(shown);
    keys_->Show(loaded ? song.Notes.KeysAt(position) : TNoteTimeline::TKeys{},
                loaded ? song.Notes.ChannelsUsed() : 0);
}
