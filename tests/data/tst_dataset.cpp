// Client data sets: packets, in-memory edits, nested details applied in one transaction, refusals.
#include "fixtures.h"

#include "data/dataset/clientdataset.h"
#include "data/dataset/tablemodel.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace dataset;

class tst_dataset : public QObject {
    Q_OBJECT

    fixtures::SharedTempDir m_dir;
    db::Connection m_db;
    std::unique_ptr<Provider> m_provider;
    QList<Error> m_clientErrors;
    QList<Error> m_updateErrors;

    std::unique_ptr<ClientDataSet> makeSet(const QString &sql)
    {
        m_provider = std::make_unique<Provider>(QStringLiteral("PVehiculo"), QStringLiteral("TVehiculo"),
                                                [this]() -> db::Connection & { return m_db; });
        m_provider->onUpdateError = [this](Provider &, ClientDataSet &, const Error &e) { m_updateErrors << e; };
        auto set = std::make_unique<ClientDataSet>(QStringLiteral("CVehiculo"));
        set->setProvider(m_provider.get());
        set->setCommandText(sql);
        set->onClientError = [this](ClientDataSet &, const Error &e) { m_clientErrors << e; };
        return set;
    }

    int count(const QString &table) { return int(m_db.queryFirst("select count(*) from " + table).at(0).toInt()); }

private slots:
    void initTestCase()
    {
        m_db = db::Connection::create(fixtures::embedded(m_dir.file(QStringLiteral("ds.fdb"))));
        m_db.execute(QStringLiteral("create table veh (placa varchar(8) not null primary key, "
                                    "nit varchar(20) not null, valor numeric(15,2), nota varchar(40))"));
        m_db.execute(QStringLiteral("create table fac (fact_id integer not null primary key, total numeric(15,2))"));
        m_db.execute(QStringLiteral("create table det (fact_id integer not null references fac, "
                                    "linea integer not null, valor numeric(15,2), primary key (fact_id, linea))"));
    }

    void init()
    {
        m_db.execute(QStringLiteral("delete from det"));
        m_db.execute(QStringLiteral("delete from fac"));
        m_db.execute(QStringLiteral("delete from veh"));
        m_clientErrors.clear();
        m_updateErrors.clear();
    }

