#pragma once
// One of the station's lists as a model the windows show: plain rows of text and the row that
// is selected (-1 for none). The popup list boxes show it and report the row chosen.
//
// Threads: main thread only.

#include <QAbstractListModel>
#include <QStringList>

class TStationListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const QStringList &Rows() const { return rows_; }
    // New rows; the selection is `selected` when it is a row, none otherwise.
    void SetRows(const QStringList &rows, int selected = -1);
    void Clear() { SetRows({}); }

    int CurrentRow() const { return currentRow_; }
    // A row outside the list selects none.
    void SetCurrentRow(int row);

signals:
    void currentRowChanged(int row);

private:
    QStringList rows_;
    int currentRow_ = -1;
};
