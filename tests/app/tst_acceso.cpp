#include "app/acceso.h"
#include "app/configura.h"
#include "data/dm.h"
#include "data/sqltext.h"
#include "fixtures.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString kIncorrectas = QStringLiteral("El nombre de Usuario o la clave son incorrectas.");
const QString kFechaInvalida = QStringLiteral("La fecha no es válida para la autorización.");

// One sign-in window over a demo installation, driven with keys as a cashier does.
class Sesion {
public:
    explicit Sesion(bool server = false, const QString &puntoFijo = QString(),
                    const std::function<void(fixtures::DemoSite &)> &prepare = {})
        : site(server)
    {
        if (prepare)
            prepare(site);
        pos.punto_venta = puntoFijo;
        dm.principal = &pos;
        window = new Tfacceso(dm, pos);
        QObject::connect(window.data(), &QDialog::finished, [this](int r) { result = r; });
        window->show();
        window->activateWindow();
        ok = QTest::qWaitForWindowActive(window);
    }
    ~Sesion() { delete window.data(); }

    template <typename T> T *field(const char *name) const { return window->findChild<T *>(QLatin1String(name)); }
    QLineEdit *edit(const char *name) const { return field<QLineEdit>(name); }
    QComboBox *combo(const char *name) const { return field<QComboBox>(name); }
    QPushButton *button(const char *name) const { return field<QPushButton>(name); }
    QWidget *focus() const { return QApplication::focusWidget(); }

    void type(const QString &text) { QTest::keyClicks(focus(), text); }
    void key(Qt::Key k) { QTest::keyClick(focus(), k); }
    // Types into the focused field and leaves it with Enter.
    void enter(const QString &text)
    {
        type(text);
        key(Qt::Key_Return);
    }
    void signIn(const QString &user, const QString &password, const QString &company = QStringLiteral("001"))
    {
        enter(user);
        enter(password);
        enter(company);
    }
    db::Row companyRow(const QString &sql)
    {
        db::Connection c = site.company();
        return c.queryFirst(sql);
    }
    int auditRows()
    {
        return int(companyRow(QStringLiteral("select count(*) from auditoria where tido_cod = 131")).at(0).toInt());
    }

    fixtures::DemoSite site;
    Tfdm dm;
    ScriptedDialogs dialogs;
    ContextoPuntoVenta pos;
    QPointer<Tfacceso> window;
    int result = -1;
    bool ok = false;
};

void companySql(fixtures::DemoSite &site, const QString &sql)
{
    db::Connection c = site.company();
    c.execute(sql);
}

} // namespace

class TestAcceso : public QObject {
    Q_OBJECT

private slots:
    // ---- server list

