#include "library/ui/listrowdelegate.h"

#include "library/ui/editorlistmodel.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>

TListRowDelegate::TListRowDelegate(TLook look, QObject *parent)
    : QStyledItemDelegate(parent), look_(std::move(look))
{
}

int TListRowDelegate::RowHeight(const QFontMetrics &metrics)
{
    return std::max(14, metrics.height() + 2);
}

QSize TListRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return {option.rect.width() > 0 ? option.rect.width() : 100, RowHeight(option.fontMetrics)};
}

void TListRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The selection and focus marks as the style draws them, without the text.
    opt.text.clear();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    painter->save();
    const QRect rect = option.rect.adjusted(1, 0, -1, 0);
    const bool selected = option.state & QStyle::State_Selected;
    const QColor textColour =
        option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    painter->setPen(textColour);
    QFont font = option.font;
    font.setBold(index.data(TEditorListModel::kBoldRole).toBool());
    painter->setFont(font);
    const QFontMetrics metrics(font);

    int textLeft = rect.left();
    if (look_.GutterWidth) {
        const int gutter = look_.GutterWidth();
        const QRect number(rect.left(), rect.top(), gutter, rect.height());
        painter->drawText(number, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                          metrics.elidedText(QString::number(index.row() + 1), Qt::ElideRight,
                                             gutter));
        painter->setPen(option.palette.color(QPalette::Light));
        const int x = rect.left() + gutter + 2;
        painter->drawLine(x, rect.top(), x, rect.bottom());
        painter->setPen(textColour);
        textLeft = rect.left() + gutter + 6;
    }
    QString text = index.data(Qt::DisplayRole).toString();
    text.replace(u'\t', QStringLiteral("        "));
    const QRect textRect(textLeft, rect.top(), std::max(0, rect.right() - textLeft + 1),
                         rect.height());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine |
                                    Qt::TextDontClip,
                      text);
    if (index.row() == look_.SeparatorRow && look_.SeparatorRow > 0) {
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawLine(option.rect.left(), option.rect.top(), option.rect.right(),
                          option.rect.top());
    }
    painter->restore();
}