    void fetchesInPacketsWithBusyHooks()
    {
        m_db.execute(QStringLiteral("execute block as declare i integer = 0; begin while (i < 2500) do begin "
                                    "insert into veh (placa, nit) values (lpad(:i, 6, '0'), 'X'); i = i + 1; end end"));
        auto set = makeSet(QStringLiteral("select * from veh order by placa"));
        int before = 0, after = 0;
        set->beforeFetch = [&](ClientDataSet &) { ++before; };
        set->afterFetch = [&](ClientDataSet &) { ++after; };
        set->open();
        QCOMPARE(set->rowCount(), 1000);
        QVERIFY(!set->allFetched());
        TableModel model(set.get(), {{QStringLiteral("PLACA"), QStringLiteral("Placa")}});
        QVERIFY(model.canFetchMore({}));
        model.fetchMore({});
        QCOMPARE(model.rowCount(), 2000);
        set->fetchAll();
        QCOMPARE(set->rowCount(), 2500);
        QVERIFY(set->allFetched());
        QCOMPARE(before, after);
        QVERIFY(before >= 3);
        QCOMPARE(model.data(model.index(2499, 0)).toString(), QStringLiteral("002499"));
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    // A grid scrolling on gets each packet as appended rows, so it keeps its place.
    void gridReceivesPacketsAsAppendedRows()
    {
        m_db.execute(QStringLiteral("execute block as declare i integer = 0; begin while (i < 2500) do begin "
                                    "insert into veh (placa, nit) values (lpad(:i, 6, '0'), 'X'); i = i + 1; end end"));
        auto set = makeSet(QStringLiteral("select * from veh order by placa"));
        set->open();
        TableModel model(set.get(), {{QStringLiteral("PLACA"), QStringLiteral("Placa")}});
        int resets = 0;
        QList<int> inserted;
        connect(&model, &QAbstractItemModel::modelReset, this, [&] { ++resets; });
        connect(&model, &QAbstractItemModel::rowsInserted, this,
                [&](const QModelIndex &, int first, int last) { inserted << first << last; });
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        while (model.canFetchMore({}))
            model.fetchMore({});
        QCOMPARE(model.rowCount(), 2500);
        QCOMPARE(resets, 0);
        QCOMPARE(inserted.size(), 4); // two packets after the first, both appended at the end
        QCOMPARE(inserted, (QList<int>{1000, 1999, 2000, 2499}));
    }

    void editsStayInMemoryUntilApplied()
    {
        m_db.execute(QStringLiteral("insert into veh values ('AAA111', '1', 100, 'uno')"));
        m_db.execute(QStringLiteral("insert into veh values ('BBB222', '2', 200, 'dos')"));
        auto set = makeSet(QStringLiteral("select * from veh order by placa"));
        set->open();
        QVERIFY(set->field(QStringLiteral("PLACA"))->key);
        QVERIFY(set->field(QStringLiteral("NIT"))->required);
        set->first();
        set->setValue(QStringLiteral("VALOR"), *db::Money::parse("150.25"));
        QVERIFY(set->post());
        set->next();
        QVERIFY(set->remove());
        QVERIFY(set->insert());
        set->setValue(QStringLiteral("PLACA"), QStringLiteral("CCC333"));
        set->setValue(QStringLiteral("NIT"), QStringLiteral("3"));
        QVERIFY(set->post());
        QCOMPARE(set->changeCount(), 3);
        QCOMPARE(count(QStringLiteral("veh where placa = 'CCC333'")), 0); // nothing sent yet
        QVERIFY(set->applyUpdates());
        QCOMPARE(set->changeCount(), 0);
        const QList<db::Row> rows = m_db.query(QStringLiteral("select placa, valor, nota from veh order by placa"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].at(1).toMoney().toString(2), QStringLiteral("150.25"));
        QCOMPARE(rows[0].at(2).toString(), QStringLiteral("uno"));
        QCOMPARE(rows[1].at(0).toString(), QStringLiteral("CCC333"));
        QVERIFY(rows[1].at(1).isNull());
    }

    void refusalsGoToTheClientErrorPath()
    {
        auto set = makeSet(QStringLiteral("select * from veh"));
        set->open();
        set->setIndexFields({QStringLiteral("PLACA")}, true);
        QVERIFY(set->insert());
        set->setValue(QStringLiteral("PLACA"), QStringLiteral("AAA111"));
        QVERIFY(!set->post()); // NIT is required
        QCOMPARE(m_clientErrors.size(), 1);
        QCOMPARE(m_clientErrors[0].kind, Error::Kind::RequiredField);
        QVERIFY(m_clientErrors[0].message.startsWith(QLatin1String("Fie")));
        QCOMPARE(set->state(), ClientDataSet::State::Insert); // the user can correct and post again
        set->first();                                          // moving away does not lose the row
        QCOMPARE(set->state(), ClientDataSet::State::Insert);
        QCOMPARE(m_clientErrors.size(), 2);
        set->setValue(QStringLiteral("NIT"), QStringLiteral("1"));
        QVERIFY(set->post());
        QVERIFY(set->insert());
        set->setValue(QStringLiteral("PLACA"), QStringLiteral("AAA111"));
        set->setValue(QStringLiteral("NIT"), QStringLiteral("2"));
        QVERIFY(!set->post());
        QCOMPARE(m_clientErrors.last().kind, Error::Kind::KeyViolation);
        QVERIFY(m_clientErrors.last().message.startsWith(QLatin1String("key")));
    }

    // A refused change rolls back the whole apply and keeps every pending change.
    void failedApplyKeepsChanges()
    {
        m_db.execute(QStringLiteral("insert into veh values ('DUP', '1', 1, null)"));
        auto set = makeSet(QStringLiteral("select * from veh where placa <> 'DUP'"));
        set->open();
        for (const char *placa : {"NEW1", "DUP"}) {
            set->insert();
            set->setValue(QStringLiteral("PLACA"), QString::fromLatin1(placa));
            set->setValue(QStringLiteral("NIT"), QStringLiteral("9"));
            set->post();
        }
        QVERIFY(!set->applyUpdates());
        QCOMPARE(m_updateErrors.size(), 1);
        QCOMPARE(m_updateErrors[0].dbKind, db::ErrorKind::PrimaryOrUniqueKey);
        QCOMPARE(count(QStringLiteral("veh where placa = 'NEW1'")), 0);
        QCOMPARE(set->changeCount(), 2);
        QVERIFY(set->locate(QStringLiteral("PLACA"), QStringLiteral("DUP")));
        set->setValue(QStringLiteral("PLACA"), QStringLiteral("NEW2"));
        set->post();
        QVERIFY(set->applyUpdates());
        QCOMPARE(count(QStringLiteral("veh where placa in ('NEW1', 'NEW2')")), 2);
    }

    void rowChangedByAnotherWorkstationIsReported()
    {
        m_db.execute(QStringLiteral("insert into veh values ('AAA111', '1', 1, null)"));
        auto set = makeSet(QStringLiteral("select * from veh"));
        set->open();
        m_db.execute(QStringLiteral("delete from veh"));
        set->setValue(QStringLiteral("NOTA"), QStringLiteral("x"));
        QVERIFY(!set->applyUpdates());
        QCOMPARE(m_updateErrors.size(), 1);
        QCOMPARE(set->changeCount(), 1);
    }

    // Local filter and order, calculated fields, and discarding what was not sent.
    void filterCalculationAndCancel()
    {
        m_db.execute(QStringLiteral("insert into veh values ('AAA111', '1', 100, null)"));
        m_db.execute(QStringLiteral("insert into veh values ('BBB222', '2', 250, null)"));
        m_db.execute(QStringLiteral("insert into veh values ('CCC333', '1', 300, null)"));
        auto set = makeSet(QStringLiteral("select * from veh"));
        set->addCalculatedField(QStringLiteral("CONIVA"), FieldType::Money);
        set->onCalcFields = [](ClientDataSet &d) {
            d.setValue(QStringLiteral("CONIVA"), d.value(QStringLiteral("VALOR")).toMoney() * *db::Money::parse("1.19"));
        };
        set->open();
        set->setIndexFields({QStringLiteral("VALOR")}, false);
        set->setFilter([](const ClientDataSet &d) { return d.value(QStringLiteral("NIT")).toString() == QLatin1String("1"); });
        QCOMPARE(set->rowCount(), 2);
        set->last();
        QCOMPARE(set->value(QStringLiteral("PLACA")).toString(), QStringLiteral("CCC333"));
        QCOMPARE(set->value(QStringLiteral("CONIVA")).toMoney().toString(2), QStringLiteral("357.00"));
        set->setValue(QStringLiteral("VALOR"), db::Money::fromInteger(10));
        QVERIFY(set->post());
        QCOMPARE(set->value(QStringLiteral("CONIVA")).toMoney().toString(2), QStringLiteral("11.90")); // recalculated
        set->first();
        QCOMPARE(set->value(QStringLiteral("PLACA")).toString(), QStringLiteral("CCC333")); // new order
        QVERIFY(set->remove());
        set->cancelUpdates();
        QCOMPARE(set->changeCount(), 0);
        QCOMPARE(set->rowCount(), 2);
        QVERIFY(set->locate(QStringLiteral("PLACA"), QStringLiteral("CCC333")));
        QCOMPARE(set->value(QStringLiteral("VALOR")).toMoney(), db::Money::fromInteger(300));
        QCOMPARE(set->value(QStringLiteral("CONIVA")).toMoney().toString(2), QStringLiteral("357.00"));
        QVERIFY(set->applyUpdates());
        QCOMPARE(count(QStringLiteral("veh")), 3);
    }

    void nestedDetailsStoredWithTheirHeader()
    {
        auto header = makeSet(QStringLiteral("select * from fac where fact_id = -1"));
        ClientDataSet lines(QStringLiteral("CFacturadetalle"));
        header->addDetail(&lines, QStringLiteral("SELECT * FROM DET WHERE FACT_ID = :FACT_ID"), QStringLiteral("DET"));
        header->open();
        QVERIFY(header->insert());
        for (int i = 1; i <= 2; ++i) {
            QVERIFY(lines.insert());
            lines.setValue(QStringLiteral("LINEA"), i);
            lines.setValue(QStringLiteral("FACT_ID"), 0); // the header's key is known only later
            lines.setValue(QStringLiteral("VALOR"), db::Money::fromInteger(i * 10));
            QVERIFY(lines.post());
        }
        header->setValue(QStringLiteral("FACT_ID"), 77);
        header->setValue(QStringLiteral("TOTAL"), db::Money::fromInteger(30));
        QVERIFY(header->post());
        QCOMPARE(header->changeCount(), 3);
        QVERIFY(lines.applyUpdates()); // a detail applies through its header
        QCOMPARE(count(QStringLiteral("det where fact_id = 77")), 2);

        header->setCommandText(QStringLiteral("select * from fac"));
        header->open();
        QCOMPARE(lines.rowCount(), 2);
        QVERIFY(!header->remove());
        QCOMPARE(m_clientErrors.last().kind, Error::Kind::MasterHasDetails);
        lines.first();
        QVERIFY(lines.remove());
        lines.first();
        lines.setValue(QStringLiteral("VALOR"), db::Money::fromInteger(5));
        QVERIFY(header->applyUpdates());
        const QList<db::Row> rows = m_db.query(QStringLiteral("select linea, valor from det"));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].at(1).toMoney(), db::Money::fromInteger(5));
    }

    void failedDetailRollsBackHeader()
    {
        auto header = makeSet(QStringLiteral("select * from fac where fact_id = -1"));
        ClientDataSet lines(QStringLiteral("CFacturadetalle"));
        header->addDetail(&lines, QStringLiteral("SELECT * FROM DET WHERE FACT_ID = :FACT_ID"), QStringLiteral("DET"));
        header->open();
        header->insert();
        header->setValue(QStringLiteral("FACT_ID"), 5);
        for (int i = 0; i < 2; ++i) { // two lines with the same key
            lines.insert();
            lines.setValue(QStringLiteral("LINEA"), 1);
            lines.post();
        }
        QVERIFY(!header->applyUpdates());
        QCOMPARE(count(QStringLiteral("fac")), 0);
        QCOMPARE(header->changeCount(), 3);
    }
};

QTEST_GUILESS_MAIN(tst_dataset)
#include "tst_dataset.moc"
