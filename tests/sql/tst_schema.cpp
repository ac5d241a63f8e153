// What the company database does on its own: stays, one open stay per plate, audit rows,
// invoice and receipt numbering under concurrency, identifier procedures.
#include "fixtures.h"

#include <QSet>
#include <QTest>
#include <thread>

using namespace db;

namespace {

const QString kInvoice = QStringLiteral(
    "insert into facturas (ptvt_id, vend_cod, terc_nit, fact_numero, fact_fecha, fact_ivainc, pref_pre, numok) "
    "values (1, 1, '222222222222', '000001', current_date, 'S', 'FV', 'N') returning fact_id, fact_numero, numok");

} // namespace

class tst_schema : public QObject {
    Q_OBJECT

    fixtures::SharedTempDir m_dir;
    QString m_path;

    Connection open() { return Connection::attach(fixtures::embedded(m_path)); }
    Connection openOnServer() { return Connection::attach(fixtures::serverAdmin(QStringLiteral("localhost:") + m_path)); }

    static void seed(Connection &c, const QString &last)
    {
        c.execute(QStringLiteral("insert into tipo_vehiculo (tivh_cod, tich_nom) values (1, 'CARRO')"));
        c.execute(QStringLiteral("insert into prefijos (tido_cod, pref_pre, pref_actual, pref_ivainc) "
                                 "values (31, 'FV', '000001', 'S')"));
        c.execute(QStringLiteral("insert into autorizaciones (tido_cod, pref_pre, auto_fecha, auto_vence, "
                                 "auto_inicial, auto_final, auto_prefrdc) values (31, 'FV', current_date - 30, "
                                 "current_date + 365, '000001', ?, 'RC')"), {last});
        c.execute(QStringLiteral("insert into prefijos (tido_cod, pref_pre, pref_actual, pref_ivainc) "
                                 "values (61, 'RC', '000001', 'N')"));
    }

private slots:
    void init()
    {
        m_path = fixtures::createCompanyDatabase(m_dir.file(QStringLiteral("%1.fdb").arg(QTest::currentTestFunction())));
    }

    void stayGetsItsDefaultsAndAudit()
    {
        Connection c = Connection::attach(fixtures::embedded(m_path, QStringLiteral("CAJERO")));
        c.execute(QStringLiteral("insert into tipo_vehiculo (tivh_cod, tich_nom) values (1, 'CARRO')"));
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        c.execute(QStringLiteral("insert into parqueadero (parq_pref, parq_vehiculo, tivh_cod) values ('FV', 'abc123', 1)"));
        const Row stay = c.queryFirst(QStringLiteral("select * from parqueadero"));
        QVERIFY(stay.value(QStringLiteral("PARQ_ID")).toInt() > 0);
        QCOMPARE(stay.value(QStringLiteral("PARQ_VEHICULO")).toString(), QStringLiteral("ABC123"));
        QCOMPARE(stay.value(QStringLiteral("PARQ_FACTURA")).toInt(), 0);
        QCOMPARE(stay.value(QStringLiteral("PARQ_ANULADO")).toString(), QStringLiteral("N"));
        const QDateTime entered(stay.value(QStringLiteral("PARQ_FECINI")).toDate(),
                                stay.value(QStringLiteral("PARQ_HORAINI")).toTime());
        QVERIFY(entered >= before && entered <= QDateTime::currentDateTime().addSecs(1));

        const qint64 id = stay.value(QStringLiteral("PARQ_ID")).toInt();
        c.execute(QStringLiteral("delete from parqueadero"));
        const QList<Row> audit = c.query(QStringLiteral("select audi_oper, audi_iddoc, audi_cod from auditoria "
                                                        "where tido_cod = 38 order by audi_id"));
        QCOMPARE(audit.size(), 2);
        QCOMPARE(audit[0].at(0).toString(), QStringLiteral("I"));
        QCOMPARE(audit[1].at(0).toString(), QStringLiteral("D"));
        QCOMPARE(audit[1].at(1).toInt(), id);
        QCOMPARE(audit[1].at(2).toString(), QStringLiteral("CAJERO"));
    }

