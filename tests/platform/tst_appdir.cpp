#include "platform/appdir.h"
#include "platform/dialogs.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString missing = QStringLiteral(
    "No se encontró la Clave HKEY_CURRENT_USER\\Software\\Orvane\\Quorbitlite2014\\Directorio");

} // namespace

class TestAppDir : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;
    QString m_ini;

    // Writes the settings file: no value at all when `value` is null.
    void writeStore(const QString &value)
    {
        QSettings settings(m_ini, QSettings::IniFormat);
        settings.clear();
        if (!value.isNull())
            settings.setValue("Directorio", value);
        settings.sync();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_temp.isValid());
        m_ini = m_temp.filePath("Quorbitlite2014.conf");
        ApplicationDirectory::useSettingsFile(m_ini);
    }

    void cleanupTestCase() { ApplicationDirectory::useSettingsFile({}); }

    void lookup_data()
    {
        QTest::addColumn<QString>("stored");   // null: value absent
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("filePath");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("present") << "/srv/parqueadero" << "SERVIDORES.cfg" << "/srv/parqueadero"
                                 << "/srv/parqueadero/SERVIDORES.cfg" << QStringList{};
        QTest::newRow("trailing separator") << "/srv/parqueadero/" << "ERRORES.TXT"
                                            << "/srv/parqueadero/" << "/srv/parqueadero/ERRORES.TXT"
                                            << QStringList{};
        QTest::newRow("absent") << QString() << "SERVIDORES.cfg" << "" << "/SERVIDORES.cfg"
                                << QStringList{missing};
        QTest::newRow("empty") << "" << "impresoras.cfg" << "" << "/impresoras.cfg"
                               << QStringList{missing};
    }

    void lookup()
    {
        QFETCH(QString, stored);
        QFETCH(QString, fileName);
        QFETCH(QString, directory);
        QFETCH(QString, filePath);
        QFETCH(QStringList, messages);
        writeStore(stored);
        ScriptedDialogs dialogs;

        QCOMPARE(ApplicationDirectory::filePath(fileName), filePath);
        QCOMPARE(dialogs.texts(DialogKind::Information), messages);   // once per attempt

        dialogs.clear();
        QCOMPARE(ApplicationDirectory::path(), directory);
        QCOMPARE(dialogs.texts(), messages);
    }

    void readAfreshOnEveryCall()
    {
        ScriptedDialogs dialogs;
        ApplicationDirectory::store(QStringLiteral("/opt/uno"));
        QCOMPARE(ApplicationDirectory::path(), QStringLiteral("/opt/uno"));
        writeStore(QStringLiteral("/opt/dos"));
        QCOMPARE(ApplicationDirectory::path(), QStringLiteral("/opt/dos"));
        QVERIFY(dialogs.shown().isEmpty());
    }
};

QTEST_MAIN(TestAppDir)
#include "tst_appdir.moc"
