#include "data/amountwords.h"

#include <array>
#include <cstdint>

namespace amountwords {

namespace {

// Words of one group of three digits; every word ends with a blank, and "DIECI" / "VEINTI"
// glue onto the units word that follows.
QString groupWords(int g)
{
    static const std::array<const char *, 10> hundreds = {
        "", "CIENTO ", "DOSCIENTOS ", "TRESCIENTOS ", "CUATROCIENTOS ", "QUINIENTOS ",
        "SEISCIENTOS ", "SETECIENTOS ", "OCHOCIENTOS ", "NOVECIENTOS "};
    static const std::array<const char *, 6> teens = {
        "DIEZ ", "ONCE ", "DOCE ", "TRECE ", "CATORCE ", "QUINCE "};
    static const std::array<const char *, 10> tens = {
        "", "", "", "TREINTA ", "CUARENTA ", "CINCUENTA ", "SESENTA ", "SETENTA ", "OCHENTA ",
        "NOVENTA "};
    static const std::array<const char *, 10> units = {
        "", "UN ", "DOS ", "TRES ", "CUATRO ", "CINCO ", "SEIS ", "SIETE ", "OCHO ", "NUEVE "};

    const int h = g / 100;
    const int t = g / 10 % 10;
    const int u = g % 10;
    QString w;

    if (h == 1)
        w += (t != 0 || u != 0) ? QStringLiteral("CIENTO ") : QStringLiteral("CIEN ");
    else
        w += QLatin1String(hundreds[h]);

    if (t == 1)
        w += u <= 5 ? QLatin1String(teens[u]) : QLatin1String("DIECI");
    else if (t == 2)
        w += u != 0 ? QLatin1String("VEINTI") : QLatin1String("VEINTE ");
    else
        w += QLatin1String(tens[t]);

    if (t > 2 && u != 0)
        w += QStringLiteral("Y ");

    // One to five are already part of ONCE..QUINCE.
    if (!(t == 1 && u <= 5))
        w += QLatin1String(units[u]);
    return w;
}

} // namespace

bool needsWords(db::Money amount)
{
    return amount > db::Money();
}

QString numero_a_letras(db::Money amount, const QString &currency, const QString &closing,
                        const QString &fraction)
{
    if (!needsWords(amount))
        return QString();

    // Rounding the whole amount to cents keeps 0.995 from reading as "100" cents.
    const std::int64_t inCents = amount.toScaled(2);
    std::int64_t whole = inCents / 100;
    const int cents = int(inCents % 100);

    // A 64-bit amount with four decimals stays below 10^15, so five groups cover it all.
    std::array<int, 5> groups{};
    for (int &g : groups) {
        g = int(whole % 1000);
        whole /= 1000;
    }

    QString words;
    for (int i = int(groups.size()) - 1; i >= 0; --i) {
        const int g = groups[i];
        if (g == 0)
            continue;
        words += groupWords(g);
        switch (i) {
        case 1:
        case 3:
            words += QStringLiteral("MIL ");
            break;
        case 2:
            words += g == 1 ? QStringLiteral("MILLON ") : QStringLiteral("MILLONES ");
            break;
        case 4:
            words += g == 1 ? QStringLiteral("BILLON ") : QStringLiteral("BILLONES ");
            break;
        default:
            break;
        }
    }

    words += currency + u' ';
    if (cents > 0)
        words += QString::number(cents) + u' ' + fraction;
    words += u' ' + closing;
    return words;
}

} // namespace amountwords
