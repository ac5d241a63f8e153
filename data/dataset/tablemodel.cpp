#include "data/dataset/tablemodel.h"

namespace dataset {

QString displayText(const db::Value &value)
{
    if (value.is<db::Money>())
        return value.toMoney().toString(2);
    return value.toString();
}

TableModel::TableModel(ClientDataSet *data, QList<Column> columns, QObject *parent)
    : QAbstractTableModel(parent), m_data(data), m_columns(std::move(columns))
{
    connect(m_data, &ClientDataSet::reset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(m_data, &ClientDataSet::rowsAboutToBeFetched, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(m_data, &ClientDataSet::rowsFetched, this, [this](int, int) { endInsertRows(); });
}

int TableModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_data->rowCount(); }

int TableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_columns.size()); }

QVariant TableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole))
        return {};
    const db::Value v = m_data->valueAt(index.row(), m_data->fieldIndex(m_columns[index.column()].field));
    if (role == Qt::TextAlignmentRole)
        return v.is<db::Money>() || v.is<qint64>() || v.is<double>() ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                       : QVariant();
    return displayText(v);
}

bool TableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !m_columns[index.column()].editable)
        return false;
    m_data->setCurrentRow(index.row());
    const QString field = m_columns[index.column()].field;
    const Field *f = m_data->field(field);
    const QString text = value.toString();
    db::Value v;
    if (!text.isEmpty() && f) {
        switch (f->type) {
        case FieldType::Money: v = db::Money::parse(text).value_or(db::Money()); break;
        case FieldType::Integer: v = text.toLongLong(); break;
        case FieldType::Float: v = text.toDouble(); break;
        case FieldType::Date: v = QDate::fromString(text, u"yyyy/MM/dd"); break;
        default: v = text; break;
        }
    }
    m_data->setValue(field, v);
    return m_data->post();
}

Qt::ItemFlags TableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && m_columns[index.column()].editable)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_columns.size())
        return m_columns[section].caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool TableModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_data->isOpen() && !m_data->allFetched();
}

void TableModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid())
        m_data->fetchMore();
}

} // namespace dataset
