#include "tools/installation.h"

#include "data/db/connection.h"
#include "data/db/script.h"
#include "data/sqltext.h"
#include "platform/appdir.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace installation {

namespace {

const QString kDemoCompany = QStringLiteral("001");

void fail(const QString &message) { throw std::runtime_error(message.toStdString()); }

bool isLocalHost(const QString &host)
{
    return host == QLatin1String("localhost") || host == QLatin1String("127.0.0.1") || host == QLatin1String("::1");
}

db::ConnectParams adminParams(const Options &options, const QString &database)
{
    return {database, options.adminUser, options.serverHost.isEmpty() ? QString() : options.adminPassword};
}

void writeTextFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("No se pudo escribir el archivo ") + path);
    file.write(text.toLatin1());
}

// Serial settings with the defaults of a drawer that the control lines do not drive.
QString serialDefaults()
{
    return QStringLiteral("[ComPort1]\nPort=COM1\nBaudRate=9600\nStopBits=1\nDataBits=8\nParity=None\n"
                          "FlowControl=None\n");
}

// The server (another OS user) must be able to create the database files in the directories.
void prepareServerDirectories(const Options &options, QStringList &log)
{
    if (!isLocalHost(options.serverHost)) {
        log << QStringLiteral("El directorio %1/datos/%2 debe existir en el servidor %3 y el usuario del "
                              "servidor Firebird debe poder escribir en él.")
                   .arg(options.serverDirectory, kDemoCompany, options.serverHost);
        return;
    }
    const QString companyDir = options.serverDirectory + QStringLiteral("/datos/") + kDemoCompany;
    if (!QDir().mkpath(companyDir))
        fail(QStringLiteral("No se pudo crear el directorio ") + companyDir);
    if (getuid() == 0) {
        if (const passwd *pw = getpwnam("firebird")) {
            for (const QString &dir : {options.serverDirectory, options.serverDirectory + QStringLiteral("/datos"),
                                       companyDir})
                if (chown(dir.toLocal8Bit().constData(), pw->pw_uid, pw->pw_gid) != 0)
                    fail(QStringLiteral("No se pudo asignar el directorio %1 al usuario firebird").arg(dir));
        }
    }
}

bool databaseExists(const Options &options, const QString &database)
{
    if (options.serverHost.isEmpty())
        return QFile::exists(database);
    try {
        db::Connection::attach(adminParams(options, database));
        return true;
    } catch (const db::DbError &e) {
        if (e.kind() == db::ErrorKind::FileNotFound)
            return false;
        throw;
    }
}

void dropIfExists(const Options &options, const QString &database)
{
    if (!databaseExists(options, database))
        return;
    db::Connection c = db::Connection::attach(adminParams(options, database));
    c.dropDatabase();
}

db::Connection createDatabase(const Options &options, const QString &path, Database which, QStringList &log)
{
    {
        db::Connection c = db::Connection::create(adminParams(options, path));
        loadSchema(c, which, true, options.sqlDirectory);
    }
    // Loaded without waiting for the disk; from now on every commit reaches it.
    db::Connection::setForcedWrites(adminParams(options, path), true);
    log << QStringLiteral("Base de datos creada: ") + path;
    return db::Connection::attach(adminParams(options, path));
}

} // namespace

QString defaultSqlDirectory()
{
    return qEnvironmentVariableIsEmpty("PQ_SQL_DIR") ? QStringLiteral(PQ_SQL_DIR) : qEnvironmentVariable("PQ_SQL_DIR");
}

void loadSchema(db::Connection &connection, Database which, bool demo, const QString &sqlDirectory)
{
    const QStringList scripts = which == Database::General
                                    ? QStringList{QStringLiteral("general.sql"), QStringLiteral("demo_general.sql")}
                                    : QStringList{QStringLiteral("company.sql"), QStringLiteral("company_logic.sql"),
                                                  QStringLiteral("demo_company.sql")};
    for (const QString &script : scripts)
        if (demo || !script.startsWith(QLatin1String("demo_")))
            db::runScriptFile(connection, sqlDirectory + u'/' + script);
    if (which == Database::Company)
        connection.execute(QStringLiteral("EXECUTE PROCEDURE OTORGUE_PERMISOS"));
}

QString serverEntry(const Options &options)
{
    if (options.serverHost.isEmpty())
        return options.appDirectory;
    return options.serverHost + u':' + options.serverDirectory;
}

QString generalDatabase(const Options &options) { return serverEntry(options) + QStringLiteral("/datos/general.fdb"); }