    void onlyOneOpenStayPerPlate()
    {
        Connection c = open();
        seed(c, QStringLiteral("000100"));
        const QString entry = QStringLiteral("insert into parqueadero (parq_pref, parq_vehiculo, tivh_cod) values ('FV', 'ABC123', 1)");
        c.execute(entry);
        try {
            c.execute(entry);
            QFAIL("a second open stay was stored");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("El vehículo ABC123 ya ingresó en ")), qPrintable(e.message()));
        }
        // Once invoiced, the plate may enter again.
        c.execute(QStringLiteral("update parqueadero set parq_factura = 5"));
        c.execute(entry);
        QCOMPARE(c.queryFirst(QStringLiteral("select count(*) from parqueadero")).at(0).toInt(), 2);
        // Reopening the invoiced stay while another one is open is refused too.
        QVERIFY_THROWS_EXCEPTION(DbError, c.execute(QStringLiteral("update parqueadero set parq_factura = 0")));
    }

    // Two workstations enter the same plate at the same instant: the second waits and is refused.
    void simultaneousEntriesGiveOneStay()
    {
        REQUIRE_SERVER();
        {
            Connection c = openOnServer();
            seed(c, QStringLiteral("000100"));
        }
        Connection a = openOnServer();
        Connection b = openOnServer();
        const QString entry = QStringLiteral("insert into parqueadero (parq_pref, parq_vehiculo, tivh_cod) values ('FV', 'XYZ987', 1)");
        Transaction ta(a);
        { Statement st(ta, entry); st.execute(); }
        std::optional<ErrorKind> second;
        std::thread other([&] {
            try {
                b.execute(entry);
            } catch (const DbError &e) {
                second = e.kind();
            }
        });
        QTest::qWait(300); // the other insert is now waiting on ours
        ta.commit();
        other.join();
        // Refused by the unique index while waiting, or by the trigger if it started after the commit.
        QVERIFY(second.has_value());
        QVERIFY(*second == ErrorKind::PrimaryOrUniqueKey || *second == ErrorKind::UserException);
        QCOMPARE(a.queryFirst(QStringLiteral("select count(*) from parqueadero where parq_vehiculo = 'XYZ987'")).at(0).toInt(), 1);
    }

    void invoiceNumbering()
    {
        Connection c = Connection::attach(fixtures::embedded(m_path, QStringLiteral("CAJERO")));
        seed(c, QStringLiteral("000003"));
        const Row first = c.queryFirst(kInvoice);
        QCOMPARE(first.value(QStringLiteral("FACT_NUMERO")).toString(), QStringLiteral("000001"));
        QCOMPARE(first.value(QStringLiteral("NUMOK")).toString(), QStringLiteral("S"));
        {
            Transaction tr(c); // rolled back: the number is not lost
            Statement st(tr, kInvoice);
            st.execute();
            QCOMPARE(st.outputRow().value(QStringLiteral("FACT_NUMERO")).toString(), QStringLiteral("000002"));
        }
        QCOMPARE(c.queryFirst(kInvoice).value(QStringLiteral("FACT_NUMERO")).toString(), QStringLiteral("000002"));
        QCOMPARE(c.queryFirst(kInvoice).value(QStringLiteral("FACT_NUMERO")).toString(), QStringLiteral("000003"));
        QCOMPARE(c.queryFirst(QStringLiteral("select pref_actual from prefijos where tido_cod = 31")).at(0).toString(),
                 QStringLiteral("000004"));
        try {
            c.queryFirst(kInvoice);
            QFAIL("an invoice beyond the authorised range was stored");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), ErrorKind::UserException);
            QVERIFY2(e.message().contains(QStringLiteral("supera el número final autorizado 000003")), qPrintable(e.message()));
        }
        const Row audit = c.queryFirst(QStringLiteral("select count(*), min(audi_cod) from auditoria where tido_cod = 31 and audi_oper = 'I'"));
        QCOMPARE(audit.at(0).toInt(), 3);
        QCOMPARE(audit.at(1).toString(), QStringLiteral("CAJERO"));
    }

    void receiptNumbering()
    {
        Connection c = open();
        seed(c, QStringLiteral("000100"));
        const QString receipt = QStringLiteral(
            "insert into recibos_caja (reca_id, caja_id, tido_cod, pref_pre, reca_numero, reca_fecha, numok) "
            "values (?, 1, 61, 'RC', '000001', current_date, 'N') returning reca_numero");
        QStringList numbers;
        for (int i = 0; i < 3; ++i) {
            const qint64 id = c.queryFirst(QStringLiteral("execute procedure cambie_id_recicaja")).at(0).toInt();
            numbers << c.queryFirst(receipt, {id}).at(0).toString();
        }
        QCOMPARE(numbers, (QStringList{"000001", "000002", "000003"}));
        QCOMPARE(c.queryFirst(QStringLiteral("select pref_actual from prefijos where tido_cod = 61")).at(0).toString(),
                 QStringLiteral("000004"));
    }

    void identifierProceduresNeverRepeat()
    {
        Connection c = open();
        QSet<qint64> invoices, receipts;
        for (int i = 0; i < 5; ++i) {
            invoices << c.queryFirst(QStringLiteral("execute procedure cambie_id_factura")).value(QStringLiteral("ID")).toInt();
            receipts << c.queryFirst(QStringLiteral("execute procedure cambie_id_recicaja")).value(QStringLiteral("ID")).toInt();
        }
        QCOMPARE(invoices.size(), 5);
        QCOMPARE(receipts.size(), 5);
    }

    // Workstations numbering invoices of one prefix at once get unique, consecutive numbers.
    void concurrentInvoicesAreConsecutive()
    {
        REQUIRE_SERVER();
        {
            Connection c = openOnServer();
            seed(c, QStringLiteral("999998"));
        }
        constexpr int kWorkers = 4;
        constexpr int kEach = 25;
        std::vector<QStringList> numbers(kWorkers);
        std::vector<QString> failures(kWorkers);
        std::vector<std::thread> workers;
        for (int w = 0; w < kWorkers; ++w)
            workers.emplace_back([&, w] {
                try {
                    Connection c = openOnServer();
                    for (int i = 0; i < kEach; ++i)
                        numbers[std::size_t(w)] << c.queryFirst(kInvoice).value(QStringLiteral("FACT_NUMERO")).toString();
                } catch (const DbError &e) {
                    failures[std::size_t(w)] = e.message();
                }
            });
        for (auto &t : workers)
            t.join();
        for (const QString &f : failures)
            QVERIFY2(f.isEmpty(), qPrintable(f));
        QSet<QString> all;
        for (const QStringList &list : numbers)
            for (const QString &n : list)
                all << n;
        QCOMPARE(all.size(), kWorkers * kEach);
        for (int n = 1; n <= kWorkers * kEach; ++n)
            QVERIFY(all.contains(QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0'))));
    }
};

QTEST_GUILESS_MAIN(tst_schema)
#include "tst_schema.moc"
