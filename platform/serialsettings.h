#pragma once

#include <QDialog>
#include <QList>
#include <QSerialPort>
#include <QString>
#include <QStringList>

#include <optional>

class QComboBox;
class QPushButton;

// Settings of a serial device (cash drawer, scale) as the device INI files hold them:
// section "ComPort1" (the drawer's file may also hold "ComPort2"), one "Key=Value" line each.

enum class StopBits { One, OneAndHalf, Two };
enum class Parity { None, Odd, Even, Mark, Space };
enum class FlowControl { Hardware, Software, None, Custom };

struct SerialSettings {
    // A device not driven by the control lines: no flow control of any kind, DTR and RTS off.
    QString port = QStringLiteral("COM1");
    qint32 baudRate = 9600;
    int dataBits = 8;   // 5 to 8
    StopBits stopBits = StopBits::One;
    Parity parity = Parity::None;
    FlowControl flowControl = FlowControl::None;

    bool operator==(const SerialSettings &) const = default;

    // Rates the INI files name by their number; any other rate is stored as "Custom".
    static const QList<qint32> &standardBaudRates();
    bool hasCustomBaudRate() const { return !standardBaudRates().contains(baudRate); }
};

// The section this program writes, "ComPort1".
extern const QString kSerialSection;
// The section of the drawer's file that overrides it for the point of sale, "ComPort2".
extern const QString kDrawerSection;

// Text forms of the INI files ("1.5", "Even", "Custom", ...) and back. The readers accept
// any capitals and surrounding blanks; nullopt for anything else.
QString stopBitsText(StopBits value);
QString parityText(Parity value);
QString flowControlText(FlowControl value);
std::optional<StopBits> stopBitsFromText(const QString &text);
std::optional<Parity> parityFromText(const QString &text);
std::optional<FlowControl> flowControlFromText(const QString &text);

// The file could not be written (or an existing one could not be read to keep its other
// sections). message() is the Spanish text for the user.
class SerialSettingsError
{
public:
    SerialSettingsError(QString path, QString reason);
    QString path() const { return m_path; }
    QString reason() const { return m_reason; }
    QString message() const;

private:
    QString m_path;
    QString m_reason;
};

// Reads one section of an INI file. A missing file, section or key, and a value that cannot be
// read, leave the default; the names of unreadable keys are added to `invalidKeys`.
SerialSettings loadSerialSettings(const QString &path, const QString &section = kSerialSection,
                                  QStringList *invalidKeys = nullptr);

// Writes the section as "Port", "BaudRate", ["CustomBaudRate"], "StopBits", "DataBits",
// "Parity", "FlowControl", replacing the section's old lines and keeping every other line of
// the file. The file is replaced as a whole or not at all. Throws SerialSettingsError.
void saveSerialSettings(const SerialSettings &settings, const QString &path,
                        const QString &section = kSerialSection);

// The drawer settings of a point of sale: its port setting (`puerto_cajon`) and the drawer's
// file "cnfptocaj.ini". A "ComPort2" section, when the file has one, is read as it stands and
// its "Port" replaces the point of sale's port. Otherwise the "ComPort1" section that the
// configuration window writes gives the line settings and the point of sale's port stays:
// that section always carries a "Port" (the window and the installation write "COM1" unless
// someone chose another), so letting it win would move every drawer to COM1.
SerialSettings loadDrawerSettings(const QString &path, const QString &portFromPointOfSale,
                                  QStringList *invalidKeys = nullptr);

// ---- the port itself

// The system's device for a port name: "COMn" (any capitals) is the n-th serial device,
// /dev/ttyS{n-1} outside Windows; any other name (a device path) is used as it stands.
QString systemPortName(const QString &portName);

struct SerialPortConfig {
    QString portName;   // system device
    qint32 baudRate = 9600;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    QSerialPort::FlowControl flowControl = QSerialPort::NoFlowControl;
    bool dataTerminalReady = false;
    bool requestToSend = false;

    bool operator==(const SerialPortConfig &) const = default;
};

// "Custom" flow control means line by line choices, which are all off here, so it is no flow
// control. Data bits outside 5..8 become 8.
SerialPortConfig toSerialPortConfig(const SerialSettings &settings);

// Name and line settings; call before open().
void configurePort(QSerialPort &port, const SerialPortConfig &config);
// DTR and RTS can only be set on an open port; RTS belongs to the driver under hardware flow
// control. Returns false when the port refused.
bool setControlLines(QSerialPort &port, const SerialPortConfig &config);

// ---- the settings dialog

// Port, rate (a typed rate outside the list is a custom one), data bits, stop bits, parity and
// flow control, with Aceptar / Cancelar.
class SerialSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SerialSettingsDialog(const SerialSettings &initial, const QString &device = {},
                                  QWidget *parent = nullptr);

    // What the fields hold now; fields that cannot be read keep the initial values.
    SerialSettings settings() const;

    // Runs the dialog modally: the edited settings, or nullopt when cancelled.
    static std::optional<SerialSettings> edit(const SerialSettings &initial, const QString &device = {},
                                              QWidget *parent = nullptr);

    QComboBox *portBox() const { return m_port; }
    QComboBox *baudRateBox() const { return m_baudRate; }
    QComboBox *dataBitsBox() const { return m_dataBits; }
    QComboBox *stopBitsBox() const { return m_stopBits; }
    QComboBox *parityBox() const { return m_parity; }
    QComboBox *flowControlBox() const { return m_flowControl; }
    QPushButton *okButton() const { return m_ok; }

private:
    void updateOk();
    std::optional<qint32> typedBaudRate() const;

    SerialSettings m_initial;
    QComboBox *m_port;
    QComboBox *m_baudRate;
    QComboBox *m_dataBits;
    QComboBox *m_stopBits;
    QComboBox *m_parity;
    QComboBox *m_flowControl;
    QPushButton *m_ok;
};
