#include "core/stationlistmodel.h"

int TStationListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant TStationListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) return rows_.at(index.row());
    return {};
}

void TStationListModel::SetRows(const QStringList &rows, int selected)
{
    beginResetModel();
    rows_ = rows;
    currentRow_ = -1;
    endResetModel();
    SetCurrentRow(selected);
}

void TStationListModel::SetCurrentRow(int row)
{
    if (row < 0 || row >= rows_.size()) row = -1;
    if (row == currentRow_) return;
    currentRow_ = row;
    emit currentRowChanged(row);
}
