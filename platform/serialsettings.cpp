#include "platform/serialsettings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QVBoxLayout>

#include <climits>

const QString kSerialSection = QStringLiteral("ComPort1");
const QString kDrawerSection = QStringLiteral("ComPort2");

const QList<qint32> &SerialSettings::standardBaudRates()
{
    static const QList<qint32> rates{110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                     19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return rates;
}

// ---------------------------------------------------------------- text forms

namespace {

const QString kPort = QStringLiteral("Port");
const QString kBaudRate = QStringLiteral("BaudRate");
const QString kCustomBaudRate = QStringLiteral("CustomBaudRate");
const QString kStopBits = QStringLiteral("StopBits");
const QString kDataBits = QStringLiteral("DataBits");
const QString kParity = QStringLiteral("Parity");
const QString kFlowControl = QStringLiteral("FlowControl");
const QString kCustom = QStringLiteral("Custom");

template <typename Enum, std::size_t N>
std::optional<Enum> fromText(const QString &text, const std::pair<Enum, const char *> (&table)[N])
{
    const QString wanted = text.trimmed();
    for (const auto &[value, name] : table)
        if (wanted.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return value;
    return std::nullopt;
}

template <typename Enum, std::size_t N>
QString toText(Enum value, const std::pair<Enum, const char *> (&table)[N])
{
    for (const auto &[v, name] : table)
        if (v == value)
            return QLatin1String(name);
    return {};
}

const std::pair<StopBits, const char *> kStopBitsNames[] = {
    {StopBits::One, "1"}, {StopBits::OneAndHalf, "1.5"}, {StopBits::Two, "2"}};
const std::pair<Parity, const char *> kParityNames[] = {
    {Parity::None, "None"}, {Parity::Odd, "Odd"}, {Parity::Even, "Even"}, {Parity::Mark, "Mark"},
    {Parity::Space, "Space"}};
const std::pair<FlowControl, const char *> kFlowControlNames[] = {
    {FlowControl::Hardware, "Hardware"}, {FlowControl::Software, "Software"}, {FlowControl::None, "None"},
    {FlowControl::Custom, "Custom"}};

} // namespace

QString stopBitsText(StopBits value) { return toText(value, kStopBitsNames); }
QString parityText(Parity value) { return toText(value, kParityNames); }
QString flowControlText(FlowControl value) { return toText(value, kFlowControlNames); }
std::optional<StopBits> stopBitsFromText(const QString &text) { return fromText(text, kStopBitsNames); }
std::optional<Parity> parityFromText(const QString &text) { return fromText(text, kParityNames); }
std::optional<FlowControl> flowControlFromText(const QString &text) { return fromText(text, kFlowControlNames); }

// ---------------------------------------------------------------- INI file

SerialSettingsError::SerialSettingsError(QString path, QString reason)
    : m_path(std::move(path)), m_reason(std::move(reason))
{
}

QString SerialSettingsError::message() const
{
    return QStringLiteral("No se pudo grabar la configuración del puerto en el archivo ") + m_path;
}

namespace {

// The files are written by and for Windows programs as well: ANSI text, CRLF, sections and
// keys in any capitals, the first of two equal keys counts.
QStringList splitLines(const QByteArray &bytes)
{
    QStringList lines = QString::fromLatin1(bytes).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

// The section name of a "[name]" line, or null.
QString sectionName(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(u'['))
        return {};
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0)
        return {};
    const QString name = trimmed.mid(1, close - 1).trimmed();
    return name.isNull() ? QStringLiteral("") : name;
}

bool isSection(const QString &line, const QString &section)
{
    const QString name = sectionName(line);
    return !name.isNull() && name.compare(section, Qt::CaseInsensitive) == 0;
}

struct Section {
    bool present = false;
    QList<std::pair<QString, QString>> entries;

    std::optional<QString> value(const QString &key) const
    {
        for (const auto &[k, v] : entries)
            if (k.compare(key, Qt::CaseInsensitive) == 0)
                return v;
        return std::nullopt;
    }
};

QString unquoted(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

Section readSection(const QString &path, const QString &section)
{
    Section result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    bool inside = false;
    for (const QString &line : splitLines(file.readAll())) {
        if (!sectionName(line).isNull()) {
            inside = isSection(line, section);
            result.present = result.present || inside;
            continue;
        }
        const QString trimmed = line.trimmed();
        if (!inside || trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
            continue;
        const qsizetype equals = trimmed.indexOf(u'=');
        if (equals <= 0)
            continue;
        result.entries.append({trimmed.left(equals).trimmed(), unquoted(trimmed.mid(equals + 1))});
    }
    return result;
}

std::optional<qint32> positiveInteger(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value <= 0)
        return std::nullopt;
    return value;
}

// Each key present and readable replaces the value in `settings`; the rest stay.
void applySection(SerialSettings &settings, const Section &section, bool withPort, QStringList *invalidKeys)
{
    auto invalid = [invalidKeys](const QString &key) {
        if (invalidKeys)
            invalidKeys->append(key);
    };

    if (withPort) {
        if (const auto port = section.value(kPort)) {
            if (port->isEmpty())
                invalid(kPort);
            else
                settings.port = *port;
        }
    }
    if (const auto rate = section.value(kBaudRate)) {
        if (rate->compare(kCustom, Qt::CaseInsensitive) == 0) {
            const auto custom = positiveInteger(section.value(kCustomBaudRate).value_or(QString()));
            if (custom)
                settings.baudRate = *custom;
            else
                invalid(kCustomBaudRate);
        } else if (const auto number = positiveInteger(*rate)) {
            settings.baudRate = *number;
        } else {
            invalid(kBaudRate);
        }
    }
    // A present key whose text does not parse keeps the current value and is reported.
    const auto read = [&](const QString &key, auto parse, auto &target) {
        if (const auto text = section.value(key)) {
            if (const auto value = parse(*text))
                target = *value;
            else
                invalid(key);
        }
    };
    read(kStopBits, stopBitsFromText, settings.stopBits);
    if (const auto text = section.value(kDataBits)) {
        const auto value = positiveInteger(*text);
        if (value && *value >= 5 && *value <= 8)
            settings.dataBits = *value;
        else
            invalid(kDataBits);
    }
    read(kParity, parityFromText, settings.parity);
    read(kFlowControl, flowControlFromText, settings.flowControl);
}

// A value must stay on its own line.
QString lineSafe(const QString &value)
{
    QString result;
    for (QChar c : value)
        if (c.unicode() >= 0x20)
            result.append(c);
    return result.trimmed();
}

QStringList sectionLines(const SerialSettings &s, const QString &section)
{
    QStringList lines{u'[' + section + u']', kPort + u'=' + lineSafe(s.port)};
    if (s.hasCustomBaudRate()) {
        lines << kBaudRate + u'=' + kCustom << kCustomBaudRate + u'=' + QString::number(s.baudRate);
    } else {
        lines << kBaudRate + u'=' + QString::number(s.baudRate);
    }
    lines << kStopBits + u'=' + stopBitsText(s.stopBits) << kDataBits + u'=' + QString::number(s.dataBits)
          << kParity + u'=' + parityText(s.parity) << kFlowControl + u'=' + flowControlText(s.flowControl);
    return lines;
}

} // namespace

SerialSettings loadSerialSettings(const QString &path, const QString &section, QStringList *invalidKeys)
{
    SerialSettings settings;
    applySection(settings, readSection(path, section), true, invalidKeys);
    return settings;
}

void saveSerialSettings(const SerialSettings &settings, const QString &path, const QString &section)
{
    // Other sections of the file (a drawer's "ComPort2", comments) are kept as they are.
    QStringList lines;
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            throw SerialSettingsError(path, existing.errorString());
        lines = splitLines(existing.readAll());
        existing.close();
    }

    const QStringList replacement = sectionLines(settings, section);
    qsizetype start = -1;
    for (qsizetype i = 0; i < lines.size() && start < 0; ++i)
        if (isSection(lines.at(i), section))
            start = i;
    if (start < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QString());
        lines.append(replacement);
    } else {
        qsizetype end = start + 1;
        while (end < lines.size() && sectionName(lines.at(end)).isNull())
            ++end;
        QStringList body = replacement;
        if (end < lines.size())
            body.append(QString());
        lines = lines.mid(0, start) + body + lines.mid(end);
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw SerialSettingsError(path, file.errorString());
    const QByteArray bytes = (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw SerialSettingsError(path, file.errorString());
}

SerialSettings loadDrawerSettings(const QString &path, const QString &portFromPointOfSale, QStringList *invalidKeys)
{
    SerialSettings settings;
    settings.port = portFromPointOfSale;
    const Section drawer = readSection(path, kDrawerSection);
    if (drawer.present)
        applySection(settings, drawer, true, invalidKeys);
    else
        applySection(settings, readSection(path, kSerialSection), false, invalidKeys);
    return settings;
}

// ---------------------------------------------------------------- the port

QString systemPortName(const QString &portName)
{
    static const QRegularExpression com(QStringLiteral("^COM([0-9]+)$"), QRegularExpression::CaseInsensitiveOption);
    const QString trimmed = portName.trimmed();
    const QRegularExpressionMatch match = com.match(trimmed);
    bool ok = false;
    const int number = match.hasMatch() ? match.captured(1).toInt(&ok) : 0;
    if (!ok || number < 1)
        return trimmed;
#ifdef Q_OS_WIN
    return QStringLiteral("COM") + QString::number(number);
#else
    return QStringLiteral("/dev/ttyS") + QString::number(number - 1);
#endif
}

SerialPortConfig toSerialPortConfig(const SerialSettings &s)
{
    SerialPortConfig config;
    config.portName = systemPortName(s.port);
    config.baudRate = s.baudRate;
    switch (s.dataBits) {
    case 5: config.dataBits = QSerialPort::Data5; break;
    case 6: config.dataBits = QSerialPort::Data6; break;
    case 7: config.dataBits = QSerialPort::Data7; break;
    default: config.dataBits = QSerialPort::Data8; break;
    }
    switch (s.parity) {
    case Parity::None: config.parity = QSerialPort::NoParity; break;
    case Parity::Odd: config.parity = QSerialPort::OddParity; break;
    case Parity::Even: config.parity = QSerialPort::EvenParity; break;
    case Parity::Mark: config.parity = QSerialPort::MarkParity; break;
    case Parity::Space: config.parity = QSerialPort::SpaceParity; break;
    }
    switch (s.stopBits) {
    case StopBits::One: config.stopBits = QSerialPort::OneStop; break;
    case StopBits::OneAndHalf: config.stopBits = QSerialPort::OneAndHalfStop; break;
    case StopBits::Two: config.stopBits = QSerialPort::TwoStop; break;
    }
    switch (s.flowControl) {
    case FlowControl::Hardware: config.flowControl = QSerialPort::HardwareControl; break;
    case FlowControl::Software: config.flowControl = QSerialPort::SoftwareControl; break;
    case FlowControl::None:
    case FlowControl::Custom: config.flowControl = QSerialPort::NoFlowControl; break;
    }
    return config;
}

void configurePort(QSerialPort &port, const SerialPortConfig &config)
{
    port.setPortName(config.portName);
    port.setBaudRate(config.baudRate);
    port.setDataBits(config.dataBits);
    port.setParity(config.parity);
    port.setStopBits(config.stopBits);
    port.setFlowControl(config.flowControl);
}

bool setControlLines(QSerialPort &port, const SerialPortConfig &config)
{
    bool ok = port.setDataTerminalReady(config.dataTerminalReady);
    if (config.flowControl != QSerialPort::HardwareControl)
        ok = port.setRequestToSend(config.requestToSend) && ok;
    return ok;
}

// ---------------------------------------------------------------- the dialog

namespace {

void selectData(QComboBox *box, int value, int fallbackIndex)
{
    const int index = box->findData(value);
    box->setCurrentIndex(index >= 0 ? index : fallbackIndex);
}

} // namespace

SerialSettingsDialog::SerialSettingsDialog(const SerialSettings &initial, const QString &device, QWidget *parent)
    : QDialog(parent),
      m_initial(initial),
      m_port(new QComboBox(this)),
      m_baudRate(new QComboBox(this)),
      m_dataBits(new QComboBox(this)),
      m_stopBits(new QComboBox(this)),
      m_parity(new QComboBox(this)),
      m_flowControl(new QComboBox(this))
{
    setWindowTitle(device.isEmpty() ? QStringLiteral("Puerto serial") : QStringLiteral("Puerto serial - ") + device);

    // Any device path may be typed in place of a COM name.
    m_port->setEditable(true);
    m_port->setInsertPolicy(QComboBox::NoInsert);
    for (int n = 1; n <= 16; ++n)
        m_port->addItem(QStringLiteral("COM") + QString::number(n));
    m_port->setCurrentText(initial.port);

    m_baudRate->setEditable(true);
    m_baudRate->setInsertPolicy(QComboBox::NoInsert);
    for (qint32 rate : SerialSettings::standardBaudRates())
        m_baudRate->addItem(QString::number(rate));
    m_baudRate->lineEdit()->setValidator(new QIntValidator(1, INT_MAX, m_baudRate));
    m_baudRate->setCurrentText(QString::number(initial.baudRate));

    for (int bits = 5; bits <= 8; ++bits)
        m_dataBits->addItem(QString::number(bits), bits);
    selectData(m_dataBits, initial.dataBits, 3);

    m_stopBits->addItem(QStringLiteral("1"), int(StopBits::One));
    m_stopBits->addItem(QStringLiteral("1.5"), int(StopBits::OneAndHalf));
    m_stopBits->addItem(QStringLiteral("2"), int(StopBits::Two));
    selectData(m_stopBits, int(initial.stopBits), 0);

    m_parity->addItem(QStringLiteral("Ninguna"), int(Parity::None));
    m_parity->addItem(QStringLiteral("Impar"), int(Parity::Odd));
    m_parity->addItem(QStringLiteral("Par"), int(Parity::Even));
    m_parity->addItem(QStringLiteral("Marca"), int(Parity::Mark));
    m_parity->addItem(QStringLiteral("Espacio"), int(Parity::Space));
    selectData(m_parity, int(initial.parity), 0);

    m_flowControl->addItem(QStringLiteral("Hardware"), int(FlowControl::Hardware));
    m_flowControl->addItem(QStringLiteral("Software"), int(FlowControl::Software));
    m_flowControl->addItem(QStringLiteral("Ninguno"), int(FlowControl::None));
    m_flowControl->addItem(QStringLiteral("Personalizado"), int(FlowControl::Custom));
    selectData(m_flowControl, int(initial.flowControl), 2);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Puerto:"), m_port);
    form->addRow(QStringLiteral("Velocidad:"), m_baudRate);
    form->addRow(QStringLiteral("Bits de datos:"), m_dataBits);
    form->addRow(QStringLiteral("Bits de parada:"), m_stopBits);
    form->addRow(QStringLiteral("Paridad:"), m_parity);
    form->addRow(QStringLiteral("Control de flujo:"), m_flowControl);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(QStringLiteral("Aceptar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_port, &QComboBox::currentTextChanged, this, &SerialSettingsDialog::updateOk);
    connect(m_baudRate, &QComboBox::currentTextChanged, this, &SerialSettingsDialog::updateOk);
    updateOk();
}

std::optional<qint32> SerialSettingsDialog::typedBaudRate() const
{
    return positiveInteger(m_baudRate->currentText());
}

void SerialSettingsDialog::updateOk()
{
    m_ok->setEnabled(!m_port->currentText().trimmed().isEmpty() && typedBaudRate().has_value());
}

SerialSettings SerialSettingsDialog::settings() const
{
    SerialSettings s = m_initial;
    const QString port = lineSafe(m_port->currentText());
    if (!port.isEmpty())
        s.port = port;
    if (const auto rate = typedBaudRate())
        s.baudRate = *rate;
    s.dataBits = m_dataBits->currentData().toInt();
    s.stopBits = StopBits(m_stopBits->currentData().toInt());
    s.parity = Parity(m_parity->currentData().toInt());
    s.flowControl = FlowControl(m_flowControl->currentData().toInt());
    return s;
}

std::optional<SerialSettings> SerialSettingsDialog::edit(const SerialSettings &initial, const QString &device,
                                                         QWidget *parent)
{
    SerialSettingsDialog dialog(initial, device, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.settings();
}
