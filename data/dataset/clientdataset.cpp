#include "data/dataset/clientdataset.h"

#include <QRegularExpression>
#include <algorithm>

namespace dataset {

struct ClientDataSet::Record {
    enum class Status { Unchanged, Inserted, Modified, Deleted };
    std::vector<db::Value> values;    // stored fields, then calculated fields
    std::vector<db::Value> original;  // as read from the database
    Status status = Status::Unchanged;
    std::map<const ClientDataSet *, Records> details;
    std::map<const ClientDataSet *, Records> deletedDetails;  // a detail's entry exists once its rows are read
};

namespace {

FieldType fieldType(const db::Column &c)
{
    switch (c.type) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: return c.scale < 0 ? FieldType::Money : FieldType::Integer;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return FieldType::Float;
    case SQL_TYPE_DATE: return FieldType::Date;
    case SQL_TYPE_TIME: return FieldType::Time;
    case SQL_TIMESTAMP: return FieldType::DateTime;
    case SQL_BLOB: return c.subType == 1 ? FieldType::Text : FieldType::Blob;
    case SQL_BOOLEAN: return FieldType::Integer;
    default: return FieldType::Text;
    }
}

bool isBlank(const db::Value &v)
{
    return v.isNull() || (v.is<QString>() && v.toString().isEmpty());
}

int compareValues(const db::Value &a, const db::Value &b)
{
    if (a.isNull() || b.isNull())
        return int(b.isNull()) - int(a.isNull());
    if (a.is<QString>() || b.is<QString>())
        return QString::compare(a.toString(), b.toString());
    if (a.is<db::Money>() || b.is<db::Money>())
        return a.toMoney() < b.toMoney() ? -1 : (b.toMoney() < a.toMoney() ? 1 : 0);
    if (a.is<QDate>() || a.is<QDateTime>() || a.is<QTime>())
        return a.toString() < b.toString() ? -1 : (b.toString() < a.toString() ? 1 : 0);
    return a.toDouble() < b.toDouble() ? -1 : (b.toDouble() < a.toDouble() ? 1 : 0);
}

// ":NAME" parameters outside quotes become "?" and their names are returned in order.
QString positionalParams(const QString &sql, QStringList &names)
{
    static const QRegularExpression re(QStringLiteral("'(?:[^']|'')*'|:([A-Za-z_][A-Za-z0-9_$]*)"));
    QString out;
    int last = 0;
    for (auto it = re.globalMatch(sql); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(1).isEmpty())
            continue;
        out += sql.mid(last, m.capturedStart() - last) + u'?';
        names << m.captured(1).toUpper();
        last = int(m.capturedEnd());
    }
    return out + sql.mid(last);
}

} // namespace

Provider::Provider(const QString &name, const QString &sourceName, std::function<db::Connection &()> connection,
                   QObject *parent)
    : QObject(parent), m_sourceName(sourceName), m_connection(std::move(connection))
{
    setObjectName(name);
}

ClientDataSet::ClientDataSet(const QString &name, QObject *parent) : QObject(parent), m_name(name)
{
    setObjectName(name);
}

ClientDataSet::~ClientDataSet() = default;

void ClientDataSet::setCommandText(const QString &sql)
{
    if (m_provider)
        m_provider->commandText = sql;
    else
        m_ownCommandText = sql;
}

QString ClientDataSet::commandText() const { return m_provider ? m_provider->commandText : m_ownCommandText; }

db::Connection &ClientDataSet::connection() const
{
    if (m_master)
        return m_master->connection();
    if (!m_provider)
        throw db::DbError(QStringLiteral("%1: no tiene proveedor de datos.").arg(m_name));
    return m_provider->connection();
}

QString ClientDataSet::targetTable() const
{
    if (m_master)
        return m_detailTable;
    if (m_provider && !m_provider->updateTable.isEmpty())
        return m_provider->updateTable;
    return m_tableFromStatement;
}

