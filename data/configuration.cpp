#include "data/configuration.h"

#include "data/db/connection.h"

void ConfigurationCache::load(db::Connection &company)
{
    m_entries.clear();
    m_loaded = false;
    for (const db::Row &row : company.query(QStringLiteral("SELECT * FROM CONFIGURACION"))) {
        m_entries.push_back({row.value(QStringLiteral("CONF_MODULO")).toString(),
                             row.value(QStringLiteral("CONF_CATEGORIA")).toString(),
                             row.value(QStringLiteral("CONF_PROPIEDAD")).toString(),
                             row.value(QStringLiteral("CONF_VALOR")).toString()});
    }
    m_loaded = true;
}

const QString *ConfigurationCache::find(const QString &module, const QString &group, const QString &key) const
{
    for (const Entry &e : m_entries)
        if (e.module == module && e.group == group && e.key == key)
            return &e.value;
    return nullptr;
}

ConversionError::ConversionError(const QString &message) : std::runtime_error(message.toStdString()) {}

int toInteger(const QString &value)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    if (!ok)
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(value));
    return n;
}
