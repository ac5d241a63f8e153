#include "fixtures.h"

#include "platform/appdir.h"
#include "tools/installation.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <sys/stat.h>

namespace fixtures {

SharedTempDir::SharedTempDir()
{
    ::chmod(m_dir.path().toLocal8Bit().constData(), 0777);
}

QString sqlDir() { return installation::defaultSqlDirectory(); }

db::ConnectParams serverAdmin(const QString &database)
{
    QString user = qEnvironmentVariable("ISC_USER", QStringLiteral("SYSDBA"));
    QString password = qEnvironmentVariable("ISC_PASSWORD");
    if (password.isEmpty()) {
        QFile file(QStringLiteral("/etc/firebird/3.0/SYSDBA.password"));
        if (file.open(QIODevice::ReadOnly)) {
            static const QRegularExpression re(QStringLiteral("^ISC_PASSWORD=\"?([^\"\\n]*)\"?"),
                                               QRegularExpression::MultilineOption);
            password = re.match(QString::fromLatin1(file.readAll())).captured(1);
        }
    }
    return {database, user, password};
}

db::ConnectParams embedded(const QString &database, const QString &user) { return {database, user, QString()}; }

bool serverRunning()
{
    try {
        db::Connection::attach(serverAdmin(QStringLiteral("localhost:/nonexistent/probe.fdb")));
    } catch (const db::DbError &e) {
        return e.kind() != db::ErrorKind::ServerNotReachable && e.kind() != db::ErrorKind::HostNotFound;
    }
    return true;
}

namespace {

QString buildTemplate(const QString &name, installation::Database which)
{
    static QTemporaryDir templates;
    const QString path = templates.path() + u'/' + name;
    if (!QFile::exists(path)) {
        db::Connection c = db::Connection::create(embedded(path));
        installation::loadSchema(c, which, false, sqlDir());
    }
    return path;
}

QString copyTemplate(const QString &templatePath, const QString &path)
{
    QFile::remove(path);
    if (!QFile::copy(templatePath, path))
        throw db::DbError(QStringLiteral("no se pudo copiar la base de datos a ") + path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                    QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther);
    return path;
}

} // namespace

QString createCompanyDatabase(const QString &path)
{
    return copyTemplate(buildTemplate(QStringLiteral("company.fdb"), installation::Database::Company),
                        path);
}

QString createGeneralDatabase(const QString &path)
{
    return copyTemplate(buildTemplate(QStringLiteral("general.fdb"), installation::Database::General), path);
}

} // namespace fixtures

namespace fixtures {

DemoSite::DemoSite(bool server)
{
    ApplicationDirectory::useSettingsFile(m_dir.file(QStringLiteral("settings.ini")));
    m_options.appDirectory = directory();
    if (server) {
        m_options.serverHost = QStringLiteral("localhost");
        m_options.serverDirectory = m_dir.file(QStringLiteral("server"));
        m_options.adminPassword = serverAdmin(QString()).password;
    }
    QStringList log;
    installation::create(m_options, log);
}

DemoSite::~DemoSite() { ApplicationDirectory::useSettingsFile(QString()); }

QString DemoSite::serverEntry() const { return installation::serverEntry(m_options); }

db::Connection DemoSite::company(const QString &user)
{
    const QString path = installation::companyDatabase(m_options, QStringLiteral("001"));
    return db::Connection::attach(m_options.serverHost.isEmpty() ? embedded(path, user) : serverAdmin(path));
}

db::Connection DemoSite::general(const QString &user)
{
    const QString path = installation::generalDatabase(m_options);
    return db::Connection::attach(m_options.serverHost.isEmpty() ? embedded(path, user) : serverAdmin(path));
}

} // namespace fixtures
