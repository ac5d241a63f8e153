#include "data/db/connection.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace db {

namespace {

constexpr unsigned short kDialect = 3;
constexpr short kCharsetNone = 0;
constexpr int kBlobSegment = 32768;

// Builds the message (every line of the status vector) and the list of its error codes.
[[noreturn]] void throwStatus(const ISC_STATUS *status)
{
    std::vector<long> codes;
    for (const ISC_STATUS *p = status; *p != isc_arg_end;) {
        const ISC_STATUS arg = *p++;
        switch (arg) {
        case isc_arg_gds: codes.push_back(long(*p++)); break;
        case isc_arg_cstring: p += 2; break;
        case isc_arg_warning: p++; break;
        default: p++; break;
        }
    }
    QStringList lines;
    char buffer[1024];
    const ISC_STATUS *vector = status;
    while (fb_interpret(buffer, sizeof buffer, &vector) > 0)
        lines << QString::fromLatin1(buffer);
    const int sqlCode = int(isc_sqlcode(status));
    throw DbError(lines.join(u'\n'), std::move(codes), sqlCode);
}

void check(const ISC_STATUS *status)
{
    if (status[0] == 1 && status[1] != 0)
        throwStatus(status);
}

class ParamBlock {
public:
    explicit ParamBlock(char version) { m_bytes.append(version); }
    void add(char tag, const QByteArray &value)
    {
        m_bytes.append(tag);
        m_bytes.append(char(value.size()));
        m_bytes.append(value);
    }
    void addInt(char tag, int value)
    {
        m_bytes.append(tag);
        m_bytes.append(char(4));
        for (int i = 0; i < 4; ++i)
            m_bytes.append(char((value >> (8 * i)) & 0xff));
    }
    void addTag(char tag) { m_bytes.append(tag); }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

ParamBlock attachBlock(const ConnectParams &params)
{
    ParamBlock dpb(isc_dpb_version1);
    dpb.add(isc_dpb_user_name, params.user.toLatin1());
    if (!params.password.isEmpty())
        dpb.add(isc_dpb_password, params.password.toLatin1());
    dpb.add(isc_dpb_lc_ctype, "ISO8859_1");
    dpb.addInt(isc_dpb_sql_dialect, kDialect);
    return dpb;
}

void prepareFor(const QString &database)
{
    if (!isRemotePath(database))
        prepareEmbeddedEnvironment();
}

constexpr qint64 kFirebirdEpochJulian = 2400001; // 1858-11-17

QDate decodeDate(ISC_DATE d) { return QDate::fromJulianDay(qint64(d) + kFirebirdEpochJulian); }
QTime decodeTime(ISC_TIME t) { return QTime::fromMSecsSinceStartOfDay(int(t / 10)); }
ISC_DATE encodeDate(QDate d) { return ISC_DATE(d.toJulianDay() - kFirebirdEpochJulian); }
ISC_TIME encodeTime(QTime t) { return ISC_TIME(t.msecsSinceStartOfDay()) * 10; }

} // namespace

bool isRemotePath(const QString &database)
{
    // "host:path"; a single letter before the colon is a Windows drive, not a host.
    const int colon = database.indexOf(u':');
    return colon > 1 || database.startsWith(QLatin1String("inet://")) || database.startsWith(QLatin1String("\\\\"));
}

void prepareEmbeddedEnvironment()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!qEnvironmentVariableIsEmpty("FIREBIRD_LOCK"))
            return;
        const uid_t uid = getuid();
        QString dir = QDir::tempPath() + QStringLiteral("/firebird-%1").arg(uid);
        struct stat st {};
        const QByteArray path = dir.toLocal8Bit();
        if (::stat(path.constData(), &st) != 0)
            ::mkdir(path.constData(), 0700);
        if (::stat(path.constData(), &st) != 0 || st.st_uid != uid) {
            // Someone else holds the name: fall back to the user's cache directory.
            dir = QDir::homePath() + QStringLiteral("/.cache/firebird-lock");
            QDir().mkpath(dir);
        }
        qputenv("FIREBIRD_LOCK", dir.toLocal8Bit());
    });
}