void ClientDataSet::readFields(const db::Columns &columns, db::Connection &connection, const QString &table)
{
    m_fields.clear();
    QStringList keys;
    if (!table.isEmpty()) {
        const QList<db::Row> rows = connection.query(QStringLiteral(
            "select trim(s.rdb$field_name) from rdb$relation_constraints c join rdb$index_segments s "
            "on s.rdb$index_name = c.rdb$index_name where c.rdb$constraint_type = 'PRIMARY KEY' "
            "and c.rdb$relation_name = ?"), {table.toUpper()});
        for (const db::Row &r : rows)
            keys << r.at(0).toString();
    }
    for (const db::Column &c : columns) {
        Field f;
        f.name = c.name.toUpper();
        f.type = fieldType(c);
        f.size = c.length;
        f.required = !c.nullable && c.relation.compare(table, Qt::CaseInsensitive) == 0;
        f.key = keys.contains(f.name);
        m_fields.push_back(f);
    }
    for (const Field &f : m_calculated)
        m_fields.push_back(f);
}

void ClientDataSet::addCalculatedField(const QString &name, FieldType type)
{
    Field f;
    f.name = name.toUpper();
    f.type = type;
    f.calculated = true;
    m_calculated.push_back(f);
}

int ClientDataSet::fieldIndex(const QString &name) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

const Field *ClientDataSet::field(const QString &name) const
{
    const int i = fieldIndex(name);
    return i < 0 ? nullptr : &m_fields[std::size_t(i)];
}

void ClientDataSet::setIndexFields(const QStringList &fields, bool unique)
{
    m_indexFields = fields;
    m_uniqueIndex = unique;
    if (isOpen())
        rebuildView();
}

std::shared_ptr<ClientDataSet::Record> ClientDataSet::makeRecord(std::vector<db::Value> values) const
{
    auto r = std::make_shared<Record>();
    values.resize(m_fields.size());
    r->original = values;
    r->values = std::move(values);
    return r;
}

void ClientDataSet::calculate(Record &record)
{
    if (!onCalcFields || m_calculated.empty())
        return;
    // The handler reads and writes the current row: point it at this record for the call.
    std::shared_ptr<Record> saved = m_editing;
    m_editing = std::shared_ptr<Record>(&record, [](Record *) {});
    onCalcFields(*this);
    m_editing = saved;
}

void ClientDataSet::open()
{
    if (isOpen())
        close();
    if (m_master) {
        m_state = State::Browse;
        attachToMasterRecord();
        return;
    }
    db::Connection &c = connection();
    m_fetchTransaction = std::make_unique<db::Transaction>(c);
    m_cursor = std::make_unique<db::Statement>(*m_fetchTransaction, commandText());
    const db::Columns &columns = m_cursor->columns();
    m_tableFromStatement = columns.empty() ? QString() : columns.front().relation;
    readFields(columns, c, targetTable());
    for (ClientDataSet *detail : m_details)
        detail->prepareDetailFields();
    m_cursor->execute();
    m_state = State::Browse;
    m_current = 0;
    fetchMore();
    for (ClientDataSet *detail : m_details)
        detail->open();
    emit reset();
}

void ClientDataSet::close()
{
    m_cursor.reset();
    m_fetchTransaction.reset();
    m_editing.reset();
    if (!m_master) {
        m_ownRecords.clear();
        m_ownDeleted.clear();
    }
    m_view.clear();
    m_current = 0;
    m_state = State::Inactive;
    for (ClientDataSet *detail : m_details)
        detail->close();
    emit reset();
}

int ClientDataSet::execute()
{
    return connection().execute(commandText());
}

bool ClientDataSet::allFetched() const { return !m_cursor; }

bool ClientDataSet::fetchMore()
{
    if (!m_cursor)
        return false;
    if (beforeFetch)
        beforeFetch(*this);
    QList<db::Row> rows;
    try {
        rows = m_cursor->fetch(packetRecords);
    } catch (...) {
        if (afterFetch)
            afterFetch(*this);
        throw;
    }
    for (const db::Row &row : rows) {
        auto r = makeRecord(std::vector<db::Value>(row.size() ? &row.at(0) : nullptr,
                                                   row.size() ? &row.at(0) + row.size() : nullptr));
        calculate(*r);
        m_records->push_back(r);
    }
    if (m_cursor->atEnd()) {
        m_cursor.reset();
        m_fetchTransaction->commit();
        m_fetchTransaction.reset();
    }
    if (afterFetch)
        afterFetch(*this);
    // Unsorted, a packet only appends rows, and a grid keeps its place; sorted, they land anywhere.
    if (!m_indexFields.isEmpty()) {
        rebuildView();
        emit reset();
        return !rows.isEmpty();
    }
    std::vector<int> added;
    for (int i = int(m_records->size() - std::size_t(rows.size())); i < int(m_records->size()); ++i)
        if (passesFilter(i))
            added.push_back(i);
    if (!added.empty()) {
        const int before = rowCount();
        emit rowsAboutToBeFetched(before, before + int(added.size()) - 1);
        m_view.insert(m_view.end(), added.begin(), added.end());
        emit rowsFetched(before, rowCount() - 1);
    }
    return !rows.isEmpty();
}

