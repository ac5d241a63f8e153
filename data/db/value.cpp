#include "data/db/value.h"

namespace db {

namespace {
template <class... F> struct Overload : F... { using F::operator()...; };
template <class... F> Overload(F...) -> Overload<F...>;
}

qint64 Value::toInt() const
{
    return std::visit(Overload{
        [](std::monostate) -> qint64 { return 0; },
        [](qint64 v) -> qint64 { return v; },
        [](Money v) -> qint64 { return v.integerPart(); },
        [](double v) -> qint64 { return qint64(v); },
        [](const QString &v) -> qint64 { return v.trimmed().toLongLong(); },
        [](const auto &) -> qint64 { return 0; }}, m_v);
}

Money Value::toMoney() const
{
    return std::visit(Overload{
        [](qint64 v) { return Money::fromInteger(v); },
        [](Money v) { return v; },
        [](double v) { return Money::parse(QString::number(v, 'f', 4)).value_or(Money()); },
        [](const QString &v) { return Money::parse(v).value_or(Money()); },
        [](const auto &) { return Money(); }}, m_v);
}

double Value::toDouble() const
{
    return std::visit(Overload{
        [](qint64 v) { return double(v); },
        [](Money v) { return v.toDouble(); },
        [](double v) { return v; },
        [](const QString &v) { return v.toDouble(); },
        [](const auto &) { return 0.0; }}, m_v);
}

QString Value::toString() const
{
    return std::visit(Overload{
        [](std::monostate) { return QString(); },
        [](qint64 v) { return QString::number(v); },
        [](Money v) {
            // Shortest exact text: 2 decimals unless the value carries more.
            return v.raw() % 100 == 0 ? v.toString(2) : v.toString(4);
        },
        [](double v) { return QString::number(v, 'g', 15); },
        [](QDate v) { return v.toString(u"yyyy/MM/dd"); },
        [](QTime v) { return v.toString(u"HH:mm:ss"); },
        [](const QDateTime &v) { return v.toString(u"yyyy/MM/dd HH:mm:ss"); },
        [](const QString &v) { return v; },
        [](const QByteArray &v) { return QString::fromLatin1(v); }}, m_v);
}

QDate Value::toDate() const
{
    if (is<QDate>())
        return std::get<QDate>(m_v);
    if (is<QDateTime>())
        return std::get<QDateTime>(m_v).date();
    if (is<QString>())
        return QDate::fromString(std::get<QString>(m_v), u"yyyy/MM/dd");
    return {};
}

QTime Value::toTime() const
{
    if (is<QTime>())
        return std::get<QTime>(m_v);
    if (is<QDateTime>())
        return std::get<QDateTime>(m_v).time();
    if (is<QString>())
        return QTime::fromString(std::get<QString>(m_v), u"HH:mm:ss");
    return {};
}

QDateTime Value::toDateTime() const
{
    if (is<QDateTime>())
        return std::get<QDateTime>(m_v);
    if (is<QDate>())
        return std::get<QDate>(m_v).startOfDay();
    return {};
}

QByteArray Value::toBytes() const
{
    if (is<QByteArray>())
        return std::get<QByteArray>(m_v);
    if (is<QString>())
        return std::get<QString>(m_v).toLatin1();
    return {};
}

} // namespace db
