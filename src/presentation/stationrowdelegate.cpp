#include "presentation/stationrowdelegate.h"

#include "core/tonariaglobals.h"

#include <QPainter>

#include <algorithm>

TStationRowDelegate::TStationRowDelegate(TTonariaGlobals &globals, TStationList list,
                                         QObject *parent)
    : QStyledItemDelegate(parent), g_(globals), list_(list)
{
}

int TStationRowDelegate::BoldRow() const
{
    const TAlbum *album = g_.CurrentAlbum;
    switch (list_) {
    case TStationList::Titles: {
        if (!album || !album->CurrentProgram || !album->CurrentTitle) return -1;
        const auto &titles = album->CurrentProgram->Titles;
        const auto it = std::find(titles.begin(), titles.end(), album->CurrentTitle);
        return it == titles.end() ? -1 : int(it - titles.begin());
    }
    case TStationList::Programs:
        if (!album) return -1;
        for (int i = 0; i < album->ProgramCount(); ++i)
            if (album->ProgramByIndex(i) == album->CurrentProgram) return i;
        return -1;
    case TStationList::Albums:
        return g_.CurrentAlbumIndex();
    }
    return -1;
}

int TStationRowDelegate::SeparatorRow() const
{
    switch (list_) {
    case TStationList::Titles:
        return -1;
    case TStationList::Programs:
        return 3;
    case TStationList::Albums:
        return 1;
    }
    return -1;
}

void TStationRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const QRect row = option.rect;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette &palette = option.palette;
    const QColor text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    painter->save();
    if (selected) painter->fillRect(row, palette.color(QPalette::Highlight));
    QRect area = row.adjusted(1, 0, -1, 0);
    QFont font = option.font;
    font.setBold(index.row() == BoldRow());
    painter->setFont(font);
    painter->setPen(text);
    if (list_ == TStationList::Titles) {
        const int gutter = std::max(g_.TitlesGutter, 0);
        const QRect number(area.left(), area.top(), gutter, area.height());
        const QString digits =
            QFontMetrics(font).elidedText(QString::number(index.row() + 1), Qt::ElideRight, gutter);
        painter->drawText(number, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, digits);
        painter->setPen(palette.color(QPalette::Light));
        const int x = area.left() + gutter + 2;
        painter->drawLine(x, row.top(), x, row.bottom());
        painter->setPen(text);
        area.setLeft(area.left() + gutter + 6);
    }
    painter->drawText(area,
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs |
                          Qt::TextDontClip,
                      index.data().toString());
    if (index.row() == SeparatorRow()) {
        painter->setPen(palette.color(QPalette::Text));
        painter->drawLine(row.left(), row.top(), row.right(), row.top());
    }
    painter->restore();
}

QSize TStationRowDelegate::sizeHint(const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    // Fonts taller than the row get the room they need.
    const QSize hint = QStyledItemDelegate::sizeHint(option, index);
    return QSize(hint.width(), std::max(kRowHeight, QFontMetrics(option.font).height()));
}