void ClientDataSet::fetchAll()
{
    while (fetchMore()) {
    }
}

void ClientDataSet::rebuildView()
{
    m_view.clear();
    for (std::size_t i = 0; i < m_records->size(); ++i)
        if (passesFilter(int(i)))
            m_view.push_back(int(i));
    if (!m_indexFields.isEmpty()) {
        std::vector<int> idx;
        for (const QString &f : m_indexFields)
            idx.push_back(fieldIndex(f));
        std::stable_sort(m_view.begin(), m_view.end(), [&](int a, int b) {
            for (int i : idx) {
                if (i < 0)
                    continue;
                const int c = compareValues((*m_records)[std::size_t(a)]->values[std::size_t(i)],
                                            (*m_records)[std::size_t(b)]->values[std::size_t(i)]);
                if (c != 0)
                    return c < 0;
            }
            return false;
        });
    }
    m_current = std::clamp(m_current, 0, std::max(0, rowCount()));
}

bool ClientDataSet::passesFilter(int record)
{
    if (!m_filter)
        return true;
    m_filterRow = record;
    const bool keep = m_filter(*this);
    m_filterRow = -1;
    return keep;
}

void ClientDataSet::setFilter(std::function<bool(const ClientDataSet &)> filter)
{
    m_filter = std::move(filter);
    if (isOpen()) {
        rebuildView();
        m_current = 0;
        emit reset();
    }
}

ClientDataSet::Record *ClientDataSet::currentRecord() const
{
    if (m_filterRow >= 0)
        return (*m_records)[std::size_t(m_filterRow)].get();
    if (m_editing)
        return m_editing.get();
    if (m_current < 0 || m_current >= rowCount())
        return nullptr;
    return (*m_records)[std::size_t(m_view[std::size_t(m_current)])].get();
}

void ClientDataSet::setCurrentRow(int row)
{
    // A row that cannot be posted keeps the cursor on it, so the user can correct it.
    if ((m_state == State::Edit || m_state == State::Insert) && !post())
        return;
    m_current = std::clamp(row, 0, rowCount());
    if (m_current >= rowCount() && !allFetched()) {
        fetchMore();
        m_current = std::clamp(row, 0, rowCount());
    }
    for (ClientDataSet *detail : m_details)
        detail->attachToMasterRecord();
    emit currentChanged(m_current);
}

void ClientDataSet::last()
{
    fetchAll();
    setCurrentRow(std::max(0, rowCount() - 1));
}

bool ClientDataSet::locate(const QString &field, const db::Value &value)
{
    const int f = fieldIndex(field);
    if (f < 0)
        return false;
    fetchAll();
    for (int row = 0; row < rowCount(); ++row) {
        if (compareValues(valueAt(row, f), value) == 0) {
            setCurrentRow(row);
            return true;
        }
    }
    return false;
}

db::Value ClientDataSet::value(const QString &field) const
{
    const int f = fieldIndex(field);
    const Record *r = currentRecord();
    if (f < 0 || !r)
        return {};
    return r->values[std::size_t(f)];
}

db::Value ClientDataSet::valueAt(int row, int fieldIndex) const
{
    if (row < 0 || row >= rowCount() || fieldIndex < 0 || fieldIndex >= int(m_fields.size()))
        return {};
    return (*m_records)[std::size_t(m_view[std::size_t(row)])]->values[std::size_t(fieldIndex)];
}