// ---- Row

const Value &Row::value(const QString &name) const
{
    static const Value null;
    const int i = indexOf(name);
    return i < 0 ? null : m_values[std::size_t(i)];
}

int Row::indexOf(const QString &name) const
{
    if (!m_columns)
        return -1;
    for (std::size_t i = 0; i < m_columns->size(); ++i)
        if ((*m_columns)[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

const Columns &Row::columns() const
{
    static const Columns none;
    return m_columns ? *m_columns : none;
}

// ---- Connection

Connection::~Connection() { close(); }

Connection::Connection(Connection &&other) noexcept
    : m_handle(std::exchange(other.m_handle, 0)), m_params(std::move(other.m_params))
{
}

Connection &Connection::operator=(Connection &&other) noexcept
{
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, 0);
        m_params = std::move(other.m_params);
    }
    return *this;
}

Connection Connection::attach(const ConnectParams &params)
{
    prepareFor(params.database);
    Connection c;
    c.m_params = params;
    ISC_STATUS_ARRAY status;
    const ParamBlock dpb = attachBlock(params);
    const QByteArray path = params.database.toLocal8Bit();
    isc_attach_database(status, 0, path.constData(), &c.m_handle, short(dpb.bytes().size()), dpb.bytes().constData());
    check(status);
    return c;
}

Connection Connection::create(const ConnectParams &params, int pageSize)
{
    prepareFor(params.database);
    Connection c;
    c.m_params = params;
    ParamBlock dpb = attachBlock(params);
    dpb.add(isc_dpb_set_db_charset, "ISO8859_1");
    dpb.addInt(isc_dpb_set_db_sql_dialect, kDialect);
    dpb.addInt(isc_dpb_page_size, pageSize);
    dpb.addInt(isc_dpb_force_write, 0);
    ISC_STATUS_ARRAY status;
    const QByteArray path = params.database.toLocal8Bit();
    isc_create_database(status, 0, path.constData(), &c.m_handle, short(dpb.bytes().size()), dpb.bytes().constData(), 0);
    check(status);
    return c;
}

void Connection::setForcedWrites(const ConnectParams &params, bool on)
{
    prepareFor(params.database);
    ParamBlock dpb = attachBlock(params);
    dpb.addInt(isc_dpb_force_write, on ? 1 : 0);
    Connection c;
    ISC_STATUS_ARRAY status;
    const QByteArray path = params.database.toLocal8Bit();
    isc_attach_database(status, 0, path.constData(), &c.m_handle, short(dpb.bytes().size()), dpb.bytes().constData());
    check(status);
}

void Connection::close()
{
    if (!m_handle)
        return;
    ISC_STATUS_ARRAY status;
    isc_detach_database(status, &m_handle);
    m_handle = 0; // a failed detach (lost connection) still leaves nothing usable
}

void Connection::dropDatabase()
{
    ISC_STATUS_ARRAY status;
    isc_drop_database(status, &m_handle);
    check(status);
    m_handle = 0;
}

QList<Row> Connection::query(const QString &sql, const QList<Value> &params)
{
    Transaction tr(*this);
    QList<Row> rows;
    {
        Statement st(tr, sql);
        st.execute(params);
        if (st.kind() == Statement::Kind::Select) {
            Row row;
            while (st.next(row))
                rows.append(row);
        } else if (!st.outputRow().isEmpty()) {
            rows.append(st.outputRow());
        }
    }
    tr.commit();
    return rows;
}

Row Connection::queryFirst(const QString &sql, const QList<Value> &params)
{
    Transaction tr(*this);
    Row row;
    {
        Statement st(tr, sql);
        st.execute(params);
        if (st.kind() == Statement::Kind::Select)
            st.next(row);
        else
            row = st.outputRow();
    }
    tr.commit();
    return row;
}

int Connection::execute(const QString &sql, const QList<Value> &params)
{
    Transaction tr(*this);
    int affected = 0;
    {
        Statement st(tr, sql);
        st.execute(params);
        affected = st.rowsAffected();
    }
    tr.commit();
    return affected;
}

// ---- Transaction

Transaction::Transaction(Connection &connection) : m_connection(connection)
{
    static const char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                               isc_tpb_wait};
    if (!connection.isOpen())
        throw DbError(QStringLiteral("La conexión con la base de datos no está abierta."));
    ISC_STATUS_ARRAY status;
    isc_start_transaction(status, &m_handle, 1, connection.handle(), short(sizeof tpb), tpb);
    check(status);
}

