#include "app/clave.h"
#include "data/dm.h"
#include "fixtures.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString kIncorrecta =
    QStringLiteral("La clave de cierre proporcionada es incorrecta. Consulte son su administrador.");
const QString kClave = QStringLiteral("CLAVE ADMINISTRADOR PARA GENERAR EL CIERRE FACTURACION DEL POS");

} // namespace

class TestClave : public QObject {
    Q_OBJECT

private:
    // The demo company connected and its configuration loaded, as after a sign-in.
    void conecte(fixtures::DemoSite &site, Tfdm &dm, const QString &password, bool keep = true)
    {
        db::Connection c = site.company();
        if (keep)
            c.execute(QStringLiteral("UPDATE CONFIGURACION SET CONF_VALOR = '%1' WHERE CONF_PROPIEDAD = '%2'")
                          .arg(password, kClave));
        else
            c.execute(QStringLiteral("DELETE FROM CONFIGURACION WHERE CONF_PROPIEDAD = '%1'").arg(kClave));
        dm.conecte_empresa(site.serverEntry(), QStringLiteral("001"), QStringLiteral("SYSDBA"), QString());
        dm.cargue_configuracion();
    }

private slots:
    void autoriza_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("right") << "supervisor" << "supervisor" << true;
        QTest::newRow("wrong") << "supervisor" << "otra" << false;
        QTest::newRow("other capitals") << "supervisor" << "SUPERVISOR" << false;
        QTest::newRow("empty entry") << "supervisor" << "" << false;
        QTest::newRow("trailing blank") << "supervisor" << "supervisor " << false;
        QTest::newRow("empty password configured, empty entry") << "" << "" << true;
    }
    void autoriza()
    {
        QFETCH(QString, configured);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        fixtures::DemoSite site;
        Tfdm dm;
        ScriptedDialogs dialogs;
        conecte(site, dm, configured);

        QPointer<Tfclave> window = new Tfclave(dm);
        int result = -1;
        connect(window.data(), &QDialog::finished, this, [&result](int r) { result = r; });
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        auto *field = window->findChild<QLineEdit *>(QStringLiteral("clave"));
        QCOMPARE(QApplication::focusWidget(), field);
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QCOMPARE(window->findChild<QGroupBox *>()->title(), QStringLiteral("Validación de acceso"));
        QCOMPARE(window->findChild<QLabel *>()->text(), QStringLiteral("Clave:"));
        QCOMPARE(window->findChild<QPushButton *>(QStringLiteral("autoriza"))->text(), QStringLiteral("Autoriza"));
        QCOMPARE(window->findChild<QPushButton *>(QStringLiteral("cancela"))->text(), QStringLiteral("Cancela"));

        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_F2);
        if (accepted) {
            QCOMPARE(result, int(QDialog::Accepted));
            QCOMPARE(dialogs.shown().size(), 0);
        } else {
            QCOMPARE(result, -1);
            QCOMPARE(dialogs.texts(DialogKind::Information), QStringList{kIncorrecta});
            QCOMPARE(field->text(), QString());
            QCOMPARE(QApplication::focusWidget(), field);
            // Esc gives up.
            QTest::keyClick(field, Qt::Key_Escape);
            QCOMPARE(result, int(QDialog::Rejected));
        }
        delete window.data();
    }

    void claveNoConfigurada()
    {
        // A missing key reads as empty after its message: an empty entry authorises.
        fixtures::DemoSite site;
        Tfdm dm;
        ScriptedDialogs dialogs;
        conecte(site, dm, QString(), false);
        auto *window = new Tfclave(dm);
        QTimer::singleShot(0, window, [window] {
            window->findChild<QPushButton *>(QStringLiteral("autoriza"))->click();
        });
        QCOMPARE(window->exec(), int(QDialog::Accepted));
        QCOMPARE(dialogs.texts(DialogKind::Error),
                 QStringList{QStringLiteral("No se encontró la configuración ") + kClave});
    }

    void autoriceModal_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("expected");
        QTest::newRow("right") << "supervisor" << true;
        QTest::newRow("cancelled") << "" << false;
    }
    void autoriceModal()
    {
        QFETCH(QString, typed);
        QFETCH(bool, expected);
        fixtures::DemoSite site;
        Tfdm dm;
        ScriptedDialogs dialogs;
        conecte(site, dm, QStringLiteral("supervisor"));
        QTimer::singleShot(0, [typed] {
            auto *dialog = qobject_cast<Tfclave *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("clave"));
            QTest::keyClicks(field, typed);
            QTest::keyClick(field, typed.isEmpty() ? Qt::Key_Escape : Qt::Key_F2);
        });
        QCOMPARE(Tfclave::autorice(dm), expected);
        QCOMPARE(dialogs.shown().size(), 0);
    }
};

QTEST_MAIN(TestClave)
#include "tst_clave.moc"