void ClientDataSet::setValue(const QString &field, const db::Value &value)
{
    const int f = fieldIndex(field);
    if (f < 0)
        throw db::DbError(QStringLiteral("%1: Field '%2' not found").arg(m_name, field));
    if (m_state == State::Browse && !m_fields[std::size_t(f)].calculated)
        edit();
    Record *r = currentRecord();
    if (!r)
        throw db::DbError(QStringLiteral("%1: no hay un registro actual").arg(m_name));
    r->values[std::size_t(f)] = value;
    if (onFieldChange && !m_fields[std::size_t(f)].calculated)
        onFieldChange(*this, m_fields[std::size_t(f)].name);
}

bool ClientDataSet::fail(Error::Kind kind, const QString &message, const QStringList &fields)
{
    if (onClientError)
        onClientError(*this, Error{kind, message, db::ErrorKind::Other, fields});
    return false;
}

bool ClientDataSet::insert()
{
    if (!isOpen())
        return fail(Error::Kind::Other, QStringLiteral("Cannot perform this operation on a closed dataset"));
    if (m_state == State::Edit || m_state == State::Insert)
        if (!post())
            return false;
    if (m_master && !m_master->currentRecord())
        return fail(Error::Kind::Other, QStringLiteral("Master has no current record"));
    m_editing = makeRecord({});
    m_editing->status = Record::Status::Inserted;
    m_state = State::Insert;
    if (m_master)
        for (const QString &link : m_linkFields) {
            const int to = fieldIndex(link);
            if (to >= 0)
                m_editing->values[std::size_t(to)] = m_master->value(link);
        }
    for (ClientDataSet *detail : m_details)
        detail->attachToMasterRecord();
    if (afterInsert)
        afterInsert(*this);
    return true;
}

bool ClientDataSet::edit()
{
    if (m_state == State::Edit || m_state == State::Insert)
        return true;
    if (!isOpen() || currentRecord() == nullptr)
        return fail(Error::Kind::Other, QStringLiteral("Cannot perform this operation on an empty dataset"));
    m_editing = (*m_records)[std::size_t(m_view[std::size_t(m_current)])];
    m_before = m_editing->values;
    m_state = State::Edit;
    return true;
}

bool ClientDataSet::hasDuplicateKey(const Record &record) const
{
    if (!m_uniqueIndex || m_indexFields.isEmpty())
        return false;
    std::vector<int> idx;
    for (const QString &f : m_indexFields)
        idx.push_back(fieldIndex(f));
    for (const auto &other : *m_records) {
        if (other.get() == &record)
            continue;
        bool same = true;
        for (int i : idx)
            same = same && i >= 0 && compareValues(other->values[std::size_t(i)], record.values[std::size_t(i)]) == 0;
        if (same)
            return true;
    }
    return false;
}

bool ClientDataSet::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return true;
    if (beforePost)
        beforePost(*this);
    Record &r = *m_editing;
    QStringList missing;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        // A line's link to its header is filled from the header when they are stored.
        if (m_fields[i].required && isBlank(r.values[i]) && !m_linkFields.contains(m_fields[i].name))
            missing << m_fields[i].name;
    }
    if (!missing.isEmpty())
        return fail(Error::Kind::RequiredField, QStringLiteral("Field '%1' must have a value").arg(missing.first()),
                    missing);
    if (hasDuplicateKey(r))
        return fail(Error::Kind::KeyViolation, QStringLiteral("key violation."), m_indexFields);
    if (m_state == State::Insert) {
        m_records->push_back(m_editing);
    } else if (r.status == Record::Status::Unchanged && r.values != m_before) {
        r.status = Record::Status::Modified;
    }
    calculate(r);
    const auto posted = m_editing;
    m_editing.reset();
    m_state = State::Browse;
    rebuildView();
    for (int row = 0; row < rowCount(); ++row)
        if ((*m_records)[std::size_t(m_view[std::size_t(row)])] == posted)
            m_current = row;
    emit reset();
    return true;
}

void ClientDataSet::cancel()
{
    if (m_state == State::Edit)
        m_editing->values = m_before;
    if (m_state == State::Edit || m_state == State::Insert) {
        m_editing.reset();
        m_state = State::Browse;
        for (ClientDataSet *detail : m_details)
            detail->attachToMasterRecord();
        emit reset();
    }
}

