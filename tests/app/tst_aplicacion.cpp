// Errors that no code catches reach the central error handler instead of ending the program.
#include "fixtures.h"

#include "app/aplicacion.h"
#include "data/configuration.h"
#include "data/dm.h"
#include "platform/dialogs.h"

#include <QFile>
#include <QTest>
#include <QTimer>
#include <ibase.h>

class tst_aplicacion : public QObject {
    Q_OBJECT

private slots:
    void unhandledErrorsReachTheHandler_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("database") << 0 << QStringLiteral("El nombre de Usuario o la clave son incorrectas.");
        QTest::newRow("conversion") << 1 << QStringLiteral("Se presento el siguiente error: 'diez' is not a valid integer value");
        QTest::newRow("other") << 2 << QStringLiteral("Se presento el siguiente error: algo falló");
    }

    void unhandledErrorsReachTheHandler()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        fixtures::DemoSite site;
        Tfdm dm;
        ScriptedDialogs dialogs;
        dm.usuario = QStringLiteral("CAJERO");
        QTimer::singleShot(0, [kind] {
            if (kind == 0)
                throw db::DbError(QStringLiteral("Your user name and password are not defined."), {isc_login}, -902);
            if (kind == 1)
                toInteger(QStringLiteral("diez"));
            throw std::runtime_error("algo falló");
        });
        QTRY_COMPARE(dialogs.texts(), QStringList{shown});
        QFile log(site.file(QStringLiteral("ERRORES.TXT")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count('\n'), 1);
    }
};

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Aplicacion app(argc, argv);
    tst_aplicacion test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_aplicacion.moc"
