#include "data/dm.h"

#include "data/amountwords.h"
#include "data/numbering.h"
#include "data/sqltext.h"
#include "platform/appdir.h"
#include "platform/dialogs.h"

#include <QFile>
#include <QLocale>
#include <QTextStream>
#include <QTime>

Tfdm *Tfdm::s_instance = nullptr;

namespace {

QString dataPath(const QString &serverEntry, const QString &tail)
{
    return serverEntry + QStringLiteral("/datos/") + tail;
}

} // namespace

Tfdm::Tfdm(QObject *parent)
    : QObject(parent),
      PCompania(QStringLiteral("PCompania"), QStringLiteral("TCompania"),
                [this]() -> db::Connection & { return ConGeneral; }, this),
      CCompania(QStringLiteral("CCompania"), this),
      PAgencia(QStringLiteral("PAgencia"), QStringLiteral("TAgencia"),
               [this]() -> db::Connection & { return Quorbit; }, this),
      CAgencia(QStringLiteral("CAgencia"), this)
{
    s_instance = this;
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Colombia));
    CCompania.setProvider(&PCompania);
    CCompania.setCommandText(QStringLiteral("SELECT * FROM COMPANIA"));
    CAgencia.setProvider(&PAgencia);
    ConfigurarProviders(this);
}

Tfdm::~Tfdm()
{
    if (s_instance == this)
        s_instance = nullptr;
}

Tfdm &Tfdm::instance()
{
    Q_ASSERT(s_instance);
    return *s_instance;
}

QString Tfdm::fecha(const QDate &date) { return date.toString(u"yyyy/MM/dd"); }

QString Tfdm::hoy() { return fecha(QDate::currentDate()); }

// ---- connections

void Tfdm::conecte_general(const QString &serverEntry, const QString &user, const QString &password)
{
    ConGeneral.close();
    ConGeneral = db::Connection::attach({dataPath(serverEntry, QStringLiteral("general.fdb")), user, password});
    // Server accounts ignore case ("cajero" signs in as CAJERO); the user codes are stored in capitals.
    ConGeneral.execute(QStringLiteral("UPDATE USUARIO SET FECCON = ") + sqltext::text(hoy()) +
                       QStringLiteral(" WHERE USUA_COD = ") + sqltext::text(user.toUpper()));
}

// <entry>/datos/<company>/quorbit.fdb, replacing whatever the connection held.
static void conecte_compania(db::Connection &connection, const QString &serverEntry, const QString &company,
                             const QString &user, const QString &password)
{
    connection.close();
    connection = db::Connection::attach(
        {dataPath(serverEntry, company + QStringLiteral("/quorbit.fdb")), user, password});
}

void Tfdm::conecte_empresa(const QString &serverEntry, const QString &company, const QString &user,
                           const QString &password)
{
    conecte_compania(Quorbit, serverEntry, company, user, password);
}

void Tfdm::conecte_existencias(const QString &serverEntry, const QString &company, const QString &user,
                               const QString &password)
{
    conecte_compania(existencias, serverEntry, company, user, password);
}

void Tfdm::cargue_agencia()
{
    CAgencia.close();
    if (sucursal == 0)
        return;
    CAgencia.setCommandText(QStringLiteral("SELECT SUCU_ID, SUCU_NOMBRE, SUCU_DIRECCION, SUCU_TELEFONOS FROM SUCURSALES "
                                           "WHERE SUCU_ID = ") + QString::number(sucursal));
    CAgencia.open();
}

// ---- data set wiring

void Tfdm::ConfigurarProviders(QObject *owner)
{
    for (QObject *child : owner->children()) {
        if (auto *provider = qobject_cast<dataset::Provider *>(child)) {
            provider->onUpdateError = [this](dataset::Provider &p, dataset::ClientDataSet &d,
                                             const dataset::Error &e) { ManejarError(p, d, e); };
        } else if (auto *data = qobject_cast<dataset::ClientDataSet *>(child)) {
            data->packetRecords = 1000;
            data->beforeFetch = [this](dataset::ClientDataSet &) { mostrar_mensaje(); };
            data->afterFetch = [this](dataset::ClientDataSet &) { quitar_mensaje(); };
            data->onClientError = [this](dataset::ClientDataSet &d, const dataset::Error &e) {
                ManejarClientError(d, e);
            };
        } else if (!child->children().isEmpty()) {
            ConfigurarProviders(child);
        }
    }
}

// ---- central error handler