Transaction::~Transaction()
{
    if (m_handle) {
        ISC_STATUS_ARRAY status;
        isc_rollback_transaction(status, &m_handle);
        m_handle = 0;
    }
}

void Transaction::commit()
{
    ISC_STATUS_ARRAY status;
    isc_commit_transaction(status, &m_handle);
    check(status);
    m_handle = 0;
}

void Transaction::rollback()
{
    ISC_STATUS_ARRAY status;
    isc_rollback_transaction(status, &m_handle);
    m_handle = 0;
    check(status);
}

// ---- Statement

// An XSQLDA with its own buffers for every variable.
struct Statement::Sqlda {
    explicit Sqlda(int n) : raw(static_cast<XSQLDA *>(::operator new(XSQLDA_LENGTH(n < 1 ? 1 : n))))
    {
        std::memset(raw, 0, XSQLDA_LENGTH(n < 1 ? 1 : n));
        raw->version = SQLDA_VERSION1;
        raw->sqln = short(n < 1 ? 1 : n);
    }
    ~Sqlda() { ::operator delete(raw); }
    Sqlda(const Sqlda &) = delete;
    Sqlda &operator=(const Sqlda &) = delete;

    void allocate()
    {
        buffers.assign(std::size_t(raw->sqld), {});
        indicators.assign(std::size_t(raw->sqld), 0);
        for (int i = 0; i < raw->sqld; ++i) {
            XSQLVAR &v = raw->sqlvar[i];
            auto &buffer = buffers[std::size_t(i)];
            buffer.resize(std::size_t(v.sqllen) + ((v.sqltype & ~1) == SQL_VARYING ? 2 : 0) + 1);
            v.sqldata = buffer.data();
            v.sqlind = &indicators[std::size_t(i)];
        }
    }

    XSQLDA *raw;
    std::vector<std::vector<char>> buffers;
    std::vector<short> indicators;
};

