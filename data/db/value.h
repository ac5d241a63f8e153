#pragma once

#include "data/db/money.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <variant>

namespace db {

// One typed database value. Null is the empty alternative.
class Value {
public:
    using Storage = std::variant<std::monostate, qint64, Money, double, QDate, QTime, QDateTime, QString, QByteArray>;

    Value() = default;
    Value(int v) : m_v(qint64(v)) {}
    Value(qint64 v) : m_v(v) {}
    Value(Money v) : m_v(v) {}
    Value(double v) : m_v(v) {}
    Value(QDate v) : m_v(v) {}
    Value(QTime v) : m_v(v) {}
    Value(QDateTime v) : m_v(std::move(v)) {}
    Value(QString v) : m_v(std::move(v)) {}
    Value(const char *v) : m_v(QString::fromUtf8(v)) {}
    Value(QByteArray v) : m_v(std::move(v)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(m_v); }
    const Storage &storage() const { return m_v; }
    template <typename T> bool is() const { return std::holds_alternative<T>(m_v); }

    // Conversions used by the program: NULL reads as 0, the empty text or an invalid date.
    qint64 toInt() const;
    Money toMoney() const;
    double toDouble() const;
    QString toString() const;  // dates as yyyy/mm/dd, times as hh:mm:ss
    QDate toDate() const;
    QTime toTime() const;
    QDateTime toDateTime() const;
    QByteArray toBytes() const;

    bool operator==(const Value &o) const { return m_v == o.m_v; }

private:
    Storage m_v;
};

} // namespace db
