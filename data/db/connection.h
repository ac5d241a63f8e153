#pragma once

#include "data/db/error.h"
#include "data/db/value.h"

#include <QList>
#include <QString>
#include <memory>
#include <vector>

#include <ibase.h>

namespace db {

// A database path with "host:" goes to a Firebird server; a plain local path opens through the embedded engine.
struct ConnectParams {
    QString database;
    QString user;
    QString password;
};

bool isRemotePath(const QString &database);

struct Column {
    QString name;       // alias as the statement names it
    QString field;      // underlying column name
    QString relation;   // table, when the column comes from one
    short type = 0;     // SQL_* without the nullable bit
    short subType = 0;
    short scale = 0;
    short length = 0;
    bool nullable = false;
};
using Columns = std::vector<Column>;

class Row {
public:
    Row() = default;
    Row(std::shared_ptr<const Columns> columns, std::vector<Value> values)
        : m_columns(std::move(columns)), m_values(std::move(values)) {}

    bool isEmpty() const { return m_values.empty(); }
    int size() const { return int(m_values.size()); }
    const Value &at(int i) const { return m_values.at(std::size_t(i)); }
    const Value &operator[](int i) const { return at(i); }
    // By column name, case-insensitive; a missing column reads as null.
    const Value &value(const QString &name) const;
    int indexOf(const QString &name) const;
    const Columns &columns() const;

private:
    std::shared_ptr<const Columns> m_columns;
    std::vector<Value> m_values;
};

class Transaction;

// One attachment. Move-only; detaches when destroyed.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(Connection &&other) noexcept;
    Connection &operator=(Connection &&other) noexcept;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Attach with user, password, character set ISO8859_1 and dialect 3.
    static Connection attach(const ConnectParams &params);
    // Create a dialect 3 database whose default character set is ISO8859_1, and attach to it.
    // It starts without forced writes, so that loading a schema is fast; see setForcedWrites.
    static Connection create(const ConnectParams &params, int pageSize = 8192);
    // Switches synchronous writes of a database on or off (owner or administrator only).
    static void setForcedWrites(const ConnectParams &params, bool on);

    bool isOpen() const { return m_handle != 0; }
    const ConnectParams &params() const { return m_params; }
    isc_db_handle *handle() { return &m_handle; }
    void close();
    void dropDatabase();

    // Each of these runs in a transaction of its own, committed on success.
    QList<Row> query(const QString &sql, const QList<Value> &params = {});
    Row queryFirst(const QString &sql, const QList<Value> &params = {});
    int execute(const QString &sql, const QList<Value> &params = {});

private:
    isc_db_handle m_handle = 0;
    ConnectParams m_params;
};

// Read committed, record version, wait on locks, read-write. Rolls back when destroyed uncommitted.
class Transaction {
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();
    void rollback();
    bool isActive() const { return m_handle != 0; }
    isc_tr_handle *handle() { return &m_handle; }
    Connection &connection() { return m_connection; }

private:
    Connection &m_connection;
    isc_tr_handle m_handle = 0;
};

// A prepared statement. Selects are read row by row or in packets; executable procedures
// and INSERT ... RETURNING give their output row.
class Statement {
public:
    enum class Kind { Select, Insert, Update, Delete, ExecProcedure, Ddl, Other };

    Statement(Transaction &transaction, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Kind kind() const { return m_kind; }
    const Columns &columns() const { return *m_columns; }
    int paramCount() const;

    void execute(const QList<Value> &params = {});
    bool next(Row &row);
    QList<Row> fetch(int maxRows);
    bool atEnd() const { return m_atEnd; }
    Row outputRow() const { return m_output; }
    int rowsAffected();

private:
    struct Sqlda;
    void bind(const QList<Value> &params);
    Row readRow();
    Value readValue(int index);
    QByteArray readBlob(ISC_QUAD id);
    ISC_QUAD writeBlob(const QByteArray &bytes);

    Transaction &m_transaction;
    isc_stmt_handle m_handle = 0;
    Kind m_kind = Kind::Other;
    std::unique_ptr<Sqlda> m_in;
    std::unique_ptr<Sqlda> m_out;
    std::shared_ptr<Columns> m_columns;
    bool m_cursorOpen = false;
    bool m_atEnd = true;
    Row m_output;
};

// Points the embedded engine's lock directory at a directory of the current user unless
// FIREBIRD_LOCK is set: the server package keeps /tmp/firebird for its own group.
void prepareEmbeddedEnvironment();

} // namespace db
