#include "data/db/error.h"

#include <algorithm>
#include <ibase.h>

namespace db {

DbError::DbError(QString message, std::vector<long> codes, int sqlCode)
    : std::runtime_error(message.toStdString()), m_message(std::move(message)), m_codes(std::move(codes)),
      m_sqlCode(sqlCode)
{
}

DbError::DbError(QString message) : DbError(std::move(message), {}, 0) {}

bool DbError::hasCode(long code) const
{
    return std::find(m_codes.begin(), m_codes.end(), code) != m_codes.end();
}

ErrorKind DbError::kind() const
{
    if (hasCode(isc_unique_key_violation) || hasCode(isc_no_dup))
        return ErrorKind::PrimaryOrUniqueKey;
    if (hasCode(isc_foreign_key))
        return ErrorKind::ForeignKey;
    if (hasCode(isc_login))
        return ErrorKind::WrongCredentials;
    if (hasCode(isc_network_error) || hasCode(isc_net_connect_err)) {
        // A refused connection means the host exists but no server listens on it.
        if (hasCode(isc_net_lookup_err) || m_message.contains(QLatin1String("locate host")))
            return ErrorKind::HostNotFound;
        return ErrorKind::ServerNotReachable;
    }
    if (hasCode(isc_io_error) || hasCode(isc_io_open_err))
        return ErrorKind::FileNotFound;
    if (hasCode(isc_update_conflict) || hasCode(isc_deadlock) || hasCode(isc_lock_conflict))
        return ErrorKind::UpdateConflict;
    if (hasCode(isc_except) || hasCode(isc_except2))
        return ErrorKind::UserException;
    return ErrorKind::Other;
}

QString DbError::quotedName() const
{
    // The name is the last quoted word: "I/O error during "open" operation for file "x"".
    const int second = m_message.lastIndexOf(u'"');
    if (second <= 0)
        return {};
    const int first = m_message.lastIndexOf(u'"', second - 1);
    return first < 0 ? QString() : m_message.mid(first + 1, second - first - 1);
}

} // namespace db
