#pragma once
// A list of an editor as a model: the rows are read through two functions (the number of rows
// and a row's text), so the model never copies the library's lists; Refill() tells the view
// that they changed. One row may be marked bold (the current program or album).
//
// Threads: main thread only.
#include <QAbstractListModel>

#include <functional>

class TEditorListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The role under which a row says that it is drawn bold (a bool).
    static constexpr int kBoldRole = Qt::UserRole + 1;

    TEditorListModel(std::function<int()> count, std::function<QString(int)> text,
                     QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The lists behind the rows changed: the count is read again and every row redrawn.
    void Refill();
    void SetBoldRow(int row) { boldRow_ = row; }

private:
    std::function<int()> countOf_;
    std::function<QString(int)> textOf_;
    int count_ = 0;
    int boldRow_ = -1;
};
