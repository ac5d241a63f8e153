#pragma once

#include <QString>
#include <stdexcept>
#include <vector>

namespace db {
class Connection;
}

// The rows of CONFIGURACION, loaded once per sign-in and looked up by module, group and key.
class ConfigurationCache {
public:
    void load(db::Connection &company);
    bool isLoaded() const { return m_loaded; }
    // The first row whose three names equal the arguments exactly; nullptr without one.
    const QString *find(const QString &module, const QString &group, const QString &key) const;

private:
    struct Entry {
        QString module, group, key, value;
    };
    std::vector<Entry> m_entries;
    bool m_loaded = false;
};

// A configuration value that should be an integer and is not. It reaches the central error
// handler as an unhandled error, like any conversion failure.
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const QString &message);
    QString message() const { return QString::fromStdString(what()); }
};

// "12" -> 12; anything else (empty included) throws ConversionError with the platform's wording.
int toInteger(const QString &value);
