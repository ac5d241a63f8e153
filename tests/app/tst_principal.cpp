// The main window: first activation, options, header, closing refusal, cash-closing authorisation, menus.
#include "fixtures.h"

#include "app/clave.h"
#include "app/principal.h"
#include "data/dm.h"
#include "platform/childwindow.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace db;

namespace {

QPushButton *button(QWidget *w, const QString &caption)
{
    for (QPushButton *b : w->findChildren<QPushButton *>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

QAction *menuEntry(QMainWindow &w, const QString &menu, const QString &entry)
{
    for (QAction *m : w.menuBar()->actions())
        if (m->text() == menu)
            for (QAction *a : m->menu()->actions())
                if (a->text() == entry)
                    return a;
    return nullptr;
}

// Answers the modal supervisor dialog once it is up.
void answerSupervisor(const QString &password, bool authorise)
{
    QTimer::singleShot(0, [password, authorise] {
        auto *dialog = qobject_cast<Tfclave *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QLineEdit *field = dialog->findChild<QLineEdit *>();
        QTest::keyClicks(field, password);
        QTest::keyClick(field, authorise ? Qt::Key_F2 : Qt::Key_Escape);
        if (dialog->isVisible()) // a wrong password keeps it open: leave with Esc
            QTest::keyClick(field, Qt::Key_Escape);
    });
}

} // namespace

class tst_principal : public QObject {
    Q_OBJECT

    std::unique_ptr<fixtures::DemoSite> m_site;
    std::unique_ptr<Tfdm> m_dm;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    int m_posOpened = 0;
    int m_closingOpened = 0;
    QString m_pointOfSaleSeenBySignIn;

    // Stands in for the sign-in window: what a successful sign-in leaves behind.
    Tfprincipal::Ventanas windows(bool signInSucceeds, const QString &user = QStringLiteral("CAJERO"))
    {
        Tfprincipal::Ventanas v;
        v.acceso = [=, this](Tfprincipal &p) {
            m_pointOfSaleSeenBySignIn = p.contexto.punto_venta;
            if (!signInSucceeds)
                return false;
            m_dm->conecte_general(m_site->serverEntry(), user, QStringLiteral("x"));
            m_dm->conecte_empresa(m_site->serverEntry(), QStringLiteral("001"), user, QStringLiteral("x"));
            m_dm->cargue_configuracion();
            m_dm->usuario = user;
            m_dm->nombre_usuario = QStringLiteral("Cajero de demostración");
            p.contexto.es_administrador = user == QLatin1String("ADMIN");
            if (p.contexto.punto_venta.isEmpty())
                p.contexto.punto_venta = QStringLiteral("1");
            p.contexto.nombre_vendedor = QStringLiteral("Ana María Rodríguez");
            p.contexto.prefijo = QStringLiteral("PQ");
            return true;
        };
        v.punto_venta = [this](Tfprincipal &) { ++m_posOpened; };
        v.cierre = [this](Tfprincipal &) { ++m_closingOpened; };
        return v;
    }

    void setOption(const QString &key, const QString &value)
    {
        Connection c = m_site->company();
        c.execute(QStringLiteral("update configuracion set conf_valor = ? where conf_propiedad = ?"), {value, key});
    }

private slots:
    void initTestCase() { m_site = std::make_unique<fixtures::DemoSite>(); }

    void init()
    {
        m_dm = std::make_unique<Tfdm>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_posOpened = m_closingOpened = 0;
    }

    void cleanup()
    {
        m_dialogs.reset();
        m_dm.reset();
    }

    void firstActivationSignsInAndReadsOptions_data()
    {
        QTest::addColumn<QString>("printValue");
        QTest::addColumn<bool>("printFlag");
        QTest::newRow("SI") << QStringLiteral("SI") << true;
        QTest::newRow("lower case si") << QStringLiteral("si") << false;
        QTest::newRow("trailing blank") << QStringLiteral("SI ") << false;
    }

    void firstActivationSignsInAndReadsOptions()
    {
        QFETCH(QString, printValue);
        QFETCH(bool, printFlag);
        setOption(QStringLiteral("IMPRIMIR AUTOMATICAMENTE AL GRABAR LA FACTURA"), printValue);
        Tfprincipal w(*m_dm, windows(true), {QStringLiteral("parqueaderos")});
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorbit Parqueaderos 2014"));
        QCOMPARE(m_dm->modulo, QStringLiteral("FACTURACION"));
        w.activar();
        QCOMPARE(w.estado(), Tfprincipal::Estado::Trabajando);
        QVERIFY(!w.primera_activacion);
        QCOMPARE(w.contexto.imprimir_al_grabar, printFlag);
        QCOMPARE(w.contexto.recibido_menor, false);
        QCOMPARE(m_dm->color_encabezado, QStringLiteral("15707648"));
        QCOMPARE(m_posOpened, 1);
        QStringList header;
        for (QLineEdit *e : w.findChildren<QLineEdit *>())
            header << e->text();
        QCOMPARE(header, (QStringList{"Parqueadero Plaza Central S.A.S.", "Cajero de demostración", "1",
                                      "Ana María Rodríguez", "PQ"}));
        QVERIFY(m_dialogs->shown().isEmpty());
        w.activar(); // later activations do nothing
        QCOMPARE(m_posOpened, 1);
        setOption(QStringLiteral("IMPRIMIR AUTOMATICAMENTE AL GRABAR LA FACTURA"), QStringLiteral("SI"));
    }

    void missingOptionKeysAreReportedAndStartUpGoesOn()
    {
        {
            Connection c = m_site->company();
            c.execute(QStringLiteral("delete from configuracion where conf_propiedad in "
                                     "('PERMITIR MODIFICAR PRECIOS', 'HABILITAR UNIDADES ALTERNATIVAS')"));
        }
        Tfprincipal w(*m_dm, windows(true), {QStringLiteral("parqueaderos")});
        w.activar();
        QCOMPARE(m_dialogs->texts(), (QStringList{"No se encontró la configuración PERMITIR MODIFICAR PRECIOS",
                                                  "No se encontró la configuración HABILITAR UNIDADES ALTERNATIVAS"}));
        QCOMPARE(w.estado(), Tfprincipal::Estado::Trabajando);
        QCOMPARE(m_posOpened, 1);
        Connection c = m_site->company();
        c.execute(QStringLiteral("insert into configuracion values ('FACTURACION', 'POS', 'PERMITIR MODIFICAR PRECIOS', 'NO')"));
        c.execute(QStringLiteral("insert into configuracion values ('FACTURACION', 'POS', 'HABILITAR UNIDADES ALTERNATIVAS', 'NO')"));
    }

    void refusedSignInEndsTheProgram()
    {
        Tfprincipal w(*m_dm, windows(false), {QStringLiteral("parqueaderos")});
        w.activar();
        QCOMPARE(w.estado(), Tfprincipal::Estado::Terminada);
        QCOMPARE(m_posOpened, 0);
        QVERIFY(m_dialogs->shown().isEmpty());
    }

    void commandLineFixesThePointOfSale()
    {
        Tfprincipal w(*m_dm, windows(true), {QStringLiteral("parqueaderos"), QStringLiteral("3")});
        w.activar();
        QCOMPARE(m_pointOfSaleSeenBySignIn, QStringLiteral("3"));
        QCOMPARE(w.findChildren<QLineEdit *>().at(2)->text(), QStringLiteral("3"));
    }

    void closingRefusedWhileChildWindowsAreOpen()
    {
        Tfprincipal w(*m_dm, windows(true), {QStringLiteral("parqueaderos")});
        w.show();
        QTRY_COMPARE(w.estado(), Tfprincipal::Estado::Trabajando); // shown: the first activation runs
        QAction *cascade = menuEntry(w, QStringLiteral("&Ventana"), QStringLiteral("C&ascada"));
        QVERIFY(!cascade->isEnabled());
        auto *child = new ChildWindow;
        child->setWindowTitle(QStringLiteral("Facturas"));
        child->openIn(w.workspace());
        emit w.workspace()->subWindowActivated(w.workspace()->subWindowList().value(0));
        QVERIFY(cascade->isEnabled());
        QTest::mouseClick(button(&w, QStringLiteral("Salir")), Qt::LeftButton);
        QCOMPARE(m_dialogs->texts(), QStringList{"Cierre antes las ventanas de facturas, recibos o egresos."});
        QVERIFY(w.isVisible());
        child->close();
        QTRY_VERIFY(w.workspace()->subWindowList().isEmpty());
        menuEntry(w, QStringLiteral("&Archivo"), QStringLiteral("&Salir"))->trigger();
        QVERIFY(!w.isVisible());
        QCOMPARE(m_dialogs->texts().size(), 1);
    }

    void cashClosingAuthorisation()
    {
        // An administrator passes the right check: no dialog.
        {
            Tfprincipal w(*m_dm, windows(true, QStringLiteral("ADMIN")), {QStringLiteral("parqueaderos")});
            w.activar();
            QTest::mouseClick(button(&w, QStringLiteral("Cierre")), Qt::LeftButton);
            QCOMPARE(m_closingOpened, 1);
        }
        // Without right 115 the supervisor is asked; a wrong password opens nothing.
        Tfprincipal w(*m_dm, windows(true), {QStringLiteral("parqueaderos")});
        w.activar();
        answerSupervisor(QStringLiteral("otra"), true);
        w.abra_cierre();
        QCOMPARE(m_closingOpened, 1);
        QCOMPARE(m_dialogs->texts().last(),
                 QStringLiteral("La clave de cierre proporcionada es incorrecta. Consulte son su administrador."));
        answerSupervisor(QStringLiteral("supervisor"), true);
        w.abra_cierre();
        QCOMPARE(m_closingOpened, 2);
        answerSupervisor(QString(), false);
        w.abra_cierre();
        QCOMPARE(m_closingOpened, 2);
    }

    void aboutWindowShows()
    {
        Tfprincipal w(*m_dm, windows(true), {QStringLiteral("parqueaderos")});
        QStringList texts;
        QSize size;
        QTimer::singleShot(0, [&] {
            QWidget *about = QApplication::activeModalWidget();
            QVERIFY(about);
            size = about->size();
            for (QLabel *l : about->findChildren<QLabel *>())
                texts << l->text();
            QTest::keyClick(about, Qt::Key_Escape);
        });
        menuEntry(w, QStringLiteral("A&yuda"), QStringLiteral("&Acerca de"))->trigger();
        QCOMPARE(size, QSize(296, 205));
        QVERIFY(texts.contains(QStringLiteral("Vuvevod Ovovurezo Dudevediderivi d Ivovizor")));
        QVERIFY(texts.contains(QStringLiteral("Versión  2003")));
    }

    void windowsNotBuiltShowDisabled()
    {
        Tfprincipal w(*m_dm, windows(true), {QStringLiteral("parqueaderos")});
        for (const char *caption : {"Ocupación", "Vehículos", "Facturación"})
            QVERIFY2(!button(&w, QString::fromUtf8(caption))->isEnabled(), caption);
        QVERIFY(button(&w, QStringLiteral("Facturas"))->isEnabled());
        QVERIFY(!menuEntry(w, QStringLiteral("&Clientes"), QStringLiteral("&Buscar cliente  "))->isEnabled());
        QVERIFY(!menuEntry(w, QStringLiteral("&Informes"), QStringLiteral("&Tarifas"))->isEnabled());
        QVERIFY(menuEntry(w, QStringLiteral("A&yuda"), QStringLiteral("&Acerca de"))->isEnabled());
    }
};

QTEST_MAIN(tst_principal)
#include "tst_principal.moc"
