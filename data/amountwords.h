#pragma once

#include "data/db/money.h"

#include <QString>

namespace amountwords {

// Only positive amounts are written in words. The caller asks this first and reads the
// currency, closing and cents texts from the configuration only when it answers true.
bool needsWords(db::Money amount);

// The amount in Spanish words as invoices print it:
//   words of the integer part, currency, " ", [cents, " ", fraction, ] " ", closing.
// Without cents there are two blanks between currency and closing. Cents are the amount
// rounded half-even to two decimals (0.995 carries into the integer part).
// Groups of three digits read MIL, MILLON/MILLONES, MIL and BILLON/BILLONES from the units up.
// Zero or negative amounts give the empty text.
QString numero_a_letras(db::Money amount, const QString &currency, const QString &closing,
                        const QString &fraction);

} // namespace amountwords