    void servidores_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        const QString largo(255, u'x');
        QTest::newRow("CR LF") << QByteArray("srv1:/base\r\nsrv2:/otra\r\n") << QStringList{"srv1:/base", "srv2:/otra"};
        QTest::newRow("lone LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("CR CR") << QByteArray("a\r\rb\n") << QStringList{"a", "", "b"};
        QTest::newRow("empty line") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
        QTest::newRow("only a line end") << QByteArray("\n") << QStringList{""};
        QTest::newRow("last line without end") << QByteArray("a\r\nb") << QStringList{"a"};
        QTest::newRow("no line end at all") << QByteArray("a") << QStringList{};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("255 characters") << (largo.toLatin1() + "\n") << QStringList{largo};
        QTest::newRow("longer than 255") << (largo.toLatin1() + "yyy\nb\n") << QStringList{largo, "b"};
        QTest::newRow("Latin-1") << QByteArray("compa\xf1ia:/d\r\n") << QStringList{QStringLiteral("compañia:/d")};
        QTest::newRow("UTF-8") << QByteArray("compa\xc3\xb1ia:/d\r\n") << QStringList{QStringLiteral("compañia:/d")};
    }
    void servidores()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QCOMPARE(lea_servidores(bytes), entries);

        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("SERVIDORES.cfg")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QCOMPARE(lea_servidores_archivo(file.fileName()), entries);
    }

    void servidoresIlegibles()
    {
        ScriptedDialogs dialogs;
        QTemporaryDir dir;
        QCOMPARE(lea_servidores_archivo(dir.filePath(QStringLiteral("no-existe.cfg"))), QStringList{});
        QCOMPARE(lea_servidores_archivo(dir.path()), QStringList{});  // a directory
        QCOMPARE(dialogs.shown().size(), 0);
    }

    // ---- the whole sign-in

    void ingresoCompleto()
    {
        Sesion s;
        QVERIFY(s.ok);
        QCOMPARE(s.window->windowTitle(), QStringLiteral("Quorbit - Punto de venta"));
        QStringList labels;
        for (QLabel *l : s.window->findChildren<QLabel *>())
            labels << l->text();
        for (const char *caption : {"Servidor : ", "Usuario:", "Clave : ", "Compañía:", "Punto de Venta:",
                                    "(Cobrador)", "Vendedor:", "Prefijo:", "Lista precios:", "Fecha:",
                                    "PARQUEADEROS VERSION 2014", "Revisión: 2015/08/04"})
            QVERIFY2(labels.contains(QString::fromUtf8(caption)), caption);
        QCOMPARE(s.button("entrar")->text(), QStringLiteral("F2: Entrar"));
        QCOMPARE(s.button("salir")->text(), QStringLiteral("Esc: Salir"));
        QCOMPARE(s.button("configura")->text(), QStringLiteral("F9:Configura"));
        QCOMPARE(s.combo("servidor")->currentText(), s.site.serverEntry());
        QCOMPARE(s.field<QDateEdit>("fecha")->date(), QDate::currentDate());
        QVERIFY(!s.button("entrar")->isEnabled());
        QVERIFY(!s.button("configura")->isEnabled());
        QCOMPARE(s.edit("clave")->echoMode(), QLineEdit::Password);
        QCOMPARE(s.focus(), s.edit("usuario"));

        s.enter(QStringLiteral("cajero"));
        QCOMPARE(s.edit("usuario")->text(), QStringLiteral("CAJERO"));
        QCOMPARE(s.focus(), s.edit("clave"));  // the user name is skipped
        s.enter(QStringLiteral("cajero"));
        QCOMPARE(s.edit("nombreUsuario")->text(), QStringLiteral("Cajero de demostración"));
        QCOMPARE(s.focus(), s.edit("compania"));
        s.enter(QStringLiteral("001"));
        QCOMPARE(s.edit("nombreCompania")->text(), QStringLiteral("Parqueadero Plaza Central S.A.S."));
        QCOMPARE(s.focus(), s.combo("puntoVenta"));
        QVERIFY(s.button("entrar")->isEnabled());
        QVERIFY(!s.button("configura")->isEnabled());
        QVERIFY(!s.field<QLabel>("aviso")->isVisible());
        QCOMPARE(s.field<QLabel>("aviso")->text(),
                 QStringLiteral("Conectando a la base de datos Parqueadero Plaza Central S.A.S. ..."));
        QVERIFY(!s.dm.existencias.isOpen());  // no stock-query company configured
        QCOMPARE(s.combo("puntoVenta")->currentText(), QStringLiteral("Caja principal"));
        QVERIFY(s.combo("puntoVenta")->isEnabled());
        // Restricted to the active cashiers of the point of sale.
        QCOMPARE(s.combo("vendedor")->count(), 2);
        QCOMPARE(s.combo("vendedor")->currentText(), QStringLiteral("Ana María Rodríguez"));
        QCOMPARE(s.combo("prefijo")->currentText(), QStringLiteral("PQ"));
        QVERIFY(!s.combo("prefijo")->isEnabled());       // the only authorised prefix
        QCOMPARE(s.combo("listaPrecios")->currentText(), QStringLiteral("GENERAL"));
        QVERIFY(!s.combo("listaPrecios")->isEnabled());  // the only price list
        QCOMPARE(s.dm.CCompania.value(QStringLiteral("COMP_COD")).toString().trimmed(), QStringLiteral("001"));
        QCOMPARE(s.dm.espera_busqueda, 2000);

        s.combo("vendedor")->setCurrentIndex(1);
        s.key(Qt::Key_F2);
        QCOMPARE(s.result, int(QDialog::Accepted));
        QCOMPARE(s.dialogs.shown().size(), 0);
        QCOMPARE(s.dm.usuario, QStringLiteral("CAJERO"));
        QCOMPARE(s.dm.nombre_usuario, QStringLiteral("Cajero de demostración"));
        QCOMPARE(s.dm.fecha_trabajo, Tfdm::hoy());
        QCOMPARE(s.dm.sucursal, 0);
        QCOMPARE(s.pos.punto_venta, QStringLiteral("1"));
        QCOMPARE(s.pos.caja, QStringLiteral("1"));
        QCOMPARE(s.pos.bodega, QStringLiteral("01"));
        QCOMPARE(s.pos.puerto_cajon, QString());
        QCOMPARE(s.pos.nit_punto_venta, QStringLiteral("222222222222"));
        QCOMPARE(s.pos.nombre_vendedor, QStringLiteral("Carlos Andrés Gómez"));
        QCOMPARE(s.pos.vendedor, 2);
        QCOMPARE(s.pos.prefijo, QStringLiteral("PQ"));
        QVERIFY(!s.pos.es_administrador);
        // The audit row of the sign-in, written under the user's code.
        const db::Row audit = s.companyRow(QStringLiteral(
            "select audi_iddoc, audi_oper, audi_cod, count(*) over () from auditoria where tido_cod = 131"));
        QVERIFY(!audit.isEmpty());
        QCOMPARE(audit.at(0).toInt(), 0);
        QCOMPARE(audit.at(1).toString(), QStringLiteral("I"));
        QCOMPARE(audit.at(2).toString(), QStringLiteral("CAJERO"));
        QCOMPARE(audit.at(3).toInt(), 1);
    }

    // ---- password step

    void pasoClaveIncompleto_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no user") << QString() << QStringLiteral("Debe indicar antes el código del usuario.")
                                 << QStringLiteral("usuario");
        QTest::newRow("no password") << QStringLiteral("CAJERO") << QStringLiteral("La clave no puede ser vacía.")
                                     << QStringLiteral("clave");
    }
    void pasoClaveIncompleto()
    {
        QFETCH(QString, user);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Sesion s;
        QVERIFY(s.ok);
        s.enter(user);
        s.key(Qt::Key_Return);  // leave the empty password
        QCOMPARE(s.dialogs.texts(DialogKind::Information), QStringList{message});
        QCOMPARE(s.focus(), s.edit(qPrintable(focus)));
        QVERIFY(!s.dm.ConGeneral.isOpen());
    }

    void claveIncorrectaEnElServidor()
    {
        REQUIRE_SERVER();
        Sesion s(true);
        QVERIFY(s.ok);
        s.enter(QStringLiteral("CAJERO"));
        s.enter(QStringLiteral("mala"));
        QCOMPARE(s.dialogs.texts(), QStringList{kIncorrectas});
        QCOMPARE(s.dialogs.shown().first().kind, DialogKind::Error);
        QVERIFY(!s.dm.ConGeneral.isOpen());
        QCOMPARE(s.edit("nombreUsuario")->text(), QString());
        QFile log(s.site.file(QStringLiteral("ERRORES.TXT")));
        QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().section(u',', 0, 0), Tfdm::hoy());
        QCOMPARE(lines.first().section(u',', 2, 2), QString());  // nobody is signed in yet

        // The cashier stays on the password, types it right, then the company on the same server.
        QCOMPARE(s.focus(), s.edit("clave"));
        s.dialogs.clear();
        s.edit("clave")->selectAll();
        s.enter(QStringLiteral("cajero"));
        QCOMPARE(s.edit("nombreUsuario")->text(), QStringLiteral("Cajero de demostración"));
        s.enter(QStringLiteral("001"));
        QCOMPARE(s.dialogs.shown().size(), 0);
        QVERIFY(s.button("entrar")->isEnabled());
        s.key(Qt::Key_F2);
        QCOMPARE(s.result, int(QDialog::Accepted));
        QCOMPARE(s.dm.usuario, QStringLiteral("CAJERO"));
    }

    void administrador()
    {
        Sesion s;
        QVERIFY(s.ok);
        s.signIn(QStringLiteral("admin"), QStringLiteral("admin"));
        QVERIFY(s.button("configura")->isEnabled());
        QVERIFY(s.button("entrar")->isEnabled());
        QVERIFY(s.pos.es_administrador);
        bool configura = false;
        QTimer::singleShot(0, [&configura] {
            QWidget *modal = QApplication::activeModalWidget();
            configura = qobject_cast<Tfconfigura *>(modal) != nullptr;
            if (modal)
                static_cast<QDialog *>(modal)->reject();
        });
        s.key(Qt::Key_F9);
        QVERIFY(configura);
        QVERIFY2(s.dialogs.shown().isEmpty(), qPrintable(s.dialogs.texts().join(u'|')));

        // Another user on the same window loses what the administrator unlocked.
        s.edit("usuario")->setText(QStringLiteral("CAJERO"));
        s.edit("clave")->setText(QStringLiteral("cajero"));
        QVERIFY(s.window->valide_clave());
        QCOMPARE(s.edit("nombreUsuario")->text(), QStringLiteral("Cajero de demostración"));
        QVERIFY(!s.button("configura")->isEnabled());
        QVERIFY(!s.button("entrar")->isEnabled());  // the company must be connected again
        QVERIFY(!s.pos.es_administrador);
    }

    void teclasInactivas()
    {
        Sesion s;
        QVERIFY(s.ok);
        s.enter(QStringLiteral("cajero"));
        s.enter(QStringLiteral("cajero"));
        s.key(Qt::Key_F2);  // before the company step
        s.key(Qt::Key_F9);  // not an administrator
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(s.result, -1);
        QVERIFY(s.window->isVisible());
        QCOMPARE(s.dialogs.shown().size(), 0);
        QCOMPARE(s.auditRows(), 0);
        // Shift+F2 is not F2, even once the company is connected.
        s.enter(QStringLiteral("001"));
        QTest::keyClick(s.focus(), Qt::Key_F2, Qt::ShiftModifier);
        QCOMPARE(s.result, -1);
        s.key(Qt::Key_Escape);
        QCOMPARE(s.result, int(QDialog::Rejected));
        QCOMPARE(s.auditRows(), 0);
    }

    // ---- company step

    void pasoCompaniaFallido_data()
    {
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QString() << QStringLiteral("Debe indicar antes el código de la compañía.");
        QTest::newRow("unknown") << QStringLiteral("999") << QStringLiteral("Compañía no encontrada.");
    }
    void pasoCompaniaFallido()
    {
        QFETCH(QString, company);
        QFETCH(QString, message);
        Sesion s;
        QVERIFY(s.ok);
        s.signIn(QStringLiteral("cajero"), QStringLiteral("cajero"), company);
        QCOMPARE(s.dialogs.texts(DialogKind::Information), QStringList{message});
        QCOMPARE(s.edit("compania")->text(), QString());
        QCOMPARE(s.focus(), s.edit("compania"));
        QVERIFY(!s.button("entrar")->isEnabled());
        QVERIFY(!s.dm.Quorbit.isOpen());
    }

    void usuarioSinCompania()
    {
        Sesion s(false, QString(), [](fixtures::DemoSite &site) {
            db::Connection g = site.general();
            g.execute(QStringLiteral(
                "INSERT INTO USUARIO (USUA_COD, USUA_NOMBRE, USUA_ADMIN) VALUES ('INVITADO', 'Invitado', 'N')"));
        });
        QVERIFY(s.ok);
        s.signIn(QStringLiteral("invitado"), QStringLiteral("invitado"));
        QCOMPARE(s.dialogs.texts(DialogKind::Error),
                 QStringList{QStringLiteral("El usuario no esta registrado en la compañia")});
        QCOMPARE(s.dialogs.shown().size(), 1);
        QCOMPARE(s.edit("compania")->text(), QString());
        QCOMPARE(s.focus(), s.edit("compania"));
        QCOMPARE(s.combo("puntoVenta")->count(), 0);
        QVERIFY(!s.button("entrar")->isEnabled());
    }

    void duracionBusquedasNoNumerica()
    {
        Sesion s(false, QString(), [](fixtures::DemoSite &site) {
            companySql(site, QStringLiteral("UPDATE CONFIGURACION SET CONF_VALOR = 'dos' WHERE "
                                            "CONF_PROPIEDAD = 'DURACION DE LAS BUSQUEDAS'"));
        });
        QVERIFY(s.ok);
        s.signIn(QStringLiteral("cajero"), QStringLiteral("cajero"));
        const QStringList errors = s.dialogs.texts(DialogKind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(QStringLiteral("Se presento el siguiente error: ")),
                 qPrintable(errors.first()));
        QCOMPARE(s.combo("puntoVenta")->count(), 0);
        QVERIFY(!s.button("entrar")->isEnabled());
        QVERIFY(!s.field<QLabel>("aviso")->isVisible());
    }

    void opcionesDeLaCompania()
    {
        // Working date locked, and a stock-query company connected beside the company.
        Sesion s(false, QString(), [](fixtures::DemoSite &site) {
            companySql(site, QStringLiteral("UPDATE CONFIGURACION SET CONF_VALOR = 'SI' WHERE "
                                            "CONF_PROPIEDAD = 'INHABILITAR FECHA EN DOCUMENTOS'"));
            companySql(site, QStringLiteral("UPDATE CONFIGURACION SET CONF_VALOR = '001' WHERE "
                                            "CONF_PROPIEDAD = 'CODIGO COMPAÑIA CONSULTA EXISTENCIAS'"));
        });
        QVERIFY(s.ok);
        QVERIFY(!s.field<QDateEdit>("fecha")->isReadOnly());
        s.signIn(QStringLiteral("cajero"), QStringLiteral("cajero"));
        QVERIFY(s.field<QDateEdit>("fecha")->isReadOnly());
        QVERIFY(s.dm.existencias.isOpen());
        QCOMPARE(s.dm.existencias.params().database, s.dm.Quorbit.params().database);
        QCOMPARE(s.dialogs.shown().size(), 0);
    }

    // ---- points of sale, cashiers, prefixes

    void puntoVentaFijo_data()
    {
        QTest::addColumn<QString>("fixed");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("own listed prefix") << QStringLiteral("2") << QStringLiteral("PQ") << true;
        QTest::newRow("own unlisted prefix") << QStringLiteral("3") << QStringLiteral("ZZ") << false;
    }
    void puntoVentaFijo()
    {
        QFETCH(QString, fixed);
        QFETCH(QString, prefix);
        QFETCH(bool, accepted);
        Sesion s(false, fixed, [](fixtures::DemoSite &site) {
            db::Connection c = site.company();
            c.execute(QStringLiteral("INSERT INTO PREFIJOS (TIDO_COD, PREF_PRE, PREF_ACTUAL, PREF_AUTO, PREF_IVAINC) "
                                     "VALUES (31, 'ZZ', '000001', 'S', 'S')"));
            c.execute(QStringLiteral(
                "INSERT INTO PUNTO_VENTA (PTVT_ID, BODE_COD, PTVT_NOM, CAJA_ID, PREF_PRE, TERC_NIT, SUCU_ID, PTVT_MONPTO) "
                "VALUES (2, '01', 'Caja salida norte', 7, 'PQ', '800197268', 0, 'COM3')"));
            c.execute(QStringLiteral(
                "INSERT INTO PUNTO_VENTA (PTVT_ID, BODE_COD, PTVT_NOM, CAJA_ID, PREF_PRE, TERC_NIT, SUCU_ID) "
                "VALUES (3, '01', 'Caja sin autorización', 8, 'ZZ', '222222222222', 0)"));
            // Two cashiers of point 2 with the same name, and an inactive one.
            for (const char *values : {"(5, 'Pedro Pérez', 'A', 2, 0)", "(6, 'Pedro Pérez', 'A', 2, 0)",
                                       "(7, 'Luisa Inactiva', 'I', 2, 0)", "(8, 'Marta Tres', 'A', 3, 0)"})
                c.execute(QStringLiteral("INSERT INTO VENDEDORES (VEND_COD, VEND_NOMBRE, VEND_ESTADO, PTVT_ID, SUCU_ID) "
                                         "VALUES ") + QString::fromUtf8(values));
        });
        QVERIFY(s.ok);
        s.signIn(QStringLiteral("cajero"), QStringLiteral("cajero"));
        QComboBox *punto = s.combo("puntoVenta");
        QCOMPARE(punto->count(), 3);
        QCOMPARE(punto->currentData().toString(), fixed);
        QVERIFY(!punto->isEnabled());
        QCOMPARE(s.combo("prefijo")->currentText(), prefix);
        QVERIFY(!s.combo("prefijo")->isEnabled());
        if (fixed == QLatin1String("2")) {
            QCOMPARE(s.combo("vendedor")->count(), 2);  // the inactive cashier is left out
            s.combo("vendedor")->setCurrentIndex(1);    // the second "Pedro Pérez"
        }
        s.key(Qt::Key_F2);
        if (!accepted) {
            QCOMPARE(s.dialogs.texts(DialogKind::Information), QStringList{kFechaInvalida});
            QCOMPARE(s.result, int(QDialog::Rejected));
            QCOMPARE(s.auditRows(), 0);
            return;
        }
        QCOMPARE(s.result, int(QDialog::Accepted));
        QCOMPARE(s.pos.punto_venta, QStringLiteral("2"));
        QCOMPARE(s.pos.caja, QStringLiteral("7"));
        QCOMPARE(s.pos.puerto_cajon, QStringLiteral("COM3"));
        QCOMPARE(s.pos.nit_punto_venta, QStringLiteral("800197268"));
        QCOMPARE(s.pos.nombre_vendedor, QStringLiteral("Pedro Pérez"));
        QCOMPARE(s.pos.vendedor, 5);  // the first one loaded with that name
    }

    void sucursalDelUsuario()
    {
        // A user of branch 1 sees only that branch's points of sale, cashiers, prefixes and lists.
        Sesion s(false, QString(), [](fixtures::DemoSite &site) {
            db::Connection c = site.company();
            c.execute(QStringLiteral("UPDATE USUARIO SET SUCU_ID = 1 WHERE USER_COD = 'CAJERO'"));
            c.execute(QStringLiteral("UPDATE CONFIGURACION SET CONF_VALOR = 'NO' WHERE "
                                     "CONF_PROPIEDAD = 'RESTRINGIR VENDEDORES POR PUNTO DE VENTA'"));
            c.execute(QStringLiteral("INSERT INTO PREFIJOS (TIDO_COD, PREF_PRE, PREF_ACTUAL, PREF_AUTO, PREF_IVAINC) "
                                     "VALUES (31, 'SN', '000010', 'S', 'S')"));
            c.execute(QStringLiteral("INSERT INTO AUTORIZACIONES (TIDO_COD, PREF_PRE, AUTO_FECHA, AUTO_VENCE, "
                                     "AUTO_INICIAL, AUTO_FINAL, SUCU_ID) VALUES (31, 'SN', CURRENT_DATE - 5, "
                                     "CURRENT_DATE + 100, '000001', '005000', 1)"));
            c.execute(QStringLiteral(
                "INSERT INTO PUNTO_VENTA (PTVT_ID, BODE_COD, PTVT_NOM, CAJA_ID, TERC_NIT, SUCU_ID) "
                "VALUES (4, '01', 'Caja sede', 4, '222222222222', 1)"));
            c.execute(QStringLiteral("INSERT INTO VENDEDORES (VEND_COD, VEND_NOMBRE, VEND_ESTADO, PTVT_ID, SUCU_ID) "
                                     "VALUES (9, 'Inés Sede', 'I', 1, 1)"));
            c.execute(QStringLiteral("INSERT INTO LISTA_PRECIOS (LIPR_COD, LIPR_NOM, SUCU_ID) VALUES (2, 'SEDE', 1)"));
            c.execute(QStringLiteral("INSERT INTO LISTA_PRECIOS (LIPR_COD, LIPR_NOM, SUCU_ID) VALUES (3, 'SEDE B', 1)"));
        });
        QVERIFY(s.ok);
        s.signIn(QStringLiteral("cajero"), QStringLiteral("cajero"));
        QCOMPARE(s.dm.sucursal, 1);
        QCOMPARE(s.dm.CAgencia.value(QStringLiteral("SUCU_ID")).toInt(), 1); // printed instead of the company
        QCOMPARE(s.combo("puntoVenta")->count(), 1);
        QCOMPARE(s.combo("puntoVenta")->currentText(), QStringLiteral("Caja sede"));
        QVERIFY(s.combo("puntoVenta")->isEnabled());
        QCOMPARE(s.combo("vendedor")->count(), 1);  // inactive too: no restriction by point of sale
        QCOMPARE(s.combo("vendedor")->currentText(), QStringLiteral("Inés Sede"));
        QCOMPARE(s.combo("prefijo")->count(), 1);
        QCOMPARE(s.combo("prefijo")->currentText(), QStringLiteral("SN"));
        QCOMPARE(s.combo("listaPrecios")->count(), 2);
        QVERIFY(s.combo("listaPrecios")->isEnabled());
        s.key(Qt::Key_F2);
        QCOMPARE(s.result, int(QDialog::Accepted));
        QCOMPARE(s.pos.punto_venta, QStringLiteral("4"));
        QCOMPARE(s.pos.vendedor, 9);
        QCOMPARE(s.pos.prefijo, QStringLiteral("SN"));
    }

    // ---- "F2: Entrar"

    void fechaFueraDeAutorizacion_data()
    {
        QTest::addColumn<int>("days");
        QTest::newRow("before AUTO_FECHA") << -31;
        QTest::newRow("after AUTO_VENCE") << 366;
    }
    void fechaFueraDeAutorizacion()
    {
        QFETCH(int, days);
        Sesion s;
        QVERIFY(s.ok);
        s.signIn(QStringLiteral("cajero"), QStringLiteral("cajero"));
        s.field<QDateEdit>("fecha")->setDate(QDate::currentDate().addDays(days));
        s.key(Qt::Key_F2);
        QCOMPARE(s.dialogs.texts(), QStringList{kFechaInvalida});
        QCOMPARE(s.result, int(QDialog::Rejected));
        QCOMPARE(s.field<QDateEdit>("fecha")->date(), QDate::currentDate());
        QCOMPARE(s.auditRows(), 0);
        QCOMPARE(s.dm.usuario, QString());
    }

    void recordatorioDeVencimiento_data()
    {
        QTest::addColumn<int>("daysLeft");
        QTest::addColumn<bool>("reminder");
        QTest::newRow("9 days") << 9 << true;
        QTest::newRow("10 days") << 10 << false;
        QTest::newRow("last day") << 0 << true;
    }
    void recordatorioDeVencimiento()
    {
        QFETCH(int, daysLeft);
        QFETCH(bool, reminder);
        Sesion s(false, QString(), [daysLeft](fixtures::DemoSite &site) {
            companySql(site, QStringLiteral("UPDATE AUTORIZACIONES SET AUTO_VENCE = CURRENT_DATE + %1").arg(daysLeft));
        });
        QVERIFY(s.ok);
        s.signIn(QStringLiteral("cajero"), QStringLiteral("cajero"));
        s.key(Qt::Key_F2);
        QCOMPARE(s.result, int(QDialog::Accepted));
        const StatusLine &line = s.dm.statusLine();
        if (reminder) {
            QCOMPARE(line.state(), StatusLine::State::Reminder);
            QCOMPARE(line.text(), QStringLiteral("RECORDAR: Su autorización de numeración se vence el ") +
                                      Tfdm::fecha(QDate::currentDate().addDays(daysLeft)));
        } else {
            QCOMPARE(line.state(), StatusLine::State::RestA);
        }
    }

    void facturasPosteriores_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("No") << false;
        QTest::newRow("OK") << true;
    }
    void facturasPosteriores()
    {
        QFETCH(bool, answer);
        Sesion s(false, QString(), [](fixtures::DemoSite &site) {
            companySql(site, QStringLiteral("INSERT INTO FACTURAS (PTVT_ID, VEND_COD, TERC_NIT, FACT_NUMERO, "
                                            "FACT_FECHA, FACT_IVAINC, PREF_PRE, NUMOK) VALUES (1, 1, "
                                            "'222222222222', '000001', CURRENT_DATE, 'S', 'PQ', 'S')"));
        });
        QVERIFY(s.ok);
        s.signIn(QStringLiteral("cajero"), QStringLiteral("cajero"));
        const QDate ayer = QDate::currentDate().addDays(-1);
        s.field<QDateEdit>("fecha")->setDate(ayer);
        if (answer)
            s.dialogs.answerYes();
        else
            s.dialogs.answerNo();
        s.key(Qt::Key_F2);
        const QString question = QStringLiteral("Hay facturas de fecha posterior a '") + Tfdm::fecha(ayer) +
                                 QStringLiteral("'. Esta seguro de continuar?");
        QCOMPARE(s.dialogs.texts(DialogKind::YesNo), QStringList{question});
        QVERIFY(s.dialogs.errors().isEmpty());
        if (!answer) {
            QCOMPARE(s.result, -1);
            QVERIFY(s.window->isVisible());
            QCOMPARE(s.auditRows(), 0);
            QCOMPARE(s.dm.usuario, QString());
            return;
        }
        QCOMPARE(s.result, int(QDialog::Accepted));
        QCOMPARE(s.dm.fecha_trabajo, Tfdm::fecha(ayer));
        QCOMPARE(s.auditRows(), 1);
    }

    void salirConEsc()
    {
        Sesion s;
        QVERIFY(s.ok);
        s.key(Qt::Key_Escape);
        QCOMPARE(s.result, int(QDialog::Rejected));
        QCOMPARE(s.dialogs.shown().size(), 0);
    }

    void execDevuelveAceptado()
    {
        // What the main window sees: exec() answers Accepted after a complete sign-in.
        fixtures::DemoSite site;
        Tfdm dm;
        ScriptedDialogs dialogs;
        ContextoPuntoVenta pos;
        auto *window = new Tfacceso(dm, pos);
        QTimer::singleShot(0, window, [window] {
            window->findChild<QLineEdit *>(QStringLiteral("usuario"))->setText(QStringLiteral("CAJERO"));
            window->findChild<QLineEdit *>(QStringLiteral("clave"))->setText(QStringLiteral("cajero"));
            window->findChild<QLineEdit *>(QStringLiteral("compania"))->setText(QStringLiteral("001"));
            if (window->valide_clave() && window->valide_compania())
                window->entre();
            else
                window->salga();
        });
        QCOMPARE(window->exec(), int(QDialog::Accepted));
        QCOMPARE(dm.usuario, QStringLiteral("CAJERO"));
        QCOMPARE(pos.prefijo, QStringLiteral("PQ"));
        QCOMPARE(dialogs.shown().size(), 0);
    }
};

QTEST_MAIN(TestAcceso)
#include "tst_acceso.moc"
