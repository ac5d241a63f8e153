// The central data module against a demo installation: the error handler and its log, the status
// line, the configuration cache and the small services every window calls.
#include "fixtures.h"

#include "data/dm.h"
#include "data/sqltext.h"
#include "platform/appdir.h"
#include "platform/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

using namespace dataset;

namespace {

const QString kGeneral = QStringLiteral("GENERAL");
const QString kDuracion = QStringLiteral("DURACION DE LAS ADVERTENCIAS");
const QString kUnhandled = QStringLiteral("Se presento el siguiente error: ");
const QString kLockKey = QStringLiteral("FECHA DE BLOQUEO");
const QString kDaysKey = QStringLiteral("MAXIMO NUMERO DE DIAS PARA DOCUMENTOS FUTUROS");
const QString kLocked = QStringLiteral("La compañía esta bloqueada a: ");
const QString kTooFar =
    QStringLiteral("La fecha del documento es demasiado lejana. Revise la fecha del mismo y la fecha del sistema.");

QString conversionMessage(const QString &value)
{
    try {
        toInteger(value);
    } catch (const ConversionError &e) {
        return e.message();
    }
    return {};
}

QString stateName(StatusLine::State s)
{
    switch (s) {
    case StatusLine::State::RestA: return QStringLiteral("restA");
    case StatusLine::State::RestB: return QStringLiteral("restB");
    case StatusLine::State::Warning: return QStringLiteral("warning");
    case StatusLine::State::Reminder: return QStringLiteral("reminder");
    case StatusLine::State::Busy: return QStringLiteral("busy");
    }
    return {};
}

QString yyyymmdd(const QDate &d) { return d.toString(u"yyyyMMdd"); }

enum class Refusal { MasterWithDetails, Required, Key, Other };

} // namespace

Q_DECLARE_METATYPE(Refusal)

class tst_dm : public QObject {
    Q_OBJECT

    std::unique_ptr<fixtures::DemoSite> m_site;
    QString m_settings;            // points the application directory at the demo site
    db::Connection m_company;      // another workstation changing the company database
    QStringList m_undo;            // statements that put the demo data back after a test
    QByteArray m_printers;         // the demo impresoras.cfg

    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Tfdm> m_dm;
    ContextoPuntoVenta m_contexto;
    QStringList m_status;          // every state the status line went through, "state|text"

    QString logPath() const { return ApplicationDirectory::filePath(QStringLiteral("ERRORES.TXT")); }