bool ClientDataSet::remove()
{
    if (m_state == State::Insert) {
        cancel();
        return true;
    }
    cancel();
    Record *r = currentRecord();
    if (!r)
        return fail(Error::Kind::Other, QStringLiteral("Cannot perform this operation on an empty dataset"));
    for (const auto &[detail, rows] : r->details)
        if (!rows.empty())
            return fail(Error::Kind::MasterHasDetails,
                        QStringLiteral("Cannot delete master record with details"));
    const std::size_t index = std::size_t(m_view[std::size_t(m_current)]);
    if ((*m_records)[index]->status != Record::Status::Inserted) {
        (*m_records)[index]->status = Record::Status::Deleted;
        m_deleted->push_back((*m_records)[index]);
    }
    m_records->erase(m_records->begin() + std::ptrdiff_t(index));
    rebuildView();
    emit reset();
    return true;
}

int ClientDataSet::changeCount() const
{
    int n = int(m_deleted->size());
    for (const auto &r : *m_records) {
        if (r->status != Record::Status::Unchanged)
            ++n;
        for (const ClientDataSet *detail : m_details) {
            auto it = r->details.find(detail);
            if (it != r->details.end())
                for (const auto &d : it->second)
                    n += d->status != Record::Status::Unchanged;
            auto del = r->deletedDetails.find(detail);
            if (del != r->deletedDetails.end())
                n += int(del->second.size());
        }
    }
    return n;
}

void ClientDataSet::writeRecord(db::Transaction &tr, const Record &r)
{
    const QString table = targetTable();
    QStringList columns;
    QList<db::Value> params;
    QString sql;
    if (r.status == Record::Status::Inserted) {
        QStringList marks;
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            // Unset columns are left to the database's defaults and triggers.
            if (m_fields[i].calculated || r.values[i].isNull())
                continue;
            columns << m_fields[i].name;
            marks << QStringLiteral("?");
            params << r.values[i];
        }
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columns.join(u','), marks.join(u','));
    } else {
        if (r.status == Record::Status::Modified) {
            for (std::size_t i = 0; i < m_fields.size(); ++i) {
                if (m_fields[i].calculated || r.values[i] == r.original[i])
                    continue;
                columns << m_fields[i].name + QStringLiteral(" = ?");
                params << r.values[i];
            }
            if (columns.isEmpty())
                return;
            sql = QStringLiteral("UPDATE %1 SET %2").arg(table, columns.join(u','));
        } else {
            sql = QStringLiteral("DELETE FROM %1").arg(table);
        }
        // The row is found by its primary key as read; without one, by every comparable column.
        const bool anyKey = std::any_of(m_fields.begin(), m_fields.end(), [](const Field &f) { return f.key; });
        QStringList where;
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            const Field &f = m_fields[i];
            if (f.calculated || (anyKey && !f.key) || (!anyKey && (f.type == FieldType::Blob || f.type == FieldType::Float)))
                continue;
            if (r.original[i].isNull()) {
                where << f.name + QStringLiteral(" IS NULL");
            } else {
                where << f.name + QStringLiteral(" = ?");
                params << r.original[i];
            }
        }
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    }
    db::Statement st(tr, sql);
    st.execute(params);
    if (r.status != Record::Status::Inserted && st.rowsAffected() == 0)
        throw db::DbError(QStringLiteral("Record not found or changed by another user"));
}

void ClientDataSet::applyRecords(db::Transaction &tr, ClientDataSet &owner, Records &records, Records &deleted)
{
    auto write = [&](ClientDataSet &set, const Record &r) {
        try {
            set.writeRecord(tr, r);
        } catch (const db::DbError &e) {
            Provider *provider = owner.m_provider;
            if (provider && provider->onUpdateError)
                provider->onUpdateError(*provider, set, Error{Error::Kind::Database, e.message(), e.kind()});
            throw;
        }
    };
    for (const auto &r : deleted)
        write(*this, *r);  // remove() refuses headers that still have lines
    for (const auto &r : records) {
        // Deleted lines go first, then the header, then its remaining lines.
        for (ClientDataSet *detail : m_details)
            for (const auto &d : r->deletedDetails[detail])
                write(*detail, *d);
        if (r->status != Record::Status::Unchanged)
            write(*this, *r);
        for (ClientDataSet *detail : m_details) {
            Records &rows = r->details[detail];
            // The link columns follow the header, whose key may have been set after the lines.
            for (const QString &link : detail->m_linkFields) {
                const int from = fieldIndex(link);
                const int to = detail->fieldIndex(link);
                if (from < 0 || to < 0)
                    continue;
                for (const auto &d : rows)
                    if (d->values[std::size_t(to)] != r->values[std::size_t(from)]) {
                        d->values[std::size_t(to)] = r->values[std::size_t(from)];
                        if (d->status == Record::Status::Unchanged)
                            d->status = Record::Status::Modified;
                    }
            }
            Records none;
            detail->applyRecords(tr, owner, rows, none);
        }
    }
}

