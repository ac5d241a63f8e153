// The Firebird access layer against the embedded engine and the local server.
#include "fixtures.h"

#include "data/db/connection.h"

#include <QRandomGenerator>
#include <QTest>

using namespace db;

class tst_db : public QObject {
    Q_OBJECT

    fixtures::SharedTempDir m_dir;
    QString m_path;
    Connection m_db;

private slots:
    void initTestCase()
    {
        m_path = m_dir.file(QStringLiteral("access.fdb"));
        m_db = Connection::create(fixtures::embedded(m_path));
        m_db.execute(QStringLiteral("create table t (id integer not null primary key, m2 numeric(15,2), "
                                    "m4 numeric(15,4), txt varchar(40), fix char(10), d date, tm time, ts timestamp, "
                                    "b blob sub_type 0, bt blob sub_type 1)"));
        m_db.execute(QStringLiteral("create procedure next_id (base integer) returns (id integer, label varchar(20)) "
                                    "as begin id = base + 1; label = 'Vehículo'; end"));
    }

    void cleanup() { m_db.execute(QStringLiteral("delete from t")); }

    void connectionFailures_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<bool>("wrongPassword");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("messagePart");
        QTest::newRow("wrong password") << QStringLiteral("localhost:%1") << true << int(ErrorKind::WrongCredentials)
                                        << QStringLiteral("Your user name and password are not defined");
        QTest::newRow("missing file, server") << QStringLiteral("localhost:%1.missing") << false
                                              << int(ErrorKind::FileNotFound) << QStringLiteral("I/O error");
        QTest::newRow("unknown host") << QStringLiteral("nohost.invalid:%1") << false << int(ErrorKind::HostNotFound)
                                      << QStringLiteral("Unable to complete network request");
        QTest::newRow("server not running") << QStringLiteral("localhost/3999:%1") << false
                                            << int(ErrorKind::ServerNotReachable)
                                            << QStringLiteral("Unable to complete network request");
    }

    void connectionFailures()
    {
        REQUIRE_SERVER();
        QFETCH(QString, database);
        QFETCH(bool, wrongPassword);
        QFETCH(int, kind);
        QFETCH(QString, messagePart);
        ConnectParams params = fixtures::serverAdmin(database.arg(m_path));
        if (wrongPassword)
            params.password = QStringLiteral("wrong-password");
        try {
            Connection::attach(params);
            QFAIL("attach should have failed");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(messagePart), qPrintable(e.message()));
            QCOMPARE(int(e.kind()), kind);
            QVERIFY(e.gdsCode() != 0);
        }
    }

    void missingFileEmbedded()
    {
        try {
            Connection::attach(fixtures::embedded(m_dir.file(QStringLiteral("none.fdb"))));
            QFAIL("attach should have failed");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), ErrorKind::FileNotFound);
            QVERIFY2(e.quotedName().endsWith(QLatin1String("none.fdb")), qPrintable(e.message()));
        }
    }

    void moneyRoundTrips_data()
    {
        QTest::addColumn<QString>("m2");
        QTest::addColumn<QString>("m4");
        QTest::newRow("largest") << QStringLiteral("9999999999999.99") << QStringLiteral("12345678901.2345");
        QTest::newRow("negative") << QStringLiteral("-9999999999999.99") << QStringLiteral("-12345678901.2345");
        QTest::newRow("small") << QStringLiteral("0.01") << QStringLiteral("-0.0001");
        QTest::newRow("null") << QString() << QString();
    }

    void moneyRoundTrips()
    {
        QFETCH(QString, m2);
        QFETCH(QString, m4);
        auto literal = [](const QString &s) { return s.isNull() ? QStringLiteral("null") : s; };
        auto param = [](const QString &s) { return s.isNull() ? Value() : Value(*Money::parse(s)); };
        m_db.execute(QStringLiteral("insert into t (id, m2, m4) values (1, %1, %2)").arg(literal(m2), literal(m4)));
        m_db.execute(QStringLiteral("insert into t (id, m2, m4) values (2, ?, ?)"), {param(m2), param(m4)});
        const QList<Row> rows = m_db.query(QStringLiteral("select m2, m4 from t order by id"));
        QCOMPARE(rows.size(), 2);
        for (const Row &row : rows) {
            QCOMPARE(row.value(QStringLiteral("M2")).isNull(), m2.isNull());
            if (m2.isNull())
                continue;
            QVERIFY(row.at(0).is<Money>());
            QCOMPARE(row.at(0).toMoney().toString(2), m2);
            QCOMPARE(row.at(1).toMoney().toString(4), m4);
            QCOMPARE(row.at(0).toMoney(), *Money::parse(m2));
        }
    }

    void latin1Text()
    {
        m_db.execute(QStringLiteral("insert into t (id, txt, fix) values (1, 'COMPAÑÍA', 'Vehículo')"));
        m_db.execute(QStringLiteral("insert into t (id, txt, fix) values (2, ?, ?)"),
                     {QStringLiteral("COMPAÑÍA"), QStringLiteral("Vehículo")});
        const QList<Row> rows = m_db.query(QStringLiteral("select txt, fix, char_length(txt) from t order by id"));
        for (const Row &row : rows) {
            QCOMPARE(row.at(0).toString(), QStringLiteral("COMPAÑÍA"));
            QCOMPARE(row.at(1).toString(), QStringLiteral("Vehículo"));
            QCOMPARE(row.at(2).toInt(), 8); // one byte per character in ISO8859_1
        }
        QCOMPARE(m_db.queryFirst(QStringLiteral("select count(*) from t where txt = 'COMPAÑÍA'")).at(0).toInt(), 2);
    }

    void dateAndTime()
    {
        const QDateTime ts(QDate(2014, 5, 31), QTime(13, 4, 5, 120));
        m_db.execute(QStringLiteral("insert into t (id, d, tm, ts) values (1, '2014/05/31', '13:04:05', ?)"), {ts});
        const Row row = m_db.queryFirst(QStringLiteral("select d, tm, ts from t"));
        QCOMPARE(row.at(0).toDate(), QDate(2014, 5, 31));
        QCOMPARE(row.at(1).toTime(), QTime(13, 4, 5));
        QCOMPARE(row.at(2).toDateTime(), ts);
        QCOMPARE(row.at(0).toString(), QStringLiteral("2014/05/31"));
    }

    void blobs()
    {
        QByteArray bytes(1024 * 1024, Qt::Uninitialized);
        QRandomGenerator rng(42);
        for (auto &b : bytes)
            b = char(rng.bounded(256));
        const QString text = QString(70000, u'ñ');
        m_db.execute(QStringLiteral("insert into t (id, b, bt) values (1, ?, ?)"), {bytes, text});
        const Row row = m_db.queryFirst(QStringLiteral("select b, bt from t"));
        QCOMPARE(row.at(0).toBytes(), bytes);
        QCOMPARE(row.at(1).toString(), text);
    }

    void fetchInPackets()
    {
        m_db.execute(QStringLiteral("execute block as declare i integer = 0; begin "
                                    "while (i < 2500) do begin insert into t (id) values (:i); i = i + 1; end end"));
        Transaction tr(m_db);
        Statement st(tr, QStringLiteral("select id from t order by id"));
        st.execute();
        QList<int> packets;
        qint64 last = -1;
        for (QList<Row> rows = st.fetch(1000); !rows.isEmpty(); rows = st.fetch(1000)) {
            packets << int(rows.size());
            QCOMPARE(rows.first().at(0).toInt(), last + 1);
            last = rows.last().at(0).toInt();
        }
        QCOMPARE(packets, (QList<int>{1000, 1000, 500}));
        QVERIFY(st.atEnd());
    }

    void executableProcedure()
    {
        const Row row = m_db.queryFirst(QStringLiteral("execute procedure next_id 41"));
        QCOMPARE(row.value(QStringLiteral("ID")).toInt(), 42);
        QCOMPARE(row.value(QStringLiteral("LABEL")).toString(), QStringLiteral("Vehículo"));
    }

    void wideRowsAndManyParameters()
    {
        QStringList columns, marks;
        QList<Value> params;
        for (int i = 0; i < 30; ++i) {
            columns << QStringLiteral("cast(? as integer) as c%1").arg(i);
            params << Value(i * 7);
        }
        const Row row = m_db.queryFirst(QStringLiteral("select ") + columns.join(u',') +
                                        QStringLiteral(" from rdb$database"), params);
        QCOMPARE(row.size(), 30);
        QCOMPARE(row.value(QStringLiteral("C29")).toInt(), 29 * 7);
        QCOMPARE(m_db.queryFirst(QStringLiteral("select cast(? as varchar(10)) from rdb$database"), {QString()}).at(0).toString(), QString());
    }

    void readCommittedSeesOtherCommits()
    {
        Connection other = Connection::attach(fixtures::embedded(m_path));
        Transaction mine(m_db);
        auto count = [&] {
            Statement st(mine, QStringLiteral("select count(*) from t"));
            st.execute();
            Row row;
            st.next(row);
            return row.at(0).toInt();
        };
        QCOMPARE(count(), 0);
        other.execute(QStringLiteral("insert into t (id) values (7)"));
        QCOMPARE(count(), 1);
    }

    void statementErrorsCarryCodes()
    {
        m_db.execute(QStringLiteral("insert into t (id) values (1)"));
        try {
            m_db.execute(QStringLiteral("insert into t (id) values (1)"));
            QFAIL("duplicate key accepted");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), ErrorKind::PrimaryOrUniqueKey);
            QVERIFY(e.message().contains(QLatin1String("violation of PRIMARY or UNIQUE KEY")));
        }
        QVERIFY_THROWS_EXCEPTION(DbError, m_db.execute(QStringLiteral("select nonsense from nowhere")));
    }
};

QTEST_GUILESS_MAIN(tst_db)
#include "tst_db.moc"