    QStringList logLines() const
    {
        QFile f(logPath());
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    // One line "yyyy/mm/dd,hh:mm:ss,<user>,<message>" and nothing else.
    void checkLog(const QString &user, const QString &message)
    {
        const QStringList lines = logLines();
        QCOMPARE(lines.size(), 1);
        static const QRegularExpression re(QStringLiteral("^(\\d{4}/\\d{2}/\\d{2}),(\\d{2}:\\d{2}:\\d{2}),([^,]*),(.*)$"));
        const auto m = re.match(lines.first());
        QVERIFY2(m.hasMatch(), qPrintable(lines.first()));
        QCOMPARE(m.captured(1), Tfdm::hoy());
        QCOMPARE(m.captured(3), user);
        QCOMPARE(m.captured(4), message);
    }

    QString configValue(const QString &module, const QString &group, const QString &key, bool *exists)
    {
        const db::Row row = m_company.queryFirst(
            QStringLiteral("SELECT CONF_VALOR FROM CONFIGURACION WHERE CONF_MODULO = ? AND CONF_CATEGORIA = ? "
                           "AND CONF_PROPIEDAD = ?"),
            {module, group, key});
        *exists = !row.isEmpty();
        return *exists ? row.at(0).toString() : QString();
    }

    QString where(const QString &module, const QString &group, const QString &key)
    {
        return QStringLiteral(" WHERE CONF_MODULO = ") + sqltext::text(module) + QStringLiteral(" AND CONF_CATEGORIA = ") +
               sqltext::text(group) + QStringLiteral(" AND CONF_PROPIEDAD = ") + sqltext::text(key);
    }

    void remember(const QString &module, const QString &group, const QString &key)
    {
        bool exists = false;
        const QString value = configValue(module, group, key, &exists);
        m_undo << QStringLiteral("DELETE FROM CONFIGURACION") + where(module, group, key);
        if (exists)
            m_undo << QStringLiteral("INSERT INTO CONFIGURACION (CONF_MODULO, CONF_CATEGORIA, CONF_PROPIEDAD, "
                                     "CONF_VALOR) VALUES (%1, %2, %3, %4)")
                          .arg(sqltext::text(module), sqltext::text(group), sqltext::text(key), sqltext::text(value));
    }

    // Changes a row in the database only; the module sees it after cargue_configuracion.
    void setConfig(const QString &module, const QString &group, const QString &key, const QString &value)
    {
        remember(module, group, key);
        m_company.execute(QStringLiteral("DELETE FROM CONFIGURACION") + where(module, group, key));
        m_company.execute(QStringLiteral("INSERT INTO CONFIGURACION (CONF_MODULO, CONF_CATEGORIA, CONF_PROPIEDAD, "
                                         "CONF_VALOR) VALUES (%1, %2, %3, %4)")
                              .arg(sqltext::text(module), sqltext::text(group), sqltext::text(key),
                                   value.isNull() ? QStringLiteral("NULL") : sqltext::text(value)));
    }

    void removeConfig(const QString &module, const QString &group, const QString &key)
    {
        remember(module, group, key);
        m_company.execute(QStringLiteral("DELETE FROM CONFIGURACION") + where(module, group, key));
    }

    void writePrinters(const QByteArray &content)
    {
        QFile f(m_site->file(QStringLiteral("impresoras.cfg")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

private slots:
    void initTestCase()
    {
        m_site = std::make_unique<fixtures::DemoSite>();
        m_settings = m_site->directory() + QStringLiteral("/../tst_dm.ini");
        m_company = m_site->company();
        QFile f(m_site->file(QStringLiteral("impresoras.cfg")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        m_printers = f.readAll();
    }

    void init()
    {
        // Another site's fixture may have pointed the application directory elsewhere.
        ApplicationDirectory::useSettingsFile(m_settings);
        ApplicationDirectory::store(m_site->directory());

        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dm = std::make_unique<Tfdm>();
        m_contexto = ContextoPuntoVenta();
        m_dm->principal = &m_contexto;
        m_dm->conecte_general(m_site->serverEntry(), QStringLiteral("CAJERO"), QStringLiteral("cajero"));
        m_dm->conecte_empresa(m_site->serverEntry(), QStringLiteral("001"), QStringLiteral("CAJERO"),
                              QStringLiteral("cajero"));
        m_dm->cargue_configuracion();
        m_dm->usuario = QStringLiteral("CAJERO");
        m_status.clear();
        connect(&m_dm->statusLine(), &StatusLine::changed, this, [this] {
            m_status << stateName(m_dm->statusLine().state()) + u'|' + m_dm->statusLine().text();
        });
        QFile::remove(logPath());
    }

    void cleanup()
    {
        m_dm.reset();
        m_dialogs.reset();
        for (const QString &sql : std::as_const(m_undo))
            m_company.execute(sql);
        m_undo.clear();
        const QString log = m_site->file(QStringLiteral("ERRORES.TXT"));
        if (QFileInfo(log).isDir())
            QDir(log).removeRecursively();
        else
            QFile::remove(log);
        writePrinters(m_printers);
    }

    void cleanupTestCase()
    {
        m_company.close();
        m_site.reset();
        ApplicationDirectory::useSettingsFile(QString());
    }

    // ---- provider path

    void providerErrors_data()
    {
        QTest::addColumn<QString>("placa");
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("color");
        QTest::addColumn<QString>("message");  // null: the database's message as it comes

        QTest::newRow("primary key") << "ABC123" << 1 << "Rojo"
                                     << QStringLiteral("Ya existe el registro en la tabla Vehiculo");
        QTest::newRow("foreign key") << "NEW001" << 999 << "Rojo"
                                     << QStringLiteral("Está borrando o insertando un registro en la tabla Vehiculo "
                                                       "que tiene una relación con otra tabla.");
        QTest::newRow("other") << "NEW002" << 1 << QString(61, u'x') << QString();
    }

    void providerErrors()
    {
        QFETCH(QString, placa);
        QFETCH(int, tipo);
        QFETCH(QString, color);
        QFETCH(QString, message);

        QObject window;
        Provider provider(QStringLiteral("PVehiculo"), QStringLiteral("TVehiculo"),
                          [this]() -> db::Connection & { return m_dm->Quorbit; }, &window);
        ClientDataSet data(QStringLiteral("CVehiculo"), &window);
        data.setProvider(&provider);
        data.setCommandText(QStringLiteral("SELECT * FROM VEHICULOS"));
        m_dm->ConfigurarProviders(&window);
        data.open();
        QVERIFY(data.insert());
        data.setValue(QStringLiteral("VEHI_COD"), placa);
        data.setValue(QStringLiteral("VEHI_TIPO"), tipo);
        data.setValue(QStringLiteral("VEHI_COLOR"), color);
        QVERIFY(data.post());
        QVERIFY(m_status.isEmpty());

        QVERIFY(!data.applyUpdates());
        QCOMPARE(data.changeCount(), 1);  // kept, so the window can correct and save again

        // The raw message goes on the status line, in its colour as it was.
        QCOMPARE(m_status.size(), 1);
        QVERIFY(m_status.first().startsWith(QLatin1String("restA|")));
        const QString raw = m_status.first().mid(6);
        QVERIFY(!raw.isEmpty());
        QCOMPARE(m_dialogs->texts(DialogKind::Error), QStringList{message.isNull() ? raw : message});
        QCOMPARE(m_dialogs->texts().size(), 1);
        QCOMPARE(m_dialogs->beeps(), 1);
        checkLog(QStringLiteral("CAJERO"), QString(raw).replace(u'\n', u' '));
    }

    // ---- data set path

    void clientErrors_data()
    {
        QTest::addColumn<Refusal>("refusal");
        QTest::addColumn<QString>("dataSet");
        QTest::addColumn<bool>("withoutDisplayName");
        QTest::addColumn<QString>("message");  // null: the data set's message as it comes

        QTest::newRow("master with details")
            << Refusal::MasterWithDetails << "CTercero" << false
            << QStringLiteral("Error. Borre antes los detalles dependientes del registro.");
        QTest::newRow("required fields")
            << Refusal::Required << "CTercero" << false
            << QStringLiteral("Los campos NIT, Nombre o razón social,  son obligatorios.");
        QTest::newRow("required field without display name")
            << Refusal::Required << "CTercero" << true
            << QStringLiteral("Los campos TERC_NIT, Nombre o razón social,  son obligatorios.");
        QTest::newRow("key") << Refusal::Key << "CVehiculo" << false
                             << QStringLiteral("Ya existe un registro con el mismo Placa ");
        QTest::newRow("other") << Refusal::Other << "CVehiculo" << false << QString();
    }

    void clientErrors()
    {
        QFETCH(Refusal, refusal);
        QFETCH(QString, dataSet);
        QFETCH(bool, withoutDisplayName);
        QFETCH(QString, message);

        if (withoutDisplayName) {
            m_company.execute(QStringLiteral("DELETE FROM NOMBRES_CAMPOS WHERE NOMBRE = 'TERC_NIT'"));
            m_undo << QStringLiteral("INSERT INTO NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) VALUES ('TERC_NIT', 'NIT')");
        }
        QObject window;
        auto connection = [this]() -> db::Connection & { return m_dm->Quorbit; };
        Provider pTercero(QStringLiteral("PTercero"), QStringLiteral("TTercero"), connection, &window);
        ClientDataSet cTercero(QStringLiteral("CTercero"), &window);
        cTercero.setProvider(&pTercero);
        cTercero.setCommandText(QStringLiteral("SELECT * FROM TERCEROS WHERE TERC_NIT = '52345678'"));
        Provider pVehiculo(QStringLiteral("PVehiculo"), QStringLiteral("TVehiculo"), connection, &window);
        ClientDataSet cVehiculo(QStringLiteral("CVehiculo"), &window);
        cVehiculo.setProvider(&pVehiculo);
        cVehiculo.setCommandText(QStringLiteral("SELECT * FROM VEHICULOS"));
        ClientDataSet cVehiculos(QStringLiteral("CVehiculosTercero"), &window);
        cTercero.addDetail(&cVehiculos, QStringLiteral("SELECT * FROM VEHICULOS WHERE TERC_NIT = :TERC_NIT"),
                           QStringLiteral("VEHICULOS"));
        m_dm->ConfigurarProviders(&window);

        switch (refusal) {
        case Refusal::MasterWithDetails:
            cTercero.open();
            QVERIFY(cVehiculos.rowCount() > 0);
            m_status.clear();
            QVERIFY(!cTercero.remove());
            break;
        case Refusal::Required:
            cTercero.open();
            m_status.clear();
            QVERIFY(cTercero.insert());
            QVERIFY(!cTercero.post());
            break;
        case Refusal::Key:
            cVehiculo.setIndexFields({QStringLiteral("VEHI_COD")}, true);
            cVehiculo.open();
            m_status.clear();
            QVERIFY(cVehiculo.insert());
            cVehiculo.setValue(QStringLiteral("VEHI_COD"), QStringLiteral("ABC123"));
            QVERIFY(!cVehiculo.post());
            break;
        case Refusal::Other:
            QVERIFY(!cVehiculo.insert());  // closed
            break;
        }

        // Raw message on the line, then the red warning naming the data set.
        QCOMPARE(m_status.size(), 2);
        QVERIFY(m_status.first().startsWith(QLatin1String("restA|")));
        const QString raw = m_status.first().mid(6);
        QVERIFY(!raw.isEmpty());
        QCOMPARE(m_status.at(1), QStringLiteral("warning|Advertencia: ") + dataSet + QStringLiteral(": ") + raw);
        QVERIFY(m_dm->statusLine().timerActive());
        QCOMPARE(m_dm->statusLine().interval(), 4000);
        QCOMPARE(m_dialogs->texts(DialogKind::Error), QStringList{message.isNull() ? raw : message});
        QCOMPARE(m_dialogs->texts().size(), 1);
        QCOMPARE(m_dialogs->beeps(), 2);  // the warning's and the error's
        checkLog(QStringLiteral("CAJERO"), raw);
    }

    // ---- unhandled path

    void unhandledDatabaseErrors_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("message");

        QTest::newRow("missing file")
            << m_site->serverEntry() << "999"
            << QStringLiteral("No se encontró el archivo o la ruta ") + m_site->serverEntry() +
                   QStringLiteral("/datos/999/quorbit.fdb");
        QTest::newRow("unknown host") << "nohost.invalid:/x" << "001"
                                      << QStringLiteral("No se encontró el equipo servidor con nombre nohost.invalid");
        QTest::newRow("server not reachable") << "localhost/3999:/x" << "001"
                                              << QStringLiteral("No se encontró el servidor Interbase/Firebird. "
                                                                "Verifique Servidor en panel de control y puerto TCP "
                                                                "3050.");
    }

    void unhandledDatabaseErrors()
    {
        QFETCH(QString, entry);
        QFETCH(QString, company);
        QFETCH(QString, message);

        try {
            m_dm->conecte_empresa(entry, company, QStringLiteral("CAJERO"), QStringLiteral("cajero"));
            QFAIL("the attach was expected to fail");
        } catch (const db::DbError &e) {
            m_dm->ENoManejada(e);
            QCOMPARE(m_status, QStringList{QStringLiteral("restA|") + e.message()});
            checkLog(QStringLiteral("CAJERO"), QString(e.message()).replace(u'\n', u' '));
        }
        QVERIFY(!m_dm->Quorbit.isOpen());
        QCOMPARE(m_dialogs->texts(DialogKind::Error), QStringList{message});
        QCOMPARE(m_dialogs->beeps(), 1);
    }

    void otherErrorsAreShownWithTheirText()
    {
        QString raw;
        try {
            m_dm->Quorbit.query(QStringLiteral("SELECT NADA FROM NINGUNA_TABLA"));
            QFAIL("the statement was expected to fail");
        } catch (const db::DbError &e) {
            raw = e.message();
            m_dm->ENoManejada(e);
        }
        m_dm->ENoManejada(QStringLiteral("falla sin base de datos"));
        QCOMPARE(m_dialogs->texts(DialogKind::Error),
                 (QStringList{kUnhandled + raw, kUnhandled + QStringLiteral("falla sin base de datos")}));
        QCOMPARE(logLines().size(), 2);
        QVERIFY(logLines().at(1).endsWith(QLatin1String(",CAJERO,falla sin base de datos")));
    }

    void wrongPasswordOnTheServer()
    {
        REQUIRE_SERVER();
        fixtures::DemoSite site(true);  // also points the application directory at itself
        m_dm->usuario.clear();          // the sign-in has not set it yet
        try {
            m_dm->conecte_general(site.serverEntry(), QStringLiteral("CAJERO"), QStringLiteral("mala"));
            QFAIL("the server accepted a wrong password");
        } catch (const db::DbError &e) {
            m_dm->ENoManejada(e);
            checkLog(QString(), QString(e.message()).replace(u'\n', u' '));
        }
        QCOMPARE(m_dialogs->texts(DialogKind::Error),
                 QStringList{QStringLiteral("El nombre de Usuario o la clave son incorrectas.")});
        QVERIFY(logPath().startsWith(site.directory()));
    }

    void unwritableLogLosesTheLineOnly()
    {
        QVERIFY(QDir().mkdir(logPath()));
        m_dm->ENoManejada(QStringLiteral("falla de prueba"));
        QCOMPARE(m_dialogs->texts(DialogKind::Error), QStringList{kUnhandled + QStringLiteral("falla de prueba")});
        QCOMPARE(m_dialogs->beeps(), 1);
        QCOMPARE(m_status, QStringList{QStringLiteral("restA|falla de prueba")});
        QVERIFY(QFileInfo(logPath()).isDir());
    }

    // ---- status line

    void warningsAndReminders()
    {
        StatusLine &line = m_dm->statusLine();
        m_dm->mostrar_alerta(QStringLiteral("uno"));          // rest A: shown
        QCOMPARE(line.interval(), 4000);
        QVERIFY(line.timerActive());
        m_dm->mostrar_advertencia(QStringLiteral("dos"));     // from any state
        m_dm->mostrar_alerta(QStringLiteral("perdido"));      // not in rest A: lost
        line.expire();
        m_dm->mostrar_alerta(QStringLiteral("perdido"));      // rest B: lost too
        m_dm->quitar_mensaje();                               // not busy: nothing
        m_dm->mostrar_mensaje();
        m_dm->mostrar_alerta(QStringLiteral("perdido"));
        m_dm->mostrar_mensaje();                              // already busy: nothing
        m_dm->quitar_mensaje();
        m_dm->mostrar_mensaje();                              // rest A: nothing
        QCOMPARE(m_status, (QStringList{
                               QStringLiteral("reminder|RECORDAR: uno"),
                               QStringLiteral("warning|Advertencia: dos"),
                               QStringLiteral("restB|"),
                               QStringLiteral("busy|") + StatusLine::busyText,
                               QStringLiteral("restA|"),
                           }));
        QCOMPARE(m_dialogs->beeps(), 5);  // every warning and reminder beeps, shown or not
        QVERIFY(m_dialogs->texts().isEmpty());
    }

    void durationThatIsNoNumber_data()
    {
        QTest::addColumn<QString>("value");  // null: the key is missing
        QTest::addColumn<QStringList>("dialogs");

        QTest::newRow("text") << "cuarenta" << QStringList{kUnhandled + conversionMessage(QStringLiteral("cuarenta"))};
        QTest::newRow("empty") << "" << QStringList{kUnhandled + conversionMessage(QString())};
        QTest::newRow("missing") << QString()
                                 << QStringList{QStringLiteral("No se encontró la configuración ") + kDuracion,
                                                kUnhandled + conversionMessage(QString())};
    }

    void durationThatIsNoNumber()
    {
        QFETCH(QString, value);
        QFETCH(QStringList, dialogs);
        if (value.isNull())
            removeConfig(kGeneral, kGeneral, kDuracion);
        else
            setConfig(kGeneral, kGeneral, kDuracion, value);
        m_dm->cargue_configuracion();

        m_dm->mostrar_advertencia(QStringLiteral("no se ve"));
        QCOMPARE(m_dialogs->texts(), dialogs);
        m_dm->mostrar_alerta(QStringLiteral("tampoco"));
        QCOMPARE(m_dialogs->texts(), dialogs + dialogs);
        QCOMPARE(m_dm->statusLine().state(), StatusLine::State::RestA);
        QVERIFY(!m_dm->statusLine().timerActive());
        QCOMPARE(logLines().size(), 2);
    }

    void busyMessageOnlyAfterAnExpiry()
    {
        setConfig(kGeneral, kGeneral, kDuracion, QStringLiteral("1"));
        m_dm->cargue_configuracion();
        QObject window;
        QObject panel(&window);  // data components one level down are wired too
        Provider provider(QStringLiteral("PVehiculo"), QStringLiteral("TVehiculo"),
                          [this]() -> db::Connection & { return m_dm->Quorbit; }, &panel);
        ClientDataSet data(QStringLiteral("CVehiculo"), &panel);
        data.setProvider(&provider);
        data.setCommandText(QStringLiteral("SELECT * FROM VEHICULOS"));
        data.packetRecords = 5;
        m_dm->ConfigurarProviders(&window);
        QCOMPARE(data.packetRecords, 1000);

        data.open();  // right after start: no busy message
        QVERIFY(m_status.isEmpty());
        m_dm->mostrar_advertencia(QStringLiteral("aviso"));
        QCOMPARE(m_dm->statusLine().interval(), 100);
        QTRY_COMPARE(m_dm->statusLine().state(), StatusLine::State::RestB);  // the real timer
        data.open();
        data.open();  // shown once per expiry
        QCOMPARE(m_status, (QStringList{QStringLiteral("warning|Advertencia: aviso"), QStringLiteral("restB|"),
                                        QStringLiteral("busy|") + StatusLine::busyText, QStringLiteral("restA|")}));
    }

    // ---- configuration

    void configurationLookup_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");  // null: not found

        const QString print = QStringLiteral("IMPRIMIR AUTOMATICAMENTE AL GRABAR LA FACTURA");
        QTest::newRow("exact") << "FACTURACION" << "POS" << print << "SI";
        QTest::newRow("accented key") << "GENERAL" << "GENERAL" << "NOMBRE COMPAÑIA"
                                      << "Parqueadero Plaza Central S.A.S.";
        QTest::newRow("empty value") << "INVENTARIO" << "EXISTENCIAS" << "CODIGO COMPAÑIA CONSULTA EXISTENCIAS" << "";
        QTest::newRow("module in other capitals") << "Facturacion" << "POS" << print << QString();
        QTest::newRow("group in other capitals") << "FACTURACION" << "pos" << print << QString();
        QTest::newRow("key with a trailing blank") << "FACTURACION" << "POS" << print + u' ' << QString();
        QTest::newRow("key of another group") << "FACTURACION" << "GENERAL" << print << QString();
    }

    void configurationLookup()
    {
        QFETCH(QString, module);
        QFETCH(QString, group);
        QFETCH(QString, key);
        QFETCH(QString, value);

        for (int read = 0; read < 2; ++read) {
            const QString got = m_dm->configuracion(module, group, key);
            QCOMPARE(got, value);
        }
        // A missing key is reported on every read.
        const QString missing = QStringLiteral("No se encontró la configuración ") + key;
        QCOMPARE(m_dialogs->texts(DialogKind::Error),
                 (value.isNull() ? QStringList{missing, missing} : QStringList()));
        QCOMPARE(m_dialogs->texts().size(), value.isNull() ? 2 : 0);
    }

    void changesAreSeenAfterReloadOnly()
    {
        const QString facturacion = QStringLiteral("FACTURACION"), pos = QStringLiteral("POS");
        const QString print = QStringLiteral("IMPRIMIR AUTOMATICAMENTE AL GRABAR LA FACTURA");
        setConfig(facturacion, pos, print, QStringLiteral("si"));
        setConfig(kGeneral, kGeneral, kDuracion, QStringLiteral("15"));
        setConfig(kGeneral, kGeneral, QStringLiteral("SIN VALOR"), QString());  // NULL

        QVERIFY(m_dm->opcion(facturacion, pos, print));
        m_dm->mostrar_advertencia(QStringLiteral("antes"));
        QCOMPARE(m_dm->statusLine().interval(), 4000);

        m_dm->cargue_configuracion();
        QCOMPARE(m_dm->configuracion(facturacion, pos, print), QStringLiteral("si"));
        QVERIFY(!m_dm->opcion(facturacion, pos, print));  // on exactly for "SI"
        m_dm->mostrar_advertencia(QStringLiteral("después"));
        QCOMPARE(m_dm->statusLine().interval(), 1500);
        QCOMPARE(m_dm->configuracion(kGeneral, kGeneral, QStringLiteral("SIN VALOR")), QString());
        QVERIFY(m_dialogs->texts().isEmpty());
    }

    // ---- date check

    void valideFecha_data()
    {
        QTest::addColumn<QString>("lock");
        QTest::addColumn<QString>("days");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QDate>("expected");
        QTest::addColumn<QString>("message");  // empty: none
        QTest::addColumn<bool>("unhandled");

        const QDate today = QDate::currentDate();
        const QDate may31(2014, 5, 31);
        QTest::newRow("before the lock date") << "20140531" << "2" << QDate(2014, 5, 30) << today
                                              << kLocked + QStringLiteral("2014/05/31") << false;
        QTest::newRow("before a lock date still ahead") << yyyymmdd(today.addDays(10)) << "2" << today
                                                        << today.addDays(10) << kLocked + Tfdm::fecha(today.addDays(10))
                                                        << false;
        QTest::newRow("on the lock date") << "20140531" << "2" << may31 << may31 << QString() << false;
        QTest::newRow("today + 2") << "20140531" << "2" << today.addDays(2) << today.addDays(2) << QString() << false;
        QTest::newRow("today + 3") << "20140531" << "2" << today.addDays(3) << today << kTooFar << false;
        QTest::newRow("no lock date, no future check") << "" << "2" << today.addDays(30) << today.addDays(30)
                                                       << QString() << false;
        QTest::newRow("empty field") << "20140531" << "2" << QDate() << QDate() << QString() << false;
        QTest::newRow("lock date with dashes") << "2014-05-31" << "2" << QDate(2014, 5, 30) << QDate(2014, 5, 30)
                                               << QString() << true;
        QTest::newRow("impossible lock date") << "20141340" << "2" << QDate(2014, 5, 30) << QDate(2014, 5, 30)
                                              << QString() << true;
        QTest::newRow("days not a number") << "20140531" << "dos" << today.addDays(3) << today.addDays(3)
                                           << QString() << true;
    }

    void valideFecha()
    {
        QFETCH(QString, lock);
        QFETCH(QString, days);
        QFETCH(QDate, date);
        QFETCH(QDate, expected);
        QFETCH(QString, message);
        QFETCH(bool, unhandled);
        setConfig(QStringLiteral("CONTABILIDAD"), kGeneral, kLockKey, lock);
        setConfig(kGeneral, kGeneral, kDaysKey, days);
        m_dm->cargue_configuracion();

        m_dm->valide_fecha(date);
        QCOMPARE(date, expected);
        if (unhandled) {
            // The conversion error takes the unhandled path: logged, and shown with its own text.
            const QStringList shown = m_dialogs->texts(DialogKind::Error);
            QCOMPARE(shown.size(), 1);
            QVERIFY(shown.first().startsWith(kUnhandled));
            checkLog(QStringLiteral("CAJERO"), shown.first().mid(kUnhandled.size()));
            QCOMPARE(m_dialogs->texts().size(), 1);
        } else {
            QCOMPARE(m_dialogs->texts(), message.isEmpty() ? QStringList() : QStringList{message});
            QVERIFY(logLines().isEmpty());
        }
    }

    // ---- printers

    void nombreImpresora_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("logical");
        QTest::addColumn<QString>("printer");

        QTest::newRow("whole name") << QByteArray("TIQUETE,Termica\nFACTURA,Impresora 1\n") << "FACTURA"
                                    << "Impresora 1";
        QTest::newRow("substring") << QByteArray("FACTURA,Impresora 1\n") << "TURA" << "Impresora 1";
        QTest::newRow("empty rest goes on") << QByteArray("FACTURA,\nOTRA FACTURA,Impresora 2\n") << "FACTURA"
                                            << "Impresora 2";
        QTest::newRow("rest after the first occurrence") << QByteArray("FACTURA,A,FACTURA,B\n") << "FACTURA"
                                                         << "A,FACTURA,B";
        QTest::newRow("windows line ends") << QByteArray("FACTURA,Impresora 1\r\nTIQUETE,Termica\r\n") << "FACTURA"
                                           << "Impresora 1";
        QTest::newRow("no match") << QByteArray("TIQUETE,Termica\nFACTURA\n") << "FACTURA" << "";
        QTest::newRow("demo file, names without printers") << m_printers << "FACTURA" << "";
    }

    void nombreImpresora()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, logical);
        QFETCH(QString, printer);
        writePrinters(file);
        const QString got = m_dm->nombre_impresora(logical, QStringLiteral("anterior"));
        QCOMPARE(got, printer);
        QVERIFY(m_dialogs->texts().isEmpty());
    }

    void nombreImpresoraWithoutFile()
    {
        const QString path = m_site->file(QStringLiteral("impresoras.cfg"));
        QVERIFY(QFile::remove(path));
        QCOMPARE(m_dm->nombre_impresora(QStringLiteral("FACTURA"), QStringLiteral("anterior")),
                 QStringLiteral("anterior"));
        QCOMPARE(m_dm->nombre_impresora(QStringLiteral("FACTURA")), QString());
        const QString message = QStringLiteral("Error abriendo el archivo") + path;
        QCOMPARE(m_dialogs->texts(), (QStringList{message, message}));
    }

    // ---- rights, numbers, words, last connection

    void valideAcceso_data()
    {
        QTest::addColumn<bool>("administrator");
        QTest::addColumn<QString>("user");
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("allowed");

        QTest::newRow("administrator") << true << "CAJERO" << 115 << true;
        QTest::newRow("row with S") << false << "CAJERO" << 10 << true;
        QTest::newRow("row with N") << false << "CAJERO" << 115 << false;
        QTest::newRow("no row for the option") << false << "CAJERO" << 999 << false;
        QTest::newRow("user without rows") << false << "O'NEIL" << 10 << false;
    }

    void valideAcceso()
    {
        QFETCH(bool, administrator);
        QFETCH(QString, user);
        QFETCH(int, option);
        QFETCH(bool, allowed);
        m_contexto.es_administrador = administrator;
        m_dm->usuario = user;
        if (administrator)
            m_dm->Quorbit.close();  // proves that no query runs
        QCOMPARE(m_dm->valide_acceso(QStringLiteral("FACTURACION"), option), allowed);
    }

    void amountInWords()
    {
        QCOMPARE(m_dm->numero_a_letras(db::Money::fromInteger(1500)), QStringLiteral("UN MIL QUINIENTOS PESOS  M/CTE"));
        QCOMPARE(m_dm->numero_a_letras(*db::Money::parse(QStringLiteral("0.50"))),
                 QStringLiteral("PESOS 50 CENTAVOS M/CTE"));
        QVERIFY(m_dialogs->texts().isEmpty());
    }

    void amountInWordsWithoutItsKeys()
    {
        const QStringList keys = {QStringLiteral("NOMBRE DE LA MONEDA A USAR EN LOS MONTOS EN LETRAS"),
                                  QStringLiteral("FINAL DE LA CADENA DE MONTOS EN LETRAS"),
                                  QStringLiteral("FRACCION DE MONEDA EN MONTOS EN LETRAS")};
        for (const QString &key : keys)
            removeConfig(kGeneral, kGeneral, key);
        m_dm->cargue_configuracion();

        QCOMPARE(m_dm->numero_a_letras(db::Money()), QString());
        QCOMPARE(m_dm->numero_a_letras(db::Money::fromInteger(-5)), QString());
        QVERIFY(m_dialogs->texts().isEmpty());  // zero and less read nothing

        QVERIFY(m_dm->numero_a_letras(db::Money::fromInteger(1)).startsWith(QLatin1String("UN ")));
        QStringList missing;
        for (const QString &key : keys)
            missing << QStringLiteral("No se encontró la configuración ") + key;
        QCOMPARE(m_dialogs->texts(), missing);  // read in this order: currency, closing, cents
    }

    void completeNumero() { QCOMPARE(m_dm->complete_numero(QStringLiteral("7")), QStringLiteral("000007")); }

    void conecteGeneralStampsTheLastConnection_data()
    {
        QTest::addColumn<QString>("user");
        QTest::newRow("as stored") << "CAJERO";
        QTest::newRow("typed in lower case") << "cajero";
    }

    void conecteGeneralStampsTheLastConnection()
    {
        QFETCH(QString, user);
        db::Connection general = m_site->general();
        general.execute(QStringLiteral("UPDATE USUARIO SET FECCON = '2001/01/01'"));
        m_dm->conecte_general(m_site->serverEntry(), user, QStringLiteral("cajero"));
        QVERIFY(m_dm->ConGeneral.isOpen());
        const db::Row row = general.queryFirst(QStringLiteral("SELECT FECCON FROM USUARIO WHERE USUA_COD = 'CAJERO'"));
        QCOMPARE(row.at(0).toDate(), QDate::currentDate());
        const db::Row admin = general.queryFirst(QStringLiteral("SELECT FECCON FROM USUARIO WHERE USUA_COD = 'ADMIN'"));
        QCOMPARE(admin.at(0).toDate(), QDate(2001, 1, 1));  // only the connecting user
    }
};

QTEST_MAIN(tst_dm)
#include "tst_dm.moc"
