#include "data/db/script.h"

#include "data/db/connection.h"

#include <QFile>
#include <QRegularExpression>

namespace db {

QStringList splitScript(const QString &script)
{
    static const QRegularExpression setTerm(QStringLiteral("^\\s*SET\\s+TERM\\s+(\\S+)\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    QStringList statements;
    QString terminator = QStringLiteral(";");
    QString current;
    const int n = int(script.size());
    for (int i = 0; i < n;) {
        const QChar c = script[i];
        if (c == u'\'' || c == u'"') {
            const int end = script.indexOf(c, i + 1);
            const int stop = end < 0 ? n : end + 1;
            current += script.mid(i, stop - i);
            i = stop;
        } else if (c == u'-' && i + 1 < n && script[i + 1] == u'-') {
            const int end = script.indexOf(u'\n', i);
            i = end < 0 ? n : end;
        } else if (c == u'/' && i + 1 < n && script[i + 1] == u'*') {
            const int end = script.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (script.mid(i, terminator.size()) == terminator) {
            const QString statement = current.trimmed();
            current.clear();
            i += int(terminator.size());
            const auto match = setTerm.match(statement);
            if (match.hasMatch())
                terminator = match.captured(1);
            else if (!statement.isEmpty())
                statements << statement;
        } else {
            current += c;
            ++i;
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

void runScript(Connection &connection, const QString &script)
{
    for (const QString &statement : splitScript(script)) {
        try {
            connection.execute(statement);
        } catch (const DbError &e) {
            throw DbError(e.message() + QStringLiteral("\nSentencia: ") + statement.left(400), e.codes(), e.sqlCode());
        }
    }
}

void runScriptFile(Connection &connection, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("No se pudo leer el archivo ") + path);
    try {
        runScript(connection, QString::fromUtf8(file.readAll()));
    } catch (const DbError &e) {
        throw DbError(path + QStringLiteral(": ") + e.message(), e.codes(), e.sqlCode());
    }
}

} // namespace db
