#pragma once

#include "data/dataset/clientdataset.h"

#include <QAbstractTableModel>

namespace dataset {

// Shows the visible rows of a data set in a QTableView; scrolling to the end fetches the next packet.
class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString caption;
        bool editable = false;
    };

    TableModel(ClientDataSet *data, QList<Column> columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    ClientDataSet *dataSet() const { return m_data; }

private:
    ClientDataSet *m_data;
    QList<Column> m_columns;
};

// Text of a value as grids and exports show it: money with two decimals, dates yyyy/mm/dd.
QString displayText(const db::Value &value);

} // namespace dataset