void Tfdm::registre_error(const QString &message)
{
    // A log that cannot be written is lost without a word; the user still sees the error.
    // Without an application directory there is no log: it would land in the root directory.
    const QString path = ApplicationDirectory::fileToWrite(QStringLiteral("ERRORES.TXT"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    // The server's messages run over several lines; the log keeps one line per error.
    QString line = message;
    line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\n', u' ').replace(u'\r', u' ');
    QTextStream out(&file);
    out << hoy() << ',' << QTime::currentTime().toString(u"HH:mm:ss") << ',' << usuario << ',' << line << '\n';
}

void Tfdm::anote(const QString &rawMessage)
{
    registre_error(rawMessage);
    m_status.setTextOnly(rawMessage);
}

void Tfdm::muestre_error(const QString &userMessage)
{
    Dialogs::current().beep();
    Dialogs::current().error(userMessage);
}

void Tfdm::informe(const QString &rawMessage, const QString &userMessage)
{
    anote(rawMessage);
    muestre_error(userMessage);
}

void Tfdm::ManejarError(dataset::Provider &provider, dataset::ClientDataSet &, const dataset::Error &error)
{
    const QString table = provider.sourceName().mid(1);
    QString message = error.message;
    if (error.dbKind == db::ErrorKind::PrimaryOrUniqueKey)
        message = QStringLiteral("Ya existe el registro en la tabla ") + table;
    else if (error.dbKind == db::ErrorKind::ForeignKey)
        message = QStringLiteral("Está borrando o insertando un registro en la tabla ") + table +
                  QStringLiteral(" que tiene una relación con otra tabla.");
    informe(error.message, message);
}

void Tfdm::ManejarClientError(dataset::ClientDataSet &data, const dataset::Error &error)
{
    anote(error.message);
    mostrar_advertencia(data.objectName() + QStringLiteral(": ") + error.message);
    QString message = error.message;
    switch (error.kind) {
    case dataset::Error::Kind::MasterHasDetails:
        message = QStringLiteral("Error. Borre antes los detalles dependientes del registro.");
        break;
    case dataset::Error::Kind::RequiredField: {
        QString fields;
        for (const QString &f : error.fields)
            fields += nombre_campo(f) + QStringLiteral(", ");
        message = QStringLiteral("Los campos ") + fields + QStringLiteral(" son obligatorios.");
        break;
    }
    case dataset::Error::Kind::KeyViolation: {
        QString fields;
        for (const QString &f : error.fields)
            fields += nombre_campo(f) + u' ';
        message = QStringLiteral("Ya existe un registro con el mismo ") + fields;
        break;
    }
    default:
        break;
    }
    muestre_error(message);
}

void Tfdm::ENoManejada(const QString &message)
{
    informe(message, QStringLiteral("Se presento el siguiente error: ") + message);
}

void Tfdm::ENoManejada(const db::DbError &error)
{
    // The four situations a user can act on get their own words; the rest are shown as they come.
    const QString name = error.quotedName();
    QString message;
    switch (error.kind()) {
    case db::ErrorKind::WrongCredentials:
        message = QStringLiteral("El nombre de Usuario o la clave son incorrectas.");
        break;
    case db::ErrorKind::FileNotFound:
        message = QStringLiteral("No se encontró el archivo o la ruta ") + name;
        break;
    case db::ErrorKind::HostNotFound:
        message = QStringLiteral("No se encontró el equipo servidor con nombre ") + name;
        break;
    case db::ErrorKind::ServerNotReachable:
        message = QStringLiteral("No se encontró el servidor Interbase/Firebird. Verifique Servidor en panel de "
                                 "control y puerto TCP 3050.");
        break;
    default:
        message = QStringLiteral("Se presento el siguiente error: ") + error.message();
        break;
    }
    informe(error.message(), message);
}

// ---- status line

int Tfdm::duracion_mensajes()
{
    return toInteger(configuracion(QStringLiteral("GENERAL"), QStringLiteral("GENERAL"),
                                   QStringLiteral("DURACION DE LAS ADVERTENCIAS"))) * 100;
}

void Tfdm::mostrar_advertencia(const QString &text)
{
    Dialogs::current().beep();
    try {
        m_status.showWarning(text, duracion_mensajes());
    } catch (const ConversionError &e) {
        ENoManejada(e.message());
    }
}

void Tfdm::mostrar_alerta(const QString &text)
{
    Dialogs::current().beep();
    // Outside rest A the reminder is lost, and its duration is not even read.
    if (m_status.state() != StatusLine::State::RestA)
        return;
    try {
        m_status.showReminder(text, duracion_mensajes());
    } catch (const ConversionError &e) {
        ENoManejada(e.message());
    }
}

void Tfdm::mostrar_mensaje() { m_status.beginBusy(); }

void Tfdm::quitar_mensaje() { m_status.endBusy(); }

// ---- services

bool Tfdm::valide_acceso(const QString &module, int option)
{
    if (principal && principal->es_administrador)
        return true;
    const db::Row row = Quorbit.queryFirst(
        QStringLiteral("select acus_si from acceso_usuario where user_cod = ") + sqltext::text(usuario) +
        QStringLiteral(" and acus_modulo = ") + sqltext::text(module) + QStringLiteral(" and acus_opcion = ") +
        QString::number(option));
    return !row.isEmpty() && row.at(0).toString() == QLatin1String("S");
}

void Tfdm::valide_fecha(QDate &date)
{
    if (!date.isValid())
        return;
    const QString lock = configuracion(QStringLiteral("CONTABILIDAD"), QStringLiteral("GENERAL"),
                                       QStringLiteral("FECHA DE BLOQUEO"));
    if (lock.isEmpty())
        return;
    try {
        const QDate lockDate = QDate::fromString(lock, u"yyyyMMdd");
        if (lock.size() != 8 || !lockDate.isValid())
            throw ConversionError(QStringLiteral("'%1' is not a valid date").arg(lock));
        const QDate today = QDate::currentDate();
        if (date >= lockDate) {
            const int days = toInteger(configuracion(QStringLiteral("GENERAL"), QStringLiteral("GENERAL"),
                                                     QStringLiteral("MAXIMO NUMERO DE DIAS PARA DOCUMENTOS FUTUROS")));
            if (today.addDays(days) < date) {
                Dialogs::current().information(QStringLiteral("La fecha del documento es demasiado lejana. Revise la "
                                                              "fecha del mismo y la fecha del sistema."));
                date = today;
            }
        } else {
            Dialogs::current().information(QStringLiteral("La compañía esta bloqueada a: ") + fecha(lockDate));
            date = today < lockDate ? lockDate : today;
        }
    } catch (const ConversionError &e) {
        ENoManejada(e.message());
    }
}

QString Tfdm::nombre_campo(const QString &column)
{
    const db::Row row = Quorbit.queryFirst(QStringLiteral("SELECT DESCRIPCION FROM NOMBRES_CAMPOS WHERE NOMBRE = ") +
                                           sqltext::text(column));
    return row.isEmpty() ? column : row.at(0).toString();
}

QString Tfdm::nombre_impresora(const QString &logicalName, const QString &current)
{
    const QString path = ApplicationDirectory::filePath(QStringLiteral("impresoras.cfg"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        Dialogs::current().information(QStringLiteral("Error abriendo el archivo") + path);
        return current;
    }
    const QString needle = logicalName + u',';
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const int at = line.indexOf(needle);
        if (at < 0)
            continue;
        const QString printer = line.mid(at + needle.size());
        if (!printer.isEmpty())
            return printer;
    }
    return QString();
}

void Tfdm::cargue_configuracion() { m_configuracion.load(Quorbit); }

QString Tfdm::configuracion(const QString &module, const QString &group, const QString &key)
{
    if (const QString *value = m_configuracion.find(module, group, key))
        return *value;
    Dialogs::current().error(QStringLiteral("No se encontró la configuración ") + key);
    return QString();
}

bool Tfdm::opcion(const QString &module, const QString &group, const QString &key)
{
    return configuracion(module, group, key) == QLatin1String("SI");
}

QString Tfdm::complete_numero(const QString &text) const { return numbering::complete_numero(text); }

QString Tfdm::numero_a_letras(db::Money amount)
{
    if (!amountwords::needsWords(amount))
        return QString();
    const QString general = QStringLiteral("GENERAL");
    const QString currency = configuracion(general, general, QStringLiteral("NOMBRE DE LA MONEDA A USAR EN LOS MONTOS EN LETRAS"));
    const QString closing = configuracion(general, general, QStringLiteral("FINAL DE LA CADENA DE MONTOS EN LETRAS"));
    const QString fraction = configuracion(general, general, QStringLiteral("FRACCION DE MONEDA EN MONTOS EN LETRAS"));
    return amountwords::numero_a_letras(amount, currency, closing, fraction);
}
