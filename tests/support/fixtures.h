#pragma once

#include "data/db/connection.h"
#include "tools/installation.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace fixtures {

// A temporary directory that the Firebird server (another OS user) may also write.
class SharedTempDir {
public:
    SharedTempDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.path() + u'/' + name; }

private:
    QTemporaryDir m_dir;
};

// SYSDBA credentials of the local server, from ISC_USER/ISC_PASSWORD or the Debian password file.
db::ConnectParams serverAdmin(const QString &database);
// Embedded access needs no password; the user name is what CURRENT_USER reports.
db::ConnectParams embedded(const QString &database, const QString &user = QStringLiteral("SYSDBA"));

// True when the local server answers. In CI (CI=true) a missing server is a failure, never a skip.
bool serverRunning();
#define REQUIRE_SERVER()                                                                   \
    do {                                                                                   \
        if (!fixtures::serverRunning()) {                                                  \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                       \
                QFAIL("the local Firebird server is not running");                         \
            QSKIP("the local Firebird server is not running");                             \
        }                                                                                  \
    } while (0)

// Fresh databases built from the project's schema scripts. The first call of a process builds
// a template through the embedded engine; later calls copy it.
QString createCompanyDatabase(const QString &path);
QString createGeneralDatabase(const QString &path);

QString sqlDir();

} // namespace fixtures

namespace fixtures {

// A complete embedded installation (demo company "001", users CAJERO and ADMIN) in a temporary
// directory, with the application directory pointing at it through a private settings file.
// With server = true the databases live on the local Firebird server instead.
class DemoSite {
public:
    explicit DemoSite(bool server = false);
    ~DemoSite();
    QString directory() const { return m_dir.path() + QStringLiteral("/app"); }
    QString serverEntry() const;  // what SERVIDORES.cfg offers
    QString file(const QString &name) const { return directory() + u'/' + name; }
    db::Connection company(const QString &user = QStringLiteral("SYSDBA"));
    db::Connection general(const QString &user = QStringLiteral("SYSDBA"));
    const installation::Options &options() const { return m_options; }

private:
    SharedTempDir m_dir;
    installation::Options m_options;
};

} // namespace fixtures
