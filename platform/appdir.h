#pragma once

#include <QString>

// The directory that holds the program's files (server list, error log,
// printer map, device settings). Its path is the value "Directorio" of the
// settings store QSettings("Orvane", "Quorbitlite2014"): the registry key
// HKEY_CURRENT_USER\Software\Orvane\Quorbitlite2014 on Windows (with the
// machine-wide key as fallback), ~/.config/Orvane/Quorbitlite2014.conf (then
// /etc/xdg/Orvane/Quorbitlite2014.conf) elsewhere.
class ApplicationDirectory
{
public:
    static const QString organization;   // "Orvane"
    static const QString application;    // "Quorbitlite2014"
    static const QString valueName;      // "Directorio"

    // Read afresh on every call. When the value is missing or empty it shows
    // missingMessage() through the dialogs service and returns the empty text.
    static QString path();

    // path() + "/" + fileName; one lookup, so at most one message.
    static QString filePath(const QString &fileName);
    // For writing: like filePath, but empty without a directory, so that nothing lands
    // in the root directory.
    static QString fileToWrite(const QString &fileName);

    // Writes the value to the user's settings store (or the override file).
    static void store(const QString &directory);

    static QString missingMessage();

    // Reads and writes an INI file with the same value instead of the settings
    // store, so tests never touch the user's settings; empty restores the store.
    static void useSettingsFile(const QString &iniPath);
};
