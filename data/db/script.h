#pragma once

#include <QString>
#include <QStringList>

namespace db {

class Connection;

// Splits an isql-style script into statements: ';' ends a statement unless SET TERM chose
// another terminator; quotes and comments are respected. SET TERM lines are not returned.
QStringList splitScript(const QString &script);

// Runs every statement of the script, each committed on its own (DDL must be committed before use).
void runScript(Connection &connection, const QString &script);
// Reads a UTF-8 script file and runs it; errors name the file and carry the statement.
void runScriptFile(Connection &connection, const QString &path);

} // namespace db
