#pragma once

#include <QString>
#include <QStringList>

namespace db {
class Connection;
}

// Creates what a site needs to run the program: the application directory with its files,
// the settings-store value that points at it, the general database, the company database
// with the demo company "001", and the users.
namespace installation {

struct User {
    QString code;
    QString password;
};

struct Options {
    QString appDirectory;     // files beside the program; also the database root without a server
    QString serverHost;       // empty: embedded databases under appDirectory
    QString serverDirectory;  // base directory on the server (databases under <it>/datos)
    QString adminUser = QStringLiteral("SYSDBA");
    QString adminPassword;    // server administrator; unused without a server
    QList<User> users = {{QStringLiteral("CAJERO"), QStringLiteral("cajero")},
                         {QStringLiteral("ADMIN"), QStringLiteral("admin")}};
    bool overwrite = false;
    bool skipIfExists = false;
    bool machineWideSetting = false;
    QString sqlDirectory;     // where the schema and demo scripts are
};

enum class Database { General, Company };

// The schema scripts: PQ_SQL_DIR when set, else the sql/ folder of the checkout.
QString defaultSqlDirectory();
// Runs the scripts of one database (its demo data too when asked) and grants every object
// to every account: the program checks its users' rights itself.
void loadSchema(db::Connection &connection, Database which, bool demo, const QString &sqlDirectory);

// "host:/dir" with a server, the application directory without one.
QString serverEntry(const Options &options);
QString generalDatabase(const Options &options);
QString companyDatabase(const Options &options, const QString &company);

// Writes SERVIDORES.cfg, impresoras.cfg, cnfptocaj.ini, cnfptobal.ini and the settings value.
// A workstation of a multi-workstation site needs only this.
void writeWorkstation(const Options &options, QStringList &log);

// The whole installation. Throws db::DbError or std::runtime_error with a Spanish message.
// Returns false (and does nothing) when it exists and skipIfExists is set.
bool create(const Options &options, QStringList &log);

} // namespace installation
