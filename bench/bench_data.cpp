// Reading a large table through a client data set against the bare statement, and storing
// numbered invoices one transaction each, on a fresh embedded company database.
#include "data/dataset/clientdataset.h"
#include "data/db/connection.h"
#include "tools/installation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

double seconds(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

void report(const char *what, int count, double elapsed)
{
    std::printf("%-44s %8d in %7.3f s  %10.0f/s\n", what, count, elapsed, count / elapsed);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 50000;
    QTemporaryDir dir;
    const db::ConnectParams params{dir.filePath(QStringLiteral("bench.fdb")), QStringLiteral("SYSDBA"), QString()};
    db::Connection c = db::Connection::create(params);
    installation::loadSchema(c, installation::Database::Company, false, installation::defaultSqlDirectory());
    c.execute(QStringLiteral("insert into tipo_vehiculo (tivh_cod, tich_nom) values (1, 'CARRO')"));
    c.execute(QStringLiteral("insert into prefijos (tido_cod, pref_pre, pref_actual, pref_ivainc) values (31, 'FV', '000001', 'S')"));
    c.execute(QStringLiteral("insert into autorizaciones (tido_cod, pref_pre, auto_fecha, auto_vence, auto_inicial, "
                             "auto_final) values (31, 'FV', current_date - 1, current_date + 1, '000001', '999998')"));
    c.execute(QStringLiteral("execute block (n integer = ?) as declare i integer = 0; begin while (i < n) do begin "
                             "insert into vehiculos (vehi_cod, vehi_tipo, vehi_color) values ('P' || lpad(:i, 7, '0'), 1, 'ROJO'); "
                             "i = i + 1; end end"), {rows});
    const QString sql = QStringLiteral("select * from vehiculos");

    QElapsedTimer t;
    t.start();
    int fetched = 0;
    {
        db::Transaction tr(c);
        db::Statement st(tr, sql);
        st.execute();
        db::Row row;
        while (st.next(row))
            ++fetched;
    }
    report("rows, bare statement (floor)", fetched, seconds(t));

    dataset::Provider provider(QStringLiteral("PVehiculo"), QStringLiteral("TVehiculo"),
                               [&c]() -> db::Connection & { return c; });
    dataset::ClientDataSet data(QStringLiteral("CVehiculo"));
    data.setProvider(&provider);
    data.setCommandText(sql);
    t.restart();
    data.open();
    report("rows, first packet of a client data set", data.rowCount(), seconds(t));
    t.restart();
    data.fetchAll();
    report("rows, every packet of a client data set", data.rowCount(), seconds(t));

    // Invoices as a workstation stores them: every commit on disk.
    data.close();
    c.close();
    db::Connection::setForcedWrites(params, true);
    c = db::Connection::attach(params);
    const int invoices = std::max(100, rows / 100);
    t.restart();
    for (int i = 0; i < invoices; ++i)
        c.execute(QStringLiteral("insert into facturas (ptvt_id, vend_cod, terc_nit, fact_numero, fact_fecha, fact_ivainc, "
                                 "pref_pre, numok) values (1, 1, '222222222222', '000001', current_date, 'S', 'FV', 'N')"));
    report("numbered invoices, one transaction each", invoices, seconds(t));
    return 0;
}
