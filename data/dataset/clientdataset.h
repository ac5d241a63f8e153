#pragma once

#include "data/db/connection.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace dataset {

enum class FieldType { Integer, Money, Float, Date, Time, DateTime, Text, Blob };

struct Field {
    QString name;         // upper case, as the database names it
    FieldType type = FieldType::Text;
    int size = 0;
    bool required = false;
    bool key = false;
    bool calculated = false;  // computed in memory, never written
};

// Why an edit, post, delete or apply failed.
struct Error {
    enum class Kind { Database, RequiredField, KeyViolation, MasterHasDetails, Other };
    Kind kind = Kind::Other;
    QString message;
    db::ErrorKind dbKind = db::ErrorKind::Other;  // for Kind::Database
    QStringList fields;  // RequiredField: the empty required fields; KeyViolation: the key's fields
};

class ClientDataSet;

// Sits over a statement of one database; its command text can be replaced at run time.
// sourceName is the statement component's name ("TVehiculo"); the error handler derives
// the table name shown to the user from it.
class Provider : public QObject {
    Q_OBJECT
public:
    Provider(const QString &name, const QString &sourceName, std::function<db::Connection &()> connection,
             QObject *parent = nullptr);

    QString sourceName() const { return m_sourceName; }
    db::Connection &connection() const { return m_connection(); }
    QString commandText;
    QString updateTable;  // empty: the table of the statement's first column

    // Called for a change the database refused while applying updates; applying then stops.
    std::function<void(Provider &, ClientDataSet &, const Error &)> onUpdateError;

private:
    QString m_sourceName;
    std::function<db::Connection &()> m_connection;
};

// Rows of one statement in memory, fetched in packets, edited in memory and sent back on
// applyUpdates in one transaction together with the nested detail rows.
class ClientDataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit ClientDataSet(const QString &name, QObject *parent = nullptr);
    ~ClientDataSet() override;

    void setProvider(Provider *provider) { m_provider = provider; }
    Provider *provider() const { return m_provider; }
    // Replaces the provider's command text (the providers of this program all allow it).
    void setCommandText(const QString &sql);
    QString commandText() const;

    int packetRecords = 1000;
    std::function<void(ClientDataSet &)> beforeFetch;
    std::function<void(ClientDataSet &)> afterFetch;
    // Edit, post and delete refusals; the answer is always to abort the operation.
    std::function<void(ClientDataSet &, const Error &)> onClientError;
    std::function<void(ClientDataSet &)> afterInsert;
    std::function<void(ClientDataSet &)> beforePost;
    std::function<void(ClientDataSet &, const QString &field)> onFieldChange;
    std::function<void(ClientDataSet &)> onCalcFields;

    // Reading. Database errors propagate as db::DbError to the caller (the unhandled path).
    void open();
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    // Runs the command text as a statement that returns no rows.
    int execute();
    bool fetchMore();
    void fetchAll();
    bool allFetched() const;

    // Fields. Calculated fields are added before opening.
    void addCalculatedField(const QString &name, FieldType type);
    const std::vector<Field> &fields() const { return m_fields; }
    int fieldIndex(const QString &name) const;
    const Field *field(const QString &name) const;
    // Unique key kept in memory (posting a duplicate is refused); also the sort order.
    void setIndexFields(const QStringList &fields, bool unique);
    QStringList indexFields() const { return m_indexFields; }

    // Navigation over the visible rows (local filter and index applied).
    int rowCount() const { return int(m_view.size()); }
    bool isEmpty() const { return m_view.empty(); }
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    void first() { setCurrentRow(0); }
    void next() { setCurrentRow(m_current + 1); }
    bool eof() const { return m_current >= rowCount(); }
    void last();
    bool locate(const QString &field, const db::Value &value);
    void setFilter(std::function<bool(const ClientDataSet &)> filter);

    db::Value value(const QString &field) const;
    db::Value valueAt(int row, int fieldIndex) const;
    void setValue(const QString &field, const db::Value &value);

    // Editing. Refusals go to onClientError and return false.
    bool insert();
    bool edit();
    bool post();
    void cancel();
    bool remove();

    int changeCount() const;
    // Sends every pending change of this data set and its details in one transaction.
    // A refused change rolls everything back, reports through onUpdateError and keeps the changes.
    bool applyUpdates();
    void cancelUpdates();

    // A detail whose rows are nested in each row of this data set. Its statement names the
    // master's link fields as parameters: "SELECT * FROM FACTURAS_DETALLE WHERE FACT_ID = :FACT_ID".
    void addDetail(ClientDataSet *detail, const QString &sql, const QString &updateTable);
    ClientDataSet *master() const { return m_master; }

signals:
    void reset();
    // A packet appends rows first..last of the view: announced, then done.
    void rowsAboutToBeFetched(int first, int last);
    void rowsFetched(int first, int last);
    void currentChanged(int row);

private:
    struct Record;
    using Records = std::vector<std::shared_ptr<Record>>;

    void readFields(const db::Columns &columns, db::Connection &connection, const QString &table);
    QString targetTable() const;
    db::Connection &connection() const;
    std::shared_ptr<Record> makeRecord(std::vector<db::Value> values) const;
    void calculate(Record &record);
    void rebuildView();
    bool passesFilter(int record);
    void prepareDetailFields();
    void loadDetailRows(Record &owner);
    void attachToMasterRecord();
    bool fail(Error::Kind kind, const QString &message, const QStringList &fields = {});
    bool hasDuplicateKey(const Record &record) const;
    Record *currentRecord() const;
    void applyRecords(db::Transaction &tr, ClientDataSet &owner, Records &records, Records &deleted);
    void writeRecord(db::Transaction &tr, const Record &record);
    void commitRecords(Records &records, Records &deleted);

    QString m_name;
    Provider *m_provider = nullptr;
    QString m_ownCommandText;
    State m_state = State::Inactive;
    std::vector<Field> m_fields;
    std::vector<Field> m_calculated;
    QStringList m_indexFields;
    bool m_uniqueIndex = false;
    std::function<bool(const ClientDataSet &)> m_filter;

    Records m_ownRecords;        // a master's rows
    Records m_ownDeleted;
    Records *m_records = &m_ownRecords;  // a detail points into its master's current record
    Records *m_deleted = &m_ownDeleted;
    std::vector<int> m_view;
    int m_current = 0;
    std::shared_ptr<Record> m_editing;   // the record being inserted or edited
    std::vector<db::Value> m_before;     // its values before edit()

    std::unique_ptr<db::Transaction> m_fetchTransaction;
    std::unique_ptr<db::Statement> m_cursor;

    ClientDataSet *m_master = nullptr;
    QString m_detailSql;
    QString m_detailTable;
    QStringList m_linkFields;
    QString m_tableFromStatement;
    std::vector<ClientDataSet *> m_details;
    int m_filterRow = -1;  // row the filter is looking at
};

} // namespace dataset