Statement::Statement(Transaction &transaction, const QString &sql) : m_transaction(transaction)
{
    ISC_STATUS_ARRAY status;
    isc_dsql_allocate_statement(status, transaction.connection().handle(), &m_handle);
    check(status);

    m_out = std::make_unique<Sqlda>(20);
    const QByteArray text = sql.toLatin1();
    isc_dsql_prepare(status, transaction.handle(), &m_handle, 0, text.constData(), kDialect, m_out->raw);
    check(status);
    if (m_out->raw->sqld > m_out->raw->sqln) {
        m_out = std::make_unique<Sqlda>(m_out->raw->sqld);
        isc_dsql_describe(status, &m_handle, kDialect, m_out->raw);
        check(status);
    }
    m_out->allocate();

    m_in = std::make_unique<Sqlda>(10);
    isc_dsql_describe_bind(status, &m_handle, kDialect, m_in->raw);
    check(status);
    if (m_in->raw->sqld > m_in->raw->sqln) {
        m_in = std::make_unique<Sqlda>(m_in->raw->sqld);
        isc_dsql_describe_bind(status, &m_handle, kDialect, m_in->raw);
        check(status);
    }

    static const char typeItem[] = {isc_info_sql_stmt_type};
    char info[16] = {};
    isc_dsql_sql_info(status, &m_handle, sizeof typeItem, typeItem, sizeof info, info);
    check(status);
    if (info[0] == isc_info_sql_stmt_type) {
        const short len = short(isc_vax_integer(info + 1, 2));
        switch (isc_vax_integer(info + 3, len)) {
        case isc_info_sql_stmt_select:
        case isc_info_sql_stmt_select_for_upd: m_kind = Kind::Select; break;
        case isc_info_sql_stmt_insert: m_kind = Kind::Insert; break;
        case isc_info_sql_stmt_update: m_kind = Kind::Update; break;
        case isc_info_sql_stmt_delete: m_kind = Kind::Delete; break;
        case isc_info_sql_stmt_exec_procedure: m_kind = Kind::ExecProcedure; break;
        case isc_info_sql_stmt_ddl: m_kind = Kind::Ddl; break;
        default: m_kind = Kind::Other; break;
        }
    }

    m_columns = std::make_shared<Columns>();
    for (int i = 0; i < m_out->raw->sqld; ++i) {
        const XSQLVAR &v = m_out->raw->sqlvar[i];
        Column c;
        c.name = QString::fromLatin1(v.aliasname, v.aliasname_length);
        c.field = QString::fromLatin1(v.sqlname, v.sqlname_length);
        c.relation = QString::fromLatin1(v.relname, v.relname_length);
        c.type = short(v.sqltype & ~1);
        c.subType = v.sqlsubtype;
        c.scale = v.sqlscale;
        c.length = v.sqllen;
        c.nullable = v.sqltype & 1;
        m_columns->push_back(c);
    }
}

Statement::~Statement()
{
    if (m_handle) {
        ISC_STATUS_ARRAY status;
        isc_dsql_free_statement(status, &m_handle, DSQL_drop);
    }
}

int Statement::paramCount() const { return m_in->raw->sqld; }

void Statement::bind(const QList<Value> &params)
{
    XSQLDA *da = m_in->raw;
    if (params.size() != da->sqld)
        throw DbError(QStringLiteral("La sentencia espera %1 parámetros y recibió %2.").arg(da->sqld).arg(params.size()));
    m_in->buffers.assign(std::size_t(da->sqld), {});
    m_in->indicators.assign(std::size_t(da->sqld), 0);
    for (int i = 0; i < da->sqld; ++i) {
        XSQLVAR &v = da->sqlvar[i];
        const Value &value = params[i];
        auto &buffer = m_in->buffers[std::size_t(i)];
        short &indicator = m_in->indicators[std::size_t(i)];
        const short described = short(v.sqltype & ~1);
        v.sqlind = &indicator;
        auto put = [&](short type, const void *data, int size, short scale = 0) {
            buffer.assign(static_cast<const char *>(data), static_cast<const char *>(data) + size);
            buffer.push_back(0); // an empty text still needs a data pointer
            v.sqltype = short(type | 1);
            v.sqllen = short(size);
            v.sqlscale = scale;
            v.sqldata = buffer.data();
        };
        if (value.isNull()) {
            indicator = -1;
            buffer.assign(std::size_t(v.sqllen) + 2, 0);
            v.sqltype = short(described | 1);
            v.sqldata = buffer.data();
            continue;
        }
        const auto &s = value.storage();
        if (described == SQL_BLOB && (value.is<QString>() || value.is<QByteArray>())) {
            const ISC_QUAD id = writeBlob(value.toBytes());
            put(SQL_BLOB, &id, sizeof id);
        } else if (const auto *n = std::get_if<qint64>(&s)) {
            put(SQL_INT64, n, 8);
        } else if (const auto *m = std::get_if<Money>(&s)) {
            const qint64 raw = m->raw();
            put(SQL_INT64, &raw, 8, -Money::kScale);
        } else if (const auto *d = std::get_if<double>(&s)) {
            put(SQL_DOUBLE, d, 8);
        } else if (const auto *date = std::get_if<QDate>(&s)) {
            const ISC_DATE x = encodeDate(*date);
            put(SQL_TYPE_DATE, &x, sizeof x);
        } else if (const auto *time = std::get_if<QTime>(&s)) {
            const ISC_TIME x = encodeTime(*time);
            put(SQL_TYPE_TIME, &x, sizeof x);
        } else if (const auto *ts = std::get_if<QDateTime>(&s)) {
            ISC_TIMESTAMP x{encodeDate(ts->date()), encodeTime(ts->time())};
            put(SQL_TIMESTAMP, &x, sizeof x);
        } else {
            const QByteArray bytes = value.toBytes();
            if (bytes.size() > 32765)
                throw DbError(QStringLiteral("El texto es demasiado largo para el parámetro %1.").arg(i + 1));
            const bool textual = described == SQL_TEXT || described == SQL_VARYING;
            put(SQL_TEXT, bytes.constData(), int(bytes.size()));
            v.sqlsubtype = textual ? v.sqlsubtype : kCharsetNone;
        }
    }
}

