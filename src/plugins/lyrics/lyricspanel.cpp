#include "lyricspanel.h"

#include "viewcolours.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMargin = 18;
constexpr int kBarHeight = 3;

// A font of the given pixel size, shrunk until `text` fits `width` (never below a readable size).
QFont FittedFont(QFont font, double pixelSize, const QString &text, double width)
{
    font.setPixelSize(std::max(1, int(pixelSize)));
    const double natural = QFontMetricsF(font).horizontalAdvance(text);
    if (natural > width && natural > 0)
        font.setPixelSize(std::max(11, int(std::floor(pixelSize * width / natural))));
    return font;
}

} // namespace

TLyricsPanel::TLyricsPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("lyricsPanel"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Lyrics"));
}

QSize TLyricsPanel::sizeHint() const
{
    return {640, 220};
}

QSize TLyricsPanel::minimumSizeHint() const
{
    return {280, 130};
}

int TLyricsPanel::ProgressPixels(double progress) const
{
    if (progress < 0) return -1;
    return int(std::clamp(progress, 0.0, 1.0) * (width() - 2 * kMargin));
}

void TLyricsPanel::Show(const TShown &shown)
{
    if (shown == shown_) return;
    TShown words = shown_;
    words.Progress = shown.Progress;
    words.Time = shown.Time;
    const bool positionOnly = words == shown;
    const bool barMoved = ProgressPixels(shown.Progress) != ProgressPixels(shown_.Progress);
    const bool timeChanged = shown.Time != shown_.Time;
    shown_ = shown;
    if (!positionOnly) {
        update();
        return;
    }
    // The position alone repaints the bar when it grows by a pixel, and the time.
    if (barMoved) update(0, height() - kMargin - kBarHeight - 2, width(), kBarHeight + 4);
    if (timeChanged) update(0, 0, width(), kMargin + 24);
}

void TLyricsPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), ViewColours::Window);

    // The card.
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(card.topLeft(), card.bottomLeft());
    fill.setColorAt(0, ViewColours::CardTop);
    fill.setColorAt(1, ViewColours::CardBottom);
    QPainterPath shape;
    shape.addRoundedRect(card, 10, 10);
    painter.fillPath(shape, fill);
    painter.setPen(QPen(ViewColours::CardEdge, 1));
    painter.drawPath(shape);

    const double inner = width() - 2.0 * kMargin;

    // The title and the time.
    QFont small = font();
    small.setPixelSize(std::clamp(height() / 16, 11, 14));
    painter.setFont(small);
    const QFontMetricsF smallMetrics(small);
    const double topLine = kMargin + smallMetrics.ascent();
    const double timeWidth = smallMetrics.horizontalAdvance(shown_.Time);
    painter.setPen(ViewColours::Quiet);
    painter.drawText(QPointF(width() - kMargin - timeWidth, topLine), shown_.Time);
    painter.setPen(ViewColours::Caption);
    painter.drawText(QPointF(kMargin, topLine),
                     smallMetrics.elidedText(shown_.Title, Qt::ElideRight,
                                             inner - timeWidth - (timeWidth > 0 ? 16 : 0)));

    // The position along the title.
    const double barTop = height() - kMargin - kBarHeight;
    if (shown_.Progress >= 0) {
        const QRectF track(kMargin, barTop, inner, kBarHeight);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ViewColours::Track);
        painter.drawRoundedRect(track, 1.5, 1.5);
        painter.setBrush(ViewColours::SungDim);
        painter.drawRoundedRect(
            QRectF(kMargin, barTop, ProgressPixels(shown_.Progress), kBarHeight), 1.5, 1.5);
    }

    // The words, or why there are none.
    const double areaTop = kMargin + smallMetrics.height() + 6;
    const double areaHeight = barTop - 6 - areaTop;
    if (areaHeight <= 0) return;
    if (!shown_.Message.isEmpty() && shown_.Line.isEmpty()) {
        QFont message = font();
        message.setPixelSize(std::clamp(int(areaHeight / 8), 12, 18));
        painter.setFont(message);
        painter.setPen(ViewColours::Quiet);
        painter.drawText(QRectF(kMargin, areaTop, inner, areaHeight),
                         Qt::AlignCenter | Qt::TextWordWrap, shown_.Message);
        return;
    }

    QFont big = font();
    big.setWeight(QFont::DemiBold);
    const QFont lineFont =
        FittedFont(big, std::clamp(areaHeight * 0.24, 16.0, 46.0), shown_.Line, inner);
    QFont nextBase = font();
    const QFont nextFont =
        FittedFont(nextBase, std::max(11.0, lineFont.pixelSize() * 0.66), shown_.Next, inner);
    const QFontMetricsF lineMetrics(lineFont), nextMetrics(nextFont);
    const double gap = lineMetrics.height() * 0.35;
    const double block =
        lineMetrics.height() + (shown_.Next.isEmpty() ? 0 : gap + nextMetrics.height());
    const double lineTop = areaTop + std::max(0.0, (areaHeight - block) / 2);

    // The current line: all of it quiet, then the sung part over it in the light colour.
    painter.setFont(lineFont);
    const double lineWidth = lineMetrics.horizontalAdvance(shown_.Line);
    const QPointF lineAt(kMargin + std::max(0.0, (inner - lineWidth) / 2),
                         lineTop + lineMetrics.ascent());
    painter.setPen(ViewColours::Unsung);
    painter.drawText(lineAt, shown_.Line);
    if (shown_.Sung > 0) {
        const double sungWidth = lineMetrics.horizontalAdvance(shown_.Line.left(shown_.Sung));
        painter.save();
        painter.setClipRect(
            QRectF(lineAt.x() - 2, lineTop - 4, sungWidth + 2, lineMetrics.height() + 8));
        // A soft glow under the sung part, then the part itself.
        painter.setPen(ViewColours::Glow);
        for (const QPointF offset : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
            painter.drawText(lineAt + offset, shown_.Line);
        painter.setPen(ViewColours::Sung);
        painter.drawText(lineAt, shown_.Line);
        painter.restore();
    }

    if (!shown_.Next.isEmpty()) {
        if (shown_.NextBeginsVerse) {
            const double y = std::round(lineTop + lineMetrics.height() + gap / 2) + 0.5;
            painter.setPen(QPen(ViewColours::Track, 1));
            painter.drawLine(QPointF(width() / 2.0 - 24, y), QPointF(width() / 2.0 + 24, y));
        }
        painter.setFont(nextFont);
        painter.setPen(ViewColours::Next);
        const double nextWidth = nextMetrics.horizontalAdvance(shown_.Next);
        painter.drawText(QPointF(kMargin + std::max(0.0, (inner - nextWidth) / 2),
                                 lineTop + lineMetrics.height() + gap + nextMetrics.ascent()),
                         shown_.Next);
    }
}
