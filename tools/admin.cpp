// parqueaderos-admin: creates installations of the parking point of sale.
#include "data/db/error.h"
#include "tools/installation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <stdexcept>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("parqueaderos-admin"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Crea instalaciones del punto de venta de parqueaderos.\n"
        "  crear     directorio de la aplicación, bases de datos (empresa 001 de demostración) y usuarios\n"
        "  estacion  solo los archivos de una estación que usa un servidor ya instalado"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("orden"), QStringLiteral("crear | estacion"));
    const QCommandLineOption dir(QStringLiteral("directorio"), QStringLiteral("Directorio de la aplicación."),
                                 QStringLiteral("ruta"));
    const QCommandLineOption host(QStringLiteral("servidor"),
                                  QStringLiteral("Servidor Firebird; sin él se usa el motor embebido."),
                                  QStringLiteral("equipo"));
    const QCommandLineOption hostDir(QStringLiteral("ruta-servidor"),
                                     QStringLiteral("Directorio de las bases de datos en el servidor."),
                                     QStringLiteral("ruta"));
    const QCommandLineOption adminUser(QStringLiteral("usuario-admin"),
                                       QStringLiteral("Administrador del servidor (SYSDBA)."), QStringLiteral("usuario"),
                                       QStringLiteral("SYSDBA"));
    const QCommandLineOption adminPassword(QStringLiteral("clave-admin"),
                                           QStringLiteral("Clave del administrador del servidor (o ISC_PASSWORD)."),
                                           QStringLiteral("clave"));
    const QCommandLineOption cashierPassword(QStringLiteral("clave-cajero"),
                                             QStringLiteral("Clave del usuario CAJERO (cajero)."),
                                             QStringLiteral("clave"), QStringLiteral("cajero"));
    const QCommandLineOption managerPassword(QStringLiteral("clave-administrador"),
                                             QStringLiteral("Clave del usuario ADMIN (admin)."),
                                             QStringLiteral("clave"), QStringLiteral("admin"));
    const QCommandLineOption overwrite(QStringLiteral("sobrescribir"),
                                       QStringLiteral("Reemplaza una instalación existente."));
    const QCommandLineOption ifMissing(QStringLiteral("si-no-existe"),
                                       QStringLiteral("No hace nada si la instalación ya existe."));
    const QCommandLineOption machineWide(QStringLiteral("sistema"),
                                         QStringLiteral("Guarda el directorio para todos los usuarios del equipo."));
    parser.addOptions({dir, host, hostDir, adminUser, adminPassword, cashierPassword, managerPassword, overwrite,
                       ifMissing, machineWide});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    if (command != QLatin1String("crear") && command != QLatin1String("estacion")) {
        err << QStringLiteral("Indique la orden: crear o estacion.\n");
        parser.showHelp(2);
    }

    installation::Options options;
    options.appDirectory = parser.value(dir);
    options.serverHost = parser.value(host);
    options.serverDirectory = parser.value(hostDir);
    options.adminUser = parser.value(adminUser);
    options.adminPassword = parser.isSet(adminPassword) ? parser.value(adminPassword)
                                                        : qEnvironmentVariable("ISC_PASSWORD");
    options.users = {{QStringLiteral("CAJERO"), parser.value(cashierPassword)},
                     {QStringLiteral("ADMIN"), parser.value(managerPassword)}};
    options.overwrite = parser.isSet(overwrite);
    options.skipIfExists = parser.isSet(ifMissing);
    options.machineWideSetting = parser.isSet(machineWide);

    QStringList log;
    try {
        if (command == QLatin1String("estacion")) {
            installation::writeWorkstation(options, log);
        } else if (installation::create(options, log)) {
            log << QStringLiteral("Instalación creada. Usuarios: CAJERO y ADMIN, empresa 001.");
        }
    } catch (const db::DbError &e) {
        for (const QString &line : log)
            out << line << '\n';
        err << QStringLiteral("Error: ") << e.message() << '\n';
        return 1;
    } catch (const std::exception &e) {
        for (const QString &line : log)
            out << line << '\n';
        err << QStringLiteral("Error: ") << QString::fromStdString(e.what()) << '\n';
        return 1;
    }
    for (const QString &line : log)
        out << line << '\n';
    return 0;
}
