#pragma once

#include "data/db/money.h"

#include <QDate>
#include <QString>
#include <QTime>

// Pieces of statements built as text. Every text a user typed goes through sqltext::text.
namespace sqltext {

// 'O''Brien': single quotes doubled inside single quotes.
QString text(const QString &value);
// 'yyyy/mm/dd', the form the server reads regardless of locale.
QString date(const QDate &value);
// 'hh:mm:ss' in 24 hours; the server cannot read a localised time.
QString time(const QTime &value);
QString number(qint64 value);
// Plain decimal with '.' and the decimals the value needs (at most four).
QString number(db::Money value);

} // namespace sqltext
