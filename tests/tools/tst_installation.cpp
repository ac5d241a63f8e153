// The administration tool: a complete installation, embedded and on the server.
#include "fixtures.h"

#include "platform/appdir.h"
#include "tools/installation.h"

#include <QFile>
#include <QTest>

using namespace db;

class tst_installation : public QObject {
    Q_OBJECT

    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // What every window of the program needs from the demo company.
    static void checkDemoData(Connection &company, Connection &general)
    {
        QCOMPARE(general.queryFirst(QStringLiteral("select com_nombre from compania where comp_cod = '001'")).size(), 1);
        QCOMPARE(general.queryFirst(QStringLiteral("select usua_admin from usuario where usua_cod = 'ADMIN'")).at(0).toString(),
                 QStringLiteral("S"));
        const auto count = [&](const QString &sql) { return company.queryFirst(sql).at(0).toInt(); };
        QCOMPARE(count(QStringLiteral("select count(*) from formatos where tido_cod in (31, 38, 120)")), 3);
        QCOMPARE(count(QStringLiteral("select count(*) from formas_pago where fopa_id = 1")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from tipo_vehiculo")), 3);
        QCOMPARE(count(QStringLiteral("select count(*) from usuario where user_cod in ('CAJERO', 'ADMIN')")), 2);
        QCOMPARE(count(QStringLiteral("select count(*) from autorizaciones a join prefijos p on p.pref_pre = a.pref_pre "
                                      "and p.tido_cod = 31 where current_date between a.auto_fecha and a.auto_vence "
                                      "and p.pref_actual between a.auto_inicial and a.auto_final")), 1);
        QCOMPARE(company.queryFirst(QStringLiteral("select conf_valor from configuracion where conf_propiedad = "
                                                   "'PREGUNTAR DATOS DE VEHICULOS'")).at(0).toString(),
                 QStringLiteral("SI"));
        QCOMPARE(company.queryFirst(QStringLiteral("select pais_nom from paises where pais_id = '169'")).at(0).toString().toUpper(),
                 QStringLiteral("COLOMBIA"));
    }

private slots:
    void embeddedInstallation()
    {
        fixtures::DemoSite site;
        const QString dir = site.directory();
        QCOMPARE(read(site.file(QStringLiteral("SERVIDORES.cfg"))), dir.toLatin1() + '\n');
        QVERIFY(read(site.file(QStringLiteral("cnfptocaj.ini"))).startsWith("[ComPort1]"));
        QVERIFY(QFile::exists(site.file(QStringLiteral("cnfptobal.ini"))));
        QVERIFY(QFile::exists(site.file(QStringLiteral("impresoras.cfg"))));
        QCOMPARE(ApplicationDirectory::path(), dir);
        QVERIFY(QFile::exists(dir + QStringLiteral("/datos/general.fdb")));

        Connection company = site.company(QStringLiteral("CAJERO"));
        Connection general = site.general(QStringLiteral("CAJERO"));
        checkDemoData(company, general);
        // An ordinary account may work: the grants cover every table.
        company.execute(QStringLiteral("insert into parqueadero (parq_pref, parq_vehiculo, tivh_cod) "
                                       "select first 1 pref_pre, 'TST001', (select min(tivh_cod) from tipo_vehiculo) "
                                       "from prefijos where tido_cod = 31"));
        general.execute(QStringLiteral("update usuario set feccon = current_date where usua_cod = 'CAJERO'"));
    }

    void existingInstallationIsKept()
    {
        fixtures::DemoSite site;
        {
            Connection company = site.company();
            company.execute(QStringLiteral("insert into tipo_vehiculo (tivh_cod, tich_nom) values (99, 'BUS')"));
        }
        installation::Options options = site.options();
        QStringList log;
        try {
            installation::create(options, log);
            QFAIL("an existing installation was overwritten");
        } catch (const std::runtime_error &e) {
            QVERIFY(QString::fromStdString(e.what()).contains(QLatin1String("--sobrescribir")));
        }
        // The drawer settings of the site survive a second run of the demo and a workstation set-up.
        const QString drawer = site.file(QStringLiteral("cnfptocaj.ini"));
        QFile::remove(drawer);
        QFile f(drawer);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[ComPort1]\r\nPort=COM3\r\n");
        f.close();
        options.skipIfExists = true;
        QVERIFY(!installation::create(options, log));
        installation::writeWorkstation(options, log);
        QCOMPARE(read(drawer), QByteArray("[ComPort1]\r\nPort=COM3\r\n"));
        QCOMPARE(site.company().queryFirst(QStringLiteral("select count(*) from tipo_vehiculo")).at(0).toInt(), 4);
        options.skipIfExists = false;
        options.overwrite = true;
        QVERIFY(installation::create(options, log));
        QCOMPARE(site.company().queryFirst(QStringLiteral("select count(*) from tipo_vehiculo")).at(0).toInt(), 3);
        QVERIFY(read(drawer).startsWith("[ComPort1]\nPort=COM1")); // a replaced installation starts afresh
    }

    void serverInstallation()
    {
        REQUIRE_SERVER();
        fixtures::DemoSite site(true);
        QVERIFY(site.serverEntry().startsWith(QLatin1String("localhost:")));
        QCOMPARE(read(site.file(QStringLiteral("SERVIDORES.cfg"))), site.serverEntry().toLatin1() + '\n');
        const QString company = installation::companyDatabase(site.options(), QStringLiteral("001"));
        const QString general = installation::generalDatabase(site.options());
        Connection asCashier = Connection::attach({company, QStringLiteral("CAJERO"), QStringLiteral("cajero")});
        Connection generalAsCashier = Connection::attach({general, QStringLiteral("CAJERO"), QStringLiteral("cajero")});
        checkDemoData(asCashier, generalAsCashier);
        try {
            Connection::attach({company, QStringLiteral("CAJERO"), QStringLiteral("otra")});
            QFAIL("a wrong password was accepted");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), ErrorKind::WrongCredentials);
        }
    }
};

QTEST_GUILESS_MAIN(tst_installation)
#include "tst_installation.moc"