void Statement::execute(const QList<Value> &params)
{
    ISC_STATUS_ARRAY status;
    if (m_cursorOpen) {
        isc_dsql_free_statement(status, &m_handle, DSQL_close);
        m_cursorOpen = false;
    }
    bind(params);
    XSQLDA *in = m_in->raw->sqld ? m_in->raw : nullptr;
    m_output = Row();
    if (m_kind == Kind::Select) {
        isc_dsql_execute(status, m_transaction.handle(), &m_handle, kDialect, in);
        check(status);
        m_cursorOpen = true;
        m_atEnd = false;
    } else {
        XSQLDA *out = m_out->raw->sqld ? m_out->raw : nullptr;
        isc_dsql_execute2(status, m_transaction.handle(), &m_handle, kDialect, in, out);
        check(status);
        if (out)
            m_output = readRow();
        m_atEnd = true;
    }
}

bool Statement::next(Row &row)
{
    if (!m_cursorOpen || m_atEnd)
        return false;
    ISC_STATUS_ARRAY status;
    const ISC_STATUS rc = isc_dsql_fetch(status, &m_handle, kDialect, m_out->raw);
    if (rc == 100) {
        m_atEnd = true;
        isc_dsql_free_statement(status, &m_handle, DSQL_close);
        m_cursorOpen = false;
        return false;
    }
    check(status);
    row = readRow();
    return true;
}

QList<Row> Statement::fetch(int maxRows)
{
    QList<Row> rows;
    Row row;
    while (rows.size() < maxRows && next(row))
        rows.append(row);
    return rows;
}

int Statement::rowsAffected()
{
    static const char item[] = {isc_info_sql_records};
    char info[64] = {};
    ISC_STATUS_ARRAY status;
    isc_dsql_sql_info(status, &m_handle, sizeof item, item, sizeof info, info);
    check(status);
    if (info[0] != isc_info_sql_records)
        return 0;
    int total = 0;
    for (const char *p = info + 3; *p != isc_info_end && p < info + sizeof info;) {
        const char tag = *p++;
        const short len = short(isc_vax_integer(p, 2));
        p += 2;
        const int count = int(isc_vax_integer(p, len));
        p += len;
        if (tag == isc_info_req_insert_count || tag == isc_info_req_update_count || tag == isc_info_req_delete_count)
            total += count;
    }
    return total;
}

Row Statement::readRow()
{
    std::vector<Value> values;
    values.reserve(std::size_t(m_out->raw->sqld));
    for (int i = 0; i < m_out->raw->sqld; ++i)
        values.push_back(readValue(i));
    return Row(m_columns, std::move(values));
}

