#include "library/ui/editorlistmodel.h"

TEditorListModel::TEditorListModel(std::function<int()> count, std::function<QString(int)> text,
                                   QObject *parent)
    : QAbstractListModel(parent), countOf_(std::move(count)), textOf_(std::move(text))
{
    count_ = countOf_();
}

int TEditorListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count_;
}

QVariant TEditorListModel::data(const QModelIndex &index, int role) const
{
    // The library may have changed under a dialog that has not refilled yet (a dialog behind
    // the one the user works in): a row that is gone is drawn empty, never read.
    if (!index.isValid() || index.row() >= count_ || index.row() >= countOf_()) return {};
    if (role == Qt::DisplayRole) return textOf_(index.row());
    if (role == kBoldRole) return index.row() == boldRow_;
    return {};
}

Qt::ItemFlags TEditorListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemIsDropEnabled;
}

void TEditorListModel::Refill()
{
    beginResetModel();
    count_ = countOf_();
    endResetModel();
}
