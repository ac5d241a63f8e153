#include "app/configura.h"

#include "data/dm.h"
#include "platform/appdir.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Stands in for the settings dialog: records what it was started from and answers from a queue
// (nullopt: closed without accepting).
struct EditorScript {
    QList<std::optional<SerialSettings>> answers;
    QList<std::pair<QString, SerialSettings>> calls;   // device, starting settings

    Tfconfigura::EditorDialog editor()
    {
        return [this](const SerialSettings &current, const QString &device, QWidget *) {
            calls.append({device, current});
            return answers.isEmpty() ? std::nullopt : answers.takeFirst();
        };
    }
};

const QString kWriteError = QStringLiteral(
    "Se presento el siguiente error: No se pudo grabar la configuración del puerto en el archivo ");

} // namespace

class TestConfigura : public QObject
{
    Q_OBJECT

    Tfdm m_dm;
    ScriptedDialogs m_dialogs;
    QTemporaryDir m_temp;
    QString m_appDir;

    void pointApplicationDirectoryAt(const QString &directory)
    {
        QSettings settings(m_temp.filePath("Quorbitlite2014.conf"), QSettings::IniFormat);
        settings.setValue(ApplicationDirectory::valueName, directory);
        settings.sync();
    }

    QString monederoFile() const { return m_appDir + u'/' + Tfconfigura::archivo_monedero; }
    QString balanzaFile() const { return m_appDir + u'/' + Tfconfigura::archivo_balanza; }

    Tfconfigura *showWindow(EditorScript *script)
    {
        auto *window = new Tfconfigura(nullptr, script ? script->editor() : Tfconfigura::EditorDialog());
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("window did not become active");
        return window;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        ApplicationDirectory::useSettingsFile(m_temp.filePath("Quorbitlite2014.conf"));
    }

    void cleanupTestCase() { ApplicationDirectory::useSettingsFile({}); }

    void init()
    {
        m_appDir = m_temp.filePath(QString::fromLatin1(QTest::currentTestFunction()) + u'-'
                                   + QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(m_appDir));
        pointApplicationDirectoryAt(m_appDir);
        m_dialogs.clear();
    }

    void captions()
    {
        QPointer<Tfconfigura> window = showWindow(nullptr);
        QCOMPARE(window->windowTitle(), QStringLiteral("Configuración"));
        QCOMPARE(window->botonMonedero()->text(), QStringLiteral("F4: Monedero"));
        QCOMPARE(window->botonBalanza()->text(), QStringLiteral("F7: Balanza"));
        QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
        window->close();
        QTRY_VERIFY(window.isNull());
    }

    // Untouched dialogs still write, and both files get the same settings.
    void f4ThenF7WithoutChanges()
    {
        // An installation's file with LF lines is rewritten as well.
        QFile old(monederoFile());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[ComPort1]\nPort=COM2\nBaudRate=1200\n");
        old.close();

        EditorScript script;
        Tfconfigura *window = showWindow(&script);
        QTest::keyClick(window, Qt::Key_F4);
        QTest::keyClick(window, Qt::Key_F7);

        QCOMPARE(script.calls.size(), 2);
        QCOMPARE(script.calls.at(0).first, QStringLiteral("Monedero"));
        QCOMPARE(script.calls.at(1).first, QStringLiteral("Balanza"));
        const QByteArray defaults = "[ComPort1]\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\n"
                                    "Parity=None\r\nFlowControl=None\r\n";
        QCOMPARE(readBytes(monederoFile()), defaults);
        QCOMPARE(readBytes(balanzaFile()), defaults);
        QVERIFY2(m_dialogs.shown().isEmpty(), qPrintable(m_dialogs.texts().join(u'\n')));
        window->close();
    }