QString companyDatabase(const Options &options, const QString &company)
{
    return serverEntry(options) + QStringLiteral("/datos/") + company + QStringLiteral("/quorbit.fdb");
}

namespace {

// Points the settings store of this user (or of the machine) at the application directory.
void storeDirectory(const Options &options, const QString &dir, QStringList &log)
{
    if (!options.machineWideSetting) {
        ApplicationDirectory::store(dir);
        log << QStringLiteral("Directorio de la aplicación guardado en la configuración del usuario.");
        return;
    }
    QSettings settings(QSettings::SystemScope, ApplicationDirectory::organization, ApplicationDirectory::application);
    settings.setValue(ApplicationDirectory::valueName, dir);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        fail(QStringLiteral("No se pudo guardar el directorio de la aplicación en ") + settings.fileName());
    log << QStringLiteral("Directorio de la aplicación guardado para todos los usuarios en ") + settings.fileName();
}

// A site's printer map and device settings are its own: they are written only when missing.
void writeIfMissing(const QString &path, const QString &text, bool replace, QStringList &log)
{
    if (!replace && QFile::exists(path)) {
        log << QStringLiteral("Se conserva ") + path;
        return;
    }
    writeTextFile(path, text);
}

} // namespace

void writeWorkstation(const Options &options, QStringList &log)
{
    if (options.appDirectory.isEmpty())
        fail(QStringLiteral("Falta el directorio de la aplicación (--directorio)."));
    if (!QDir().mkpath(options.appDirectory))
        fail(QStringLiteral("No se pudo crear el directorio ") + options.appDirectory);
    const QString dir = QDir(options.appDirectory).absolutePath();
    writeTextFile(dir + QStringLiteral("/SERVIDORES.cfg"), serverEntry(options) + u'\n');
    // The shipped print formats name the printer POS80; an empty name prints on the default printer.
    writeIfMissing(dir + QStringLiteral("/impresoras.cfg"), QStringLiteral("POS80,\n"), options.overwrite, log);
    writeIfMissing(dir + QStringLiteral("/cnfptocaj.ini"), serialDefaults(), options.overwrite, log);
    writeIfMissing(dir + QStringLiteral("/cnfptobal.ini"), serialDefaults(), options.overwrite, log);
    log << QStringLiteral("Directorio de la aplicación: ") + dir;
    log << QStringLiteral("Servidor ofrecido al ingresar: ") + serverEntry(options);
    storeDirectory(options, dir, log);
}

bool create(const Options &input, QStringList &log)
{
    Options options = input;
    if (options.appDirectory.isEmpty())
        fail(QStringLiteral("Falta el directorio de la aplicación (--directorio)."));
    options.appDirectory = QDir(options.appDirectory).absolutePath();
    if (!options.serverHost.isEmpty() && options.serverDirectory.isEmpty())
        fail(QStringLiteral("Con --servidor hace falta --ruta-servidor (el directorio de las bases de datos en el servidor)."));
    if (options.sqlDirectory.isEmpty())
        options.sqlDirectory = defaultSqlDirectory();

    const QString general = generalDatabase(options);
    const QString company = companyDatabase(options, kDemoCompany);
    const bool exists = databaseExists(options, general) || databaseExists(options, company);
    if (exists && options.skipIfExists) {
        storeDirectory(options, options.appDirectory, log);
        log << QStringLiteral("La instalación ya existe en %1; no se modificó.").arg(serverEntry(options));
        return false;
    }
    if (exists && !options.overwrite)
        fail(QStringLiteral("Ya existe una instalación en %1. Use --sobrescribir para reemplazarla.")
                 .arg(serverEntry(options)));

    if (options.serverHost.isEmpty())
        QDir().mkpath(options.appDirectory + QStringLiteral("/datos/") + kDemoCompany);
    else
        prepareServerDirectories(options, log);
    if (exists) {
        dropIfExists(options, general);
        dropIfExists(options, company);
        log << QStringLiteral("Se reemplazó la instalación anterior.");
    }

    db::Connection generalDb = createDatabase(options, general, Database::General, log);
    createDatabase(options, company, Database::Company, log);

    for (const User &user : options.users) {
        if (!options.serverHost.isEmpty()) {
            // Quoted: ADMIN is a reserved word of the user statements.
            generalDb.execute(QStringLiteral("CREATE OR ALTER USER \"%1\" PASSWORD %2")
                                  .arg(user.code.toUpper(), sqltext::text(user.password)));
            log << QStringLiteral("Usuario del servidor creado: ") + user.code;
        }
    }
    writeWorkstation(options, log);
    return true;
}

} // namespace installation