void ClientDataSet::commitRecords(Records &records, Records &deleted)
{
    deleted.clear();
    for (const auto &r : records) {
        r->status = Record::Status::Unchanged;
        r->original = r->values;
        for (ClientDataSet *detail : m_details) {
            r->deletedDetails[detail].clear();
            Records none;
            detail->commitRecords(r->details[detail], none);
        }
    }
}

bool ClientDataSet::applyUpdates()
{
    if (m_master)
        return m_master->applyUpdates();
    if (m_state == State::Edit || m_state == State::Insert)
        if (!post())
            return false;
    for (ClientDataSet *detail : m_details)
        if (!detail->post())
            return false;
    if (changeCount() == 0)
        return true;
    db::Transaction tr(connection());
    try {
        applyRecords(tr, *this, *m_records, *m_deleted);
        tr.commit();
    } catch (const db::DbError &) {
        tr.rollback();
        // Links copied from the header stay; every change is still pending.
        return false;
    }
    commitRecords(*m_records, *m_deleted);
    emit reset();
    return true;
}

void ClientDataSet::cancelUpdates()
{
    cancel();
    Records kept;
    for (const auto &r : *m_deleted)
        kept.push_back(r);
    for (const auto &r : *m_records)
        if (r->status != Record::Status::Inserted)
            kept.push_back(r);
    for (const auto &r : kept) {
        r->values = r->original;
        calculate(*r);
        r->status = Record::Status::Unchanged;
        for (ClientDataSet *detail : m_details) {
            r->details.erase(detail);
            r->deletedDetails.erase(detail);
        }
    }
    m_deleted->clear();
    *m_records = kept;
    rebuildView();
    for (ClientDataSet *detail : m_details)
        detail->attachToMasterRecord();
    emit reset();
}

void ClientDataSet::addDetail(ClientDataSet *detail, const QString &sql, const QString &updateTable)
{
    detail->m_master = this;
    detail->m_detailTable = updateTable;
    detail->m_linkFields.clear();
    detail->m_detailSql = positionalParams(sql, detail->m_linkFields);
    m_details.push_back(detail);
}

void ClientDataSet::prepareDetailFields()
{
    // The structure comes from the statement itself; no rows are read here.
    db::Connection &c = connection();
    db::Transaction tr(c);
    db::Statement st(tr, m_detailSql);
    readFields(st.columns(), c, m_detailTable);
}

void ClientDataSet::attachToMasterRecord()
{
    if (!m_master || !isOpen())
        return;
    m_editing.reset();
    m_state = State::Browse;
    Record *owner = m_master->currentRecord();
    static Records noRecords;
    static Records noDeleted;
    if (!owner) {
        noRecords.clear();
        noDeleted.clear();
        m_records = &noRecords;
        m_deleted = &noDeleted;
    } else {
        if (!owner->details.count(this) && owner->status != Record::Status::Inserted)
            loadDetailRows(*owner);
        m_records = &owner->details[this];
        m_deleted = &owner->deletedDetails[this];
    }
    m_current = 0;
    rebuildView();
    emit reset();
}

void ClientDataSet::loadDetailRows(Record &owner)
{
    QList<db::Value> params;
    for (const QString &link : m_linkFields) {
        const int i = m_master->fieldIndex(link);
        params << (i < 0 ? db::Value() : owner.values[std::size_t(i)]);
    }
    Records rows;
    db::Transaction tr(connection());
    {
        db::Statement st(tr, m_detailSql);
        st.execute(params);
        db::Row row;
        while (st.next(row)) {
            auto r = makeRecord(std::vector<db::Value>(&row.at(0), &row.at(0) + row.size()));
            calculate(*r);
            rows.push_back(r);
        }
    }
    tr.commit();
    owner.details[this] = std::move(rows);
}

} // namespace dataset
