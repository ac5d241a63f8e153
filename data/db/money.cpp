#include "data/db/money.h"

namespace db {

std::int64_t divideRoundHalfEven(__int128 numerator, __int128 denominator)
{
    if (denominator == 0)
        return 0;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    __int128 q = numerator / denominator;
    __int128 r = numerator % denominator;
    if (r != 0) {
        const __int128 twice = (r < 0 ? -r : r) * 2;
        const int sign = numerator < 0 ? -1 : 1;
        if (twice > denominator || (twice == denominator && (q % 2 != 0)))
            q += sign;
    }
    return static_cast<std::int64_t>(q);
}

static __int128 pow10i(int n)
{
    __int128 v = 1;
    while (n-- > 0)
        v *= 10;
    return v;
}

Money Money::fromScaled(std::int64_t value, int scale)
{
    if (scale <= kScale)
        return fromRaw(static_cast<std::int64_t>(value * pow10i(kScale - scale)));
    return fromRaw(divideRoundHalfEven(value, pow10i(scale - kScale)));
}

std::int64_t Money::toScaled(int scale) const
{
    if (scale >= kScale)
        return static_cast<std::int64_t>(m_raw * pow10i(scale - kScale));
    return divideRoundHalfEven(m_raw, pow10i(kScale - scale));
}

std::optional<Money> Money::parse(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    int i = 0;
    bool negative = false;
    if (text[0] == u'-' || text[0] == u'+') {
        negative = text[0] == u'-';
        ++i;
    }
    __int128 digits = 0;
    int decimals = 0;
    bool seenMark = false;
    bool seenDigit = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit()) {
            if (digits > pow10i(30))
                return std::nullopt;
            digits = digits * 10 + c.digitValue();
            seenDigit = true;
            if (seenMark)
                ++decimals;
        } else if ((c == u'.' || c == u',') && !seenMark) {
            seenMark = true;
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    std::int64_t raw = decimals <= kScale ? static_cast<std::int64_t>(digits * pow10i(kScale - decimals))
                                          : divideRoundHalfEven(digits, pow10i(decimals - kScale));
    return fromRaw(negative ? -raw : raw);
}

Money Money::roundedToPowerOfTen(int power) const
{
    const int exponent = power + kScale;
    if (exponent <= 0)
        return *this;
    const __int128 unit = pow10i(exponent);
    return fromRaw(static_cast<std::int64_t>(divideRoundHalfEven(m_raw, unit) * unit));
}

QString Money::toString(int decimals) const
{
    const std::int64_t scaled = toScaled(decimals);
    const bool negative = scaled < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(scaled)
                                                  : static_cast<unsigned long long>(scaled);
    QString digits = QString::number(magnitude);
    if (decimals > 0) {
        if (digits.size() <= decimals)
            digits = QString(decimals + 1 - digits.size(), u'0') + digits;
        digits.insert(digits.size() - decimals, u'.');
    }
    return negative ? u'-' + digits : digits;
}

Money Money::operator*(Money o) const
{
    return fromRaw(divideRoundHalfEven(static_cast<__int128>(m_raw) * o.m_raw, kFactor));
}

Money Money::operator/(Money o) const
{
    return fromRaw(divideRoundHalfEven(static_cast<__int128>(m_raw) * kFactor, o.m_raw));
}

} // namespace db
