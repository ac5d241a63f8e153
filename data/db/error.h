#pragma once

#include <QString>
#include <stdexcept>
#include <vector>

namespace db {

// What kind of failure an error is, decided on the server's error codes, never on message positions.
enum class ErrorKind {
    Other,
    PrimaryOrUniqueKey,   // violation of PRIMARY or UNIQUE KEY constraint, duplicate in unique index
    ForeignKey,
    WrongCredentials,
    FileNotFound,         // the database file (or its path) does not exist
    HostNotFound,         // the server's host name does not resolve
    ServerNotReachable,   // the host is there but no Firebird server answers
    UpdateConflict,       // lock, deadlock or update conflict with another transaction
    UserException,        // an exception raised by a trigger or procedure
};

class DbError : public std::runtime_error {
public:
    DbError(QString message, std::vector<long> codes, int sqlCode);
    // An error of this layer itself (bad use, conversion), with no server codes.
    explicit DbError(QString message);

    const QString &message() const { return m_message; }
    const std::vector<long> &codes() const { return m_codes; }
    long gdsCode() const { return m_codes.empty() ? 0 : m_codes.front(); }
    bool hasCode(long code) const;
    int sqlCode() const { return m_sqlCode; }
    ErrorKind kind() const;
    // For the kinds about a file or host: the file or host name quoted in the server's message.
    QString quotedName() const;

private:
    QString m_message;
    std::vector<long> m_codes;
    int m_sqlCode = 0;
};

} // namespace db