Value Statement::readValue(int index)
{
    const XSQLVAR &v = m_out->raw->sqlvar[index];
    if ((v.sqltype & 1) && *v.sqlind < 0)
        return {};
    const char *data = v.sqldata;
    auto scaled = [&](qint64 n) -> Value {
        return v.sqlscale < 0 ? Value(Money::fromScaled(n, -v.sqlscale)) : Value(n);
    };
    switch (v.sqltype & ~1) {
    case SQL_TEXT: {
        QString s = QString::fromLatin1(data, v.sqllen);
        // Fixed-width columns come padded; the program compares them trimmed.
        while (s.endsWith(u' '))
            s.chop(1);
        return s;
    }
    case SQL_VARYING: {
        short len;
        std::memcpy(&len, data, 2);
        return QString::fromLatin1(data + 2, len);
    }
    case SQL_SHORT: { short n; std::memcpy(&n, data, 2); return scaled(n); }
    case SQL_LONG: { ISC_LONG n; std::memcpy(&n, data, 4); return scaled(n); }
    case SQL_INT64: { ISC_INT64 n; std::memcpy(&n, data, 8); return scaled(n); }
    case SQL_FLOAT: { float f; std::memcpy(&f, data, 4); return double(f); }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: { double d; std::memcpy(&d, data, 8); return d; }
    case SQL_TYPE_DATE: { ISC_DATE d; std::memcpy(&d, data, 4); return decodeDate(d); }
    case SQL_TYPE_TIME: { ISC_TIME t; std::memcpy(&t, data, 4); return decodeTime(t); }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP ts;
        std::memcpy(&ts, data, sizeof ts);
        return QDateTime(decodeDate(ts.timestamp_date), decodeTime(ts.timestamp_time));
    }
    case SQL_BOOLEAN: return qint64(*reinterpret_cast<const unsigned char *>(data) ? 1 : 0);
    case SQL_BLOB: {
        ISC_QUAD id;
        std::memcpy(&id, data, sizeof id);
        const QByteArray bytes = readBlob(id);
        return v.sqlsubtype == 1 ? Value(QString::fromLatin1(bytes)) : Value(bytes);
    }
    default:
        throw DbError(QStringLiteral("Tipo de columna no soportado (%1) en %2.")
                          .arg(v.sqltype & ~1).arg(QString::fromLatin1(v.aliasname, v.aliasname_length)));
    }
}

QByteArray Statement::readBlob(ISC_QUAD id)
{
    ISC_STATUS_ARRAY status;
    isc_blob_handle blob = 0;
    isc_open_blob2(status, m_transaction.connection().handle(), m_transaction.handle(), &blob, &id, 0, nullptr);
    check(status);
    QByteArray bytes;
    std::vector<char> segment(kBlobSegment);
    for (;;) {
        unsigned short length = 0;
        const ISC_STATUS rc = isc_get_segment(status, &blob, &length, (unsigned short)segment.size(), segment.data());
        if (rc != 0 && rc != isc_segment)
            break;
        bytes.append(segment.data(), length);
    }
    const bool failed = status[1] != 0 && status[1] != isc_segstr_eof && status[1] != isc_segment;
    ISC_STATUS_ARRAY closeStatus;
    if (failed) {
        ISC_STATUS_ARRAY copy;
        std::memcpy(copy, status, sizeof copy);
        isc_close_blob(closeStatus, &blob);
        throwStatus(copy);
    }
    isc_close_blob(closeStatus, &blob);
    return bytes;
}

ISC_QUAD Statement::writeBlob(const QByteArray &bytes)
{
    ISC_STATUS_ARRAY status;
    isc_blob_handle blob = 0;
    ISC_QUAD id{};
    isc_create_blob2(status, m_transaction.connection().handle(), m_transaction.handle(), &blob, &id, 0, nullptr);
    check(status);
    for (qsizetype offset = 0; offset < bytes.size(); offset += kBlobSegment) {
        const auto length = (unsigned short)std::min<qsizetype>(kBlobSegment, bytes.size() - offset);
        isc_put_segment(status, &blob, length, bytes.constData() + offset);
        if (status[0] == 1 && status[1]) {
            ISC_STATUS_ARRAY copy;
            std::memcpy(copy, status, sizeof copy);
            isc_cancel_blob(status, &blob);
            throwStatus(copy);
        }
    }
    isc_close_blob(status, &blob);
    check(status);
    return id;
}

} // namespace db
