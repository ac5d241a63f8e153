#include "platform/serialsettings.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

Q_DECLARE_METATYPE(SerialSettings)
Q_DECLARE_METATYPE(SerialPortConfig)

char *toString(const SerialSettings &s)
{
    return QTest::toString(QStringLiteral("%1 %2 %3 %4 %5 %6")
                               .arg(s.port)
                               .arg(s.baudRate)
                               .arg(s.dataBits)
                               .arg(stopBitsText(s.stopBits), parityText(s.parity), flowControlText(s.flowControl)));
}

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

SerialSettings make(QString port, qint32 rate, int dataBits, StopBits stop, Parity parity, FlowControl flow)
{
    SerialSettings s;
    s.port = std::move(port);
    s.baudRate = rate;
    s.dataBits = dataBits;
    s.stopBits = stop;
    s.parity = parity;
    s.flowControl = flow;
    return s;
}

const QByteArray kDefaultSection = "[ComPort1]\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\n"
                                   "Parity=None\r\nFlowControl=None\r\n";

} // namespace

class TestSerialSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;
    QString file(const QString &name) const { return m_temp.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_temp.isValid()); }

    void defaultsAreAQuietDevice()
    {
        const SerialSettings s;
        QCOMPARE(s, make("COM1", 9600, 8, StopBits::One, Parity::None, FlowControl::None));
        const SerialPortConfig config = toSerialPortConfig(s);
        QVERIFY(!config.dataTerminalReady);
        QVERIFY(!config.requestToSend);
        QCOMPARE(config.flowControl, QSerialPort::NoFlowControl);
    }

    void fileBytes_data()
    {
        QTest::addColumn<SerialSettings>("settings");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("defaults") << SerialSettings() << kDefaultSection;
        QTest::newRow("custom rate")
            << make("COM3", 250000, 7, StopBits::OneAndHalf, Parity::Even, FlowControl::Hardware)
            << QByteArray("[ComPort1]\r\nPort=COM3\r\nBaudRate=Custom\r\nCustomBaudRate=250000\r\nStopBits=1.5\r\n"
                          "DataBits=7\r\nParity=Even\r\nFlowControl=Hardware\r\n");
        QTest::newRow("listed rate, no custom key")
            << make("/dev/ttyUSB0", 115200, 5, StopBits::Two, Parity::Space, FlowControl::Custom)
            << QByteArray("[ComPort1]\r\nPort=/dev/ttyUSB0\r\nBaudRate=115200\r\nStopBits=2\r\nDataBits=5\r\n"
                          "Parity=Space\r\nFlowControl=Custom\r\n");
    }

    void fileBytes()
    {
        QFETCH(SerialSettings, settings);
        QFETCH(QByteArray, bytes);
        const QString path = file("bytes.ini");
        QFile::remove(path);
        saveSerialSettings(settings, path);
        QCOMPARE(readBytes(path), bytes);
    }

    void roundTrip_data()
    {
        QTest::addColumn<SerialSettings>("settings");
        QTest::newRow("defaults") << SerialSettings();
        QTest::newRow("odd, software, 1.5")
            << make("COM2", 110, 5, StopBits::OneAndHalf, Parity::Odd, FlowControl::Software);
        QTest::newRow("even, hardware, 2")
            << make("COM12", 256000, 6, StopBits::Two, Parity::Even, FlowControl::Hardware);
        QTest::newRow("mark, custom flow")
            << make("COM4", 56000, 7, StopBits::One, Parity::Mark, FlowControl::Custom);
        QTest::newRow("space, custom rate")
            << make("/tmp/pty", 31250, 8, StopBits::Two, Parity::Space, FlowControl::None);
    }

    void roundTrip()
    {
        QFETCH(SerialSettings, settings);
        const QString path = file("round.ini");
        QFile::remove(path);
        saveSerialSettings(settings, path);
        QStringList invalid;
        QCOMPARE(loadSerialSettings(path, kSerialSection, &invalid), settings);
        QVERIFY2(invalid.isEmpty(), qPrintable(invalid.join(u',')));
    }

    void everyListedRateIsWrittenByNumber()
    {
        const QString path = file("rates.ini");
        for (qint32 rate : SerialSettings::standardBaudRates()) {
            SerialSettings s;
            s.baudRate = rate;
            saveSerialSettings(s, path);
            const QByteArray bytes = readBytes(path);
            QVERIFY(bytes.contains("\r\nBaudRate=" + QByteArray::number(rate) + "\r\n"));
            QVERIFY(!bytes.contains("Custom"));
            QCOMPARE(loadSerialSettings(path).baudRate, rate);
        }
    }

    // Files written by hand or by Windows programs: any capitals, blanks, LF, quotes, comments.
    void readsLooseForms()
    {
        const QString path = file("loose.ini");
        writeBytes(path, "; drawer\n[comport1]\n port = COM5 \nBAUDRATE=custom\ncustombaudrate= 1000 \n"
                         "stopbits=1.5\nDataBits = 6\nparity=odd\nflowcontrol=\"software\"\nPort=COM9\n"
                         "[Other]\nDataBits=5\n");
        QStringList invalid;
        QCOMPARE(loadSerialSettings(path, kSerialSection, &invalid),
                 make("COM5", 1000, 6, StopBits::OneAndHalf, Parity::Odd, FlowControl::Software));
        QVERIFY(invalid.isEmpty());
    }

    void unreadableValuesKeepDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("invalid");
        QTest::newRow("no file") << QByteArray() << QStringList();
        QTest::newRow("other section only") << QByteArray("[ComPort2]\r\nPort=COM4\r\nBaudRate=300\r\n")
                                            << QStringList();
        QTest::newRow("garbage everywhere")
            << QByteArray("[ComPort1]\r\nPort=\r\nBaudRate=rapido\r\nStopBits=3\r\nDataBits=9\r\nParity=Par\r\n"
                          "FlowControl=XonXoff\r\n")
            << QStringList{"Port", "BaudRate", "StopBits", "DataBits", "Parity", "FlowControl"};
        QTest::newRow("custom without rate") << QByteArray("[ComPort1]\r\nBaudRate=Custom\r\n")
                                             << QStringList{"CustomBaudRate"};
        QTest::newRow("custom with bad rate")
            << QByteArray("[ComPort1]\r\nBaudRate=Custom\r\nCustomBaudRate=-5\r\nDataBits=4\r\n")
            << QStringList{"CustomBaudRate", "DataBits"};
        QTest::newRow("binary noise")
            << QByteArray::fromRawData("\0\xff[ComPort1\n=\n==\nStopBits\n", 26) << QStringList();
    }

    void unreadableValuesKeepDefaults()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, invalid);
        const QString path = file("garbage.ini");
        QFile::remove(path);
        if (!content.isEmpty())
            writeBytes(path, content);
        QStringList found;
        QCOMPARE(loadSerialSettings(path, kSerialSection, &found), SerialSettings());
        QCOMPARE(found, invalid);
    }

    // Rewriting a section leaves the rest of the file alone and drops the section's stale keys.
    void saveKeepsOtherSections()
    {
        const QString path = file("keep.ini");
        writeBytes(path, "; puesto 2\n[ComPort2]\nPort=COM4\n\n[ComPort1]\nPort=COM2\nBaudRate=Custom\n"
                         "CustomBaudRate=1000\nExtra=1\n[Otro]\nA=b\n");
        saveSerialSettings(make("COM3", 19200, 8, StopBits::One, Parity::None, FlowControl::None), path);
        QCOMPARE(readBytes(path),
                 QByteArray("; puesto 2\r\n[ComPort2]\r\nPort=COM4\r\n\r\n[ComPort1]\r\nPort=COM3\r\nBaudRate=19200\r\n"
                            "StopBits=1\r\nDataBits=8\r\nParity=None\r\nFlowControl=None\r\n\r\n[Otro]\r\nA=b\r\n"));

        const QString appended = file("append.ini");
        writeBytes(appended, "[ComPort2]\nPort=COM4");
        saveSerialSettings(SerialSettings(), appended);
        QCOMPARE(readBytes(appended), "[ComPort2]\r\nPort=COM4\r\n\r\n" + kDefaultSection);
    }

    // A port name typed with line breaks cannot add lines or sections to the file.
    void valuesStayOnTheirLine()
    {
        const QString path = file("inject.ini");
        QFile::remove(path);
        saveSerialSettings(make("COM1\r\n[ComPort2]\nPort=COM9", 9600, 8, StopBits::One, Parity::None,
                                FlowControl::None),
                           path);
        QVERIFY(!readBytes(path).contains("\n[ComPort2]"));
        QCOMPARE(loadSerialSettings(path).port, QStringLiteral("COM1[ComPort2]Port=COM9"));
    }

    void unwritableFileThrows_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing directory") << file("no/such/dir/cnfptocaj.ini");
        QTest::newRow("a directory in its place") << file("isadir.ini");
    }

    void unwritableFileThrows()
    {
        QFETCH(QString, path);
        QDir().mkpath(file("isadir.ini"));
        try {
            saveSerialSettings(SerialSettings(), path);
            QFAIL("no error");
        } catch (const SerialSettingsError &error) {
            QCOMPARE(error.path(), path);
            QCOMPARE(error.message(),
                     QStringLiteral("No se pudo grabar la configuración del puerto en el archivo ") + path);
        }
    }

    // The point of sale's port comes first; a "ComPort2" section overrides all of it, the
    // "ComPort1" section of the configuration window gives everything but the port.
    void drawerSettings_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<SerialSettings>("expected");
        QTest::newRow("no file") << QByteArray()
                                 << make("COM3", 9600, 8, StopBits::One, Parity::None, FlowControl::None);
        QTest::newRow("window's section")
            << QByteArray(kDefaultSection).replace("9600", "19200").replace("Parity=None", "Parity=Even")
            << make("COM3", 19200, 8, StopBits::One, Parity::Even, FlowControl::None);
        QTest::newRow("ComPort2 names the port")
            << QByteArray("[ComPort2]\r\nPort=COM4\r\n")
            << make("COM4", 9600, 8, StopBits::One, Parity::None, FlowControl::None);
        QTest::newRow("ComPort2 without port")
            << QByteArray("[ComPort2]\r\nBaudRate=4800\r\n")
            << make("COM3", 4800, 8, StopBits::One, Parity::None, FlowControl::None);
        QTest::newRow("ComPort2 wins over ComPort1")
            << QByteArray("[ComPort1]\r\nPort=COM1\r\nBaudRate=19200\r\nDataBits=7\r\n[ComPort2]\r\nPort=COM4\r\n"
                          "StopBits=2\r\n")
            << make("COM4", 9600, 8, StopBits::Two, Parity::None, FlowControl::None);
    }

    void drawerSettings()
    {
        QFETCH(QByteArray, content);
        QFETCH(SerialSettings, expected);
        const QString path = file("cnfptocaj.ini");
        QFile::remove(path);
        if (!content.isEmpty())
            writeBytes(path, content);
        QCOMPARE(loadDrawerSettings(path, QStringLiteral("COM3")), expected);
    }

    void portConfig_data()
    {
        QTest::addColumn<SerialSettings>("settings");
        QTest::addColumn<SerialPortConfig>("config");
        auto config = [](QString name, qint32 rate, QSerialPort::DataBits bits, QSerialPort::Parity parity,
                         QSerialPort::StopBits stop, QSerialPort::FlowControl flow) {
            SerialPortConfig c;
            c.portName = std::move(name);
            c.baudRate = rate;
            c.dataBits = bits;
            c.parity = parity;
            c.stopBits = stop;
            c.flowControl = flow;
            return c;
        };
        QTest::newRow("defaults") << SerialSettings()
                                  << config("/dev/ttyS0", 9600, QSerialPort::Data8, QSerialPort::NoParity,
                                            QSerialPort::OneStop, QSerialPort::NoFlowControl);
        QTest::newRow("odd 5 1.5 hardware")
            << make("COM2", 1200, 5, StopBits::OneAndHalf, Parity::Odd, FlowControl::Hardware)
            << config("/dev/ttyS1", 1200, QSerialPort::Data5, QSerialPort::OddParity, QSerialPort::OneAndHalfStop,
                      QSerialPort::HardwareControl);
        QTest::newRow("even 6 2 software")
            << make("COM3", 250000, 6, StopBits::Two, Parity::Even, FlowControl::Software)
            << config("/dev/ttyS2", 250000, QSerialPort::Data6, QSerialPort::EvenParity, QSerialPort::TwoStop,
                      QSerialPort::SoftwareControl);
        QTest::newRow("mark 7 custom flow")
            << make("/dev/pts/7", 2400, 7, StopBits::One, Parity::Mark, FlowControl::Custom)
            << config("/dev/pts/7", 2400, QSerialPort::Data7, QSerialPort::MarkParity, QSerialPort::OneStop,
                      QSerialPort::NoFlowControl);
        QTest::newRow("space, bad data bits")
            << make("COM1", 9600, 11, StopBits::One, Parity::Space, FlowControl::None)
            << config("/dev/ttyS0", 9600, QSerialPort::Data8, QSerialPort::SpaceParity, QSerialPort::OneStop,
                      QSerialPort::NoFlowControl);
    }

    void portConfig()
    {
        QFETCH(SerialSettings, settings);
        QFETCH(SerialPortConfig, config);
        QCOMPARE(toSerialPortConfig(settings), config);

        QSerialPort port;
        configurePort(port, config);
        // QSerialPort reports a device under /dev by its short name.
        const QString shortName =
            config.portName.startsWith(QStringLiteral("/dev/")) ? config.portName.mid(5) : config.portName;
        QCOMPARE(port.portName(), shortName);
        QCOMPARE(port.baudRate(), config.baudRate);
        QCOMPARE(port.dataBits(), config.dataBits);
        QCOMPARE(port.parity(), config.parity);
        QCOMPARE(port.stopBits(), config.stopBits);
        QCOMPARE(port.flowControl(), config.flowControl);
    }

    // A configured port on a real pseudo-terminal: it opens, takes the lines and passes bytes.
    void configuredPortOpensAndWrites()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        SerialSettings settings;
        settings.port = QString::fromLatin1(ptsname(master));
        settings.baudRate = 19200;

        const SerialPortConfig config = toSerialPortConfig(settings);
        QCOMPARE(config.portName, settings.port);
        QSerialPort port;
        configurePort(port, config);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        setControlLines(port, config);   // a pseudo-terminal has no modem lines to refuse or obey
        QCOMPARE(port.baudRate(), 19200);
        const QByteArray kick("\x01\x01\x01\x00\x00", 5);
        QCOMPARE(port.write(kick), qint64(5));
        QVERIFY(port.waitForBytesWritten(5000));
        QByteArray received(16, 0);
        QCOMPARE(::read(master, received.data(), received.size()), ssize_t(5));
        QCOMPARE(received.left(5), kick);
        port.close();
        ::close(master);
    }

    void systemPortNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("device");
        QTest::newRow("COM1") << "COM1" << "/dev/ttyS0";
        QTest::newRow("COM3") << "COM3" << "/dev/ttyS2";
        QTest::newRow("COM10") << "COM10" << "/dev/ttyS9";
        QTest::newRow("lower case") << "com4" << "/dev/ttyS3";
        QTest::newRow("blanks") << " COM2 " << "/dev/ttyS1";
        QTest::newRow("COM0 is no port") << "COM0" << "COM0";
        QTest::newRow("no number") << "COM" << "COM";
        QTest::newRow("device path") << "/dev/ttyUSB0" << "/dev/ttyUSB0";
        QTest::newRow("printer port") << "LPT1" << "LPT1";
    }

    void systemPortNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, device);
        QCOMPARE(systemPortName(name), device);
    }

    void dialogShowsAndReturnsSettings()
    {
        const SerialSettings initial = make("COM2", 4800, 7, StopBits::Two, Parity::Odd, FlowControl::Hardware);
        SerialSettingsDialog dialog(initial, QStringLiteral("Monedero"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Puerto serial - Monedero"));
        QCOMPARE(dialog.portBox()->currentText(), QStringLiteral("COM2"));
        QCOMPARE(dialog.baudRateBox()->currentText(), QStringLiteral("4800"));
        QCOMPARE(dialog.dataBitsBox()->currentText(), QStringLiteral("7"));
        QCOMPARE(dialog.stopBitsBox()->currentText(), QStringLiteral("2"));
        QCOMPARE(dialog.parityBox()->currentText(), QStringLiteral("Impar"));
        QCOMPARE(dialog.flowControlBox()->currentText(), QStringLiteral("Hardware"));
        QCOMPARE(dialog.okButton()->text(), QStringLiteral("Aceptar"));
        QCOMPARE(dialog.settings(), initial);

        dialog.portBox()->setCurrentText(QStringLiteral("/dev/ttyUSB1"));
        dialog.baudRateBox()->setCurrentText(QStringLiteral("31250"));
        dialog.dataBitsBox()->setCurrentIndex(dialog.dataBitsBox()->findText("5"));
        dialog.stopBitsBox()->setCurrentIndex(dialog.stopBitsBox()->findText("1.5"));
        dialog.parityBox()->setCurrentIndex(dialog.parityBox()->findText("Espacio"));
        dialog.flowControlBox()->setCurrentIndex(dialog.flowControlBox()->findText("Personalizado"));
        QCOMPARE(dialog.settings(),
                 make("/dev/ttyUSB1", 31250, 5, StopBits::OneAndHalf, Parity::Space, FlowControl::Custom));

        // A rate or port that cannot be taken leaves Aceptar off.
        dialog.baudRateBox()->setCurrentText(QString());
        QVERIFY(!dialog.okButton()->isEnabled());
        dialog.baudRateBox()->setCurrentText(QStringLiteral("9600"));
        QVERIFY(dialog.okButton()->isEnabled());
        dialog.portBox()->setCurrentText(QStringLiteral("  "));
        QVERIFY(!dialog.okButton()->isEnabled());
    }

    void dialogEditAcceptsAndCancels_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("Aceptar") << true;
        QTest::newRow("Cancelar") << false;
    }

    void dialogEditAcceptsAndCancels()
    {
        QFETCH(bool, accept);
        QTimer::singleShot(0, [accept] {
            auto *dialog = qobject_cast<SerialSettingsDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->baudRateBox()->setCurrentText(QStringLiteral("57600"));
            if (accept)
                dialog->okButton()->click();
            else
                dialog->reject();
        });
        const std::optional<SerialSettings> result =
            SerialSettingsDialog::edit(SerialSettings(), QStringLiteral("Balanza"));
        QCOMPARE(result.has_value(), accept);
        if (accept)
            QCOMPARE(result->baudRate, 57600);
    }
};

QTEST_MAIN(TestSerialSettings)
#include "tst_serialsettings.moc"
