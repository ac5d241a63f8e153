#include "platform/appdir.h"

#include "platform/dialogs.h"

#include <QSettings>

#include <memory>

const QString ApplicationDirectory::organization = QStringLiteral("Orvane");
const QString ApplicationDirectory::application = QStringLiteral("Quorbitlite2014");
const QString ApplicationDirectory::valueName = QStringLiteral("Directorio");

namespace {

QString &settingsFileOverride()
{
    static QString path;
    return path;
}

std::unique_ptr<QSettings> openStore()
{
    const QString &file = settingsFileOverride();
    if (!file.isEmpty())
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    return std::make_unique<QSettings>(ApplicationDirectory::organization,
                                       ApplicationDirectory::application);
}

} // namespace

QString ApplicationDirectory::missingMessage()
{
    return QStringLiteral("No se encontró la Clave HKEY_CURRENT_USER\\Software\\Orvane\\Quorbitlite2014\\Directorio");
}

QString ApplicationDirectory::path()
{
    const QString directory = openStore()->value(valueName).toString();
    if (directory.isEmpty()) {
        Dialogs::current().information(missingMessage());
        return {};
    }
    return directory;
}

namespace {

QString compose(const QString &directory, const QString &fileName)
{
    const bool endsWithSeparator = directory.endsWith(u'/') || directory.endsWith(u'\\');
    return endsWithSeparator ? directory + fileName : directory + u'/' + fileName;
}

} // namespace

QString ApplicationDirectory::filePath(const QString &fileName) { return compose(path(), fileName); }

QString ApplicationDirectory::fileToWrite(const QString &fileName)
{
    const QString directory = path();
    return directory.isEmpty() ? QString() : compose(directory, fileName);
}

void ApplicationDirectory::store(const QString &directory)
{
    auto settings = openStore();
    settings->setValue(valueName, directory);
    settings->sync();
}

void ApplicationDirectory::useSettingsFile(const QString &iniPath)
{
    settingsFileOverride() = iniPath;
}
