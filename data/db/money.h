#pragma once

#include <QString>
#include <compare>
#include <cstdint>
#include <optional>

namespace db {

// Exact fixed-point amount with four decimals, held as a scaled 64-bit integer.
// NUMERIC(15,2) and (15,4) columns map onto it without passing through double.
class Money {
public:
    static constexpr int kScale = 4;
    static constexpr std::int64_t kFactor = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(std::int64_t raw) { Money m; m.m_raw = raw; return m; }
    static constexpr Money fromInteger(std::int64_t units) { return fromRaw(units * kFactor); }
    // A value with `scale` decimals (as Firebird delivers scaled integers); extra decimals round half-even.
    static Money fromScaled(std::int64_t value, int scale);
    // "1234.5", "-0.0001", "1,234.50" is rejected; accepts a leading sign and '.' or ',' as decimal mark.
    static std::optional<Money> parse(const QString &text);

    constexpr std::int64_t raw() const { return m_raw; }
    // The value scaled to `scale` decimals, rounding half-even when decimals are dropped.
    std::int64_t toScaled(int scale) const;
    std::int64_t integerPart() const { return m_raw / kFactor; }
    double toDouble() const { return double(m_raw) / kFactor; }

    // Nearest multiple of 10^power (power may be negative: -2 rounds to cents), exact halves to the even multiple.
    Money roundedToPowerOfTen(int power) const;

    // Plain decimal text with exactly `decimals` decimals (rounded half-even), '.' as decimal mark.
    QString toString(int decimals = 2) const;

    constexpr Money operator+(Money o) const { return fromRaw(m_raw + o.m_raw); }
    constexpr Money operator-(Money o) const { return fromRaw(m_raw - o.m_raw); }
    constexpr Money operator-() const { return fromRaw(-m_raw); }
    Money &operator+=(Money o) { m_raw += o.m_raw; return *this; }
    Money &operator-=(Money o) { m_raw -= o.m_raw; return *this; }
    // Product by a quantity or rate that is itself a Money (four decimals), rounded half-even.
    Money operator*(Money o) const;
    Money operator*(std::int64_t n) const { return fromRaw(m_raw * n); }
    // Quotient rounded half-even to four decimals; division by zero gives zero.
    Money operator/(Money o) const;
    constexpr auto operator<=>(const Money &) const = default;

private:
    std::int64_t m_raw = 0;
};

// Integer division of a 128-bit numerator rounding half to even.
std::int64_t divideRoundHalfEven(__int128 numerator, __int128 denominator);

} // namespace db
