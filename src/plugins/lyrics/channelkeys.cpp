#include "channelkeys.h"

#include "viewcolours.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>

namespace {

constexpr int kMargin = 10;
constexpr int kGutter = 26; // room for the channel numbers
constexpr int kRowGap = 2;
constexpr int kWhiteKeys = 75; // the white notes among MIDI notes 0 to 127

constexpr bool IsBlack(int key)
{
    constexpr std::array<bool, 12> black{false, true,  false, true,  false, false,
                                         true,  false, true,  false, true,  false};
    return black[std::size_t(key % 12)];
}

// The white keys to the left of key.
constexpr int WhitesBefore(int key)
{
    constexpr std::array<int, 12> whites{0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6};
    return key / 12 * 7 + whites[std::size_t(key % 12)];
}

} // namespace

TChannelKeys::TChannelKeys(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("channelKeys"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Keys by channel"));
}

QSize TChannelKeys::sizeHint() const
{
    return {640, 2 * kMargin + 16 * 12 + 15 * kRowGap};
}

QSize TChannelKeys::minimumSizeHint() const
{
    return {280, 2 * kMargin + 16 * 5 + 15 * kRowGap};
}

void TChannelKeys::Show(const TNoteTimeline::TKeys &keys, std::uint16_t channelsUsed)
{
    if (keys == keys_ && channelsUsed == channelsUsed_) return;
    keys_ = keys;
    channelsUsed_ = channelsUsed;
    update();
}

QStringList TChannelKeys::LitNotes() const
{
    QStringList lit;
    for (int c = 0; c < 16; ++c)
        for (int k = 0; k < 128; ++k)
            if (keys_[std::size_t(c)].test(std::size_t(k)))
                lit << QStringLiteral("%1:%2").arg(c + 1).arg(k);
    return lit;
}

void TChannelKeys::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), ViewColours::Window);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    painter.fillPath(card, ViewColours::CardBottom);
    painter.setPen(QPen(ViewColours::CardEdge, 1));
    painter.drawPath(card);
    painter.setRenderHint(QPainter::Antialiasing, false);

    const double left = kMargin + kGutter;
    const double keysWidth = width() - left - kMargin;
    const double rowHeight = (height() - 2.0 * kMargin - 15.0 * kRowGap) / 16.0;
    if (keysWidth <= kWhiteKeys || rowHeight < 2) return;
    const double white = keysWidth / kWhiteKeys;
    const double black = white * 0.62;

    QFont number = font();
    number.setPixelSize(std::clamp(int(rowHeight * 0.95), 9, 12));
    painter.setFont(number);

    for (int c = 0; c < 16; ++c) {
        const auto &lit = keys_[std::size_t(c)];
        const bool used = channelsUsed_ & (1u << c);
        const double top = kMargin + c * (rowHeight + kRowGap);
        const QColor colour = ViewColours::Channel(c);
        painter.setOpacity(used ? 1.0 : 0.45);

        painter.setPen(lit.any() ? colour : ViewColours::Gutter);
        painter.drawText(QRectF(kMargin, top - 2, kGutter - 6, rowHeight + 4),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(c + 1));

        painter.setPen(Qt::NoPen);
        for (int k = 0; k < 128; ++k) {
            if (IsBlack(k)) continue;
            const QRectF key(left + WhitesBefore(k) * white, top, white - 1, rowHeight);
            painter.fillRect(key, lit.test(std::size_t(k)) ? colour
                                  : k % 12 == 0            ? ViewColours::KeyC
                                                           : ViewColours::KeyWhite);
        }
        for (int k = 0; k < 128; ++k) {
            if (!IsBlack(k)) continue;
            const QRectF key(left + WhitesBefore(k) * white - black / 2 - 0.5, top, black,
                             rowHeight * 0.62);
            painter.fillRect(key,
                             lit.test(std::size_t(k)) ? colour.darker(125) : ViewColours::KeyBlack);
        }
    }
    painter.setOpacity(1.0);
}