    // One settings object: what F4 accepted is where F7 starts, and a dialog closed without
    // accepting keeps it and still writes it.
    void secondPressStartsFromFirst()
    {
        SerialSettings edited;
        edited.port = QStringLiteral("COM3");
        edited.baudRate = 250000;
        edited.parity = Parity::Even;
        EditorScript script;
        script.answers = {edited, std::nullopt};
        Tfconfigura *window = showWindow(&script);
        window->botonMonedero()->click();
        QTest::keyClick(window, Qt::Key_F7);

        QCOMPARE(script.calls.size(), 2);
        QCOMPARE(script.calls.at(0).second, SerialSettings());
        QCOMPARE(script.calls.at(1).second, edited);
        QCOMPARE(window->settings(), edited);
        QCOMPARE(loadSerialSettings(monederoFile()), edited);
        QCOMPARE(loadSerialSettings(balanzaFile()), edited);
        QVERIFY(readBytes(balanzaFile()).contains("BaudRate=Custom\r\nCustomBaudRate=250000\r\n"));
        window->close();
    }

    // The real dialog, driven as a user would: change the rate and accept, then cancel.
    void realDialog()
    {
        Tfconfigura *window = showWindow(nullptr);
        auto answer = [](const QString &rate, bool accept) {
            QTimer::singleShot(0, [rate, accept] {
                auto *dialog = qobject_cast<SerialSettingsDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                if (!rate.isEmpty())
                    dialog->baudRateBox()->setCurrentText(rate);
                if (accept)
                    dialog->okButton()->click();
                else
                    dialog->reject();
            });
        };
        answer(QStringLiteral("19200"), true);
        QTest::keyClick(window, Qt::Key_F4);
        answer(QStringLiteral("300"), false);
        QTest::keyClick(window, Qt::Key_F7);

        QCOMPARE(window->settings().baudRate, 19200);
        QCOMPARE(loadSerialSettings(monederoFile()).baudRate, 19200);
        QCOMPARE(loadSerialSettings(balanzaFile()).baudRate, 19200);
        window->close();
    }

    void keysWithModifiersDoNothing_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Shift+F4") << Qt::Key_F4 << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("Ctrl+F4") << Qt::Key_F4 << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("Alt+F7") << Qt::Key_F7 << Qt::KeyboardModifiers(Qt::AltModifier);
    }

    void keysWithModifiersDoNothing()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        EditorScript script;
        QPointer<Tfconfigura> window = showWindow(&script);
        QTest::keyClick(window, key, modifiers);
        QVERIFY(window);
        QVERIFY(script.calls.isEmpty());
        QVERIFY(!QFile::exists(monederoFile()));
        QVERIFY(!QFile::exists(balanzaFile()));
        window->close();
    }

    // The serial layer's error reaches the unhandled-error path with a Spanish message.
    void unwritableFile_data()
    {
        QTest::addColumn<bool>("missingDirectory");
        QTest::newRow("directory gone") << true;
        QTest::newRow("a directory named like the file") << false;
    }

    void unwritableFile()
    {
        QFETCH(bool, missingDirectory);
        if (missingDirectory) {
            m_appDir += QStringLiteral("/borrado");
            pointApplicationDirectoryAt(m_appDir);
        } else {
            QVERIFY(QDir().mkpath(monederoFile()));
        }
        EditorScript script;
        Tfconfigura *window = showWindow(&script);
        QTest::keyClick(window, Qt::Key_F4);

        QCOMPARE(m_dialogs.texts(DialogKind::Error), QStringList{kWriteError + monederoFile()});
        QVERIFY(QFileInfo(monederoFile()).isDir() != missingDirectory);
        window->close();
    }

    void noApplicationDirectory()
    {
        QSettings settings(m_temp.filePath("Quorbitlite2014.conf"), QSettings::IniFormat);
        settings.remove(ApplicationDirectory::valueName);
        settings.sync();
        EditorScript script;
        Tfconfigura *window = showWindow(&script);
        QTest::keyClick(window, Qt::Key_F7);
        QCOMPARE(script.calls.size(), 1);
        QCOMPARE(m_dialogs.texts(), QStringList{ApplicationDirectory::missingMessage()});
        QVERIFY(!QFile::exists(QStringLiteral("/") + Tfconfigura::archivo_balanza));
        window->close();
    }
};

QTEST_MAIN(TestConfigura)
#include "tst_configura.moc"
