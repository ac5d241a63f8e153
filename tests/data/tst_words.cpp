// Document number completion and amounts in words.
#include "data/amountwords.h"
#include "data/db/money.h"
#include "data/numbering.h"

#include <QTest>

#include <cstdint>
#include <limits>

using db::Money;

Q_DECLARE_METATYPE(db::Money)

namespace {
const QString kCurrency = QStringLiteral("PESOS");
const QString kClosing = QStringLiteral("M/CTE");
const QString kFraction = QStringLiteral("CENTAVOS");

Money money(const char *text)
{
    const auto m = Money::parse(QString::fromLatin1(text));
    if (!m)
        qFatal("bad amount in test table: %s", text);
    return *m;
}
} // namespace

class tst_words : public QObject {
    Q_OBJECT

private slots:
    void completeNumero_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one digit") << "7" << "000007";
        QTest::newRow("five digits") << "12345" << "012345";
        QTest::newRow("six digits unchanged") << "123456" << "123456";
        QTest::newRow("seven digits unchanged") << "1234567" << "1234567";
        QTest::newRow("empty") << "" << "000000";
        QTest::newRow("letters are not inspected") << "ab" << "0000ab";
    }

    void completeNumero()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(numbering::complete_numero(input), expected);
    }

    // Completed numbers longer than six characters sort wrongly as text; the completion leaves them alone.
    void longNumbersSortAsText()
    {
        QVERIFY(numbering::complete_numero(QStringLiteral("1000000"))
                < numbering::complete_numero(QStringLiteral("999999")));
        QVERIFY(numbering::complete_numero(QStringLiteral("999"))
                < numbering::complete_numero(QStringLiteral("1000")));
    }

    void numeroALetras_data()
    {
        QTest::addColumn<Money>("amount");
        QTest::addColumn<QString>("expected");

        // Integer words; no cents, so two blanks between currency and closing.
        QTest::newRow("1") << money("1") << "UN PESOS  M/CTE";
        QTest::newRow("11") << money("11") << "ONCE PESOS  M/CTE";
        QTest::newRow("15") << money("15") << "QUINCE PESOS  M/CTE";
        QTest::newRow("16") << money("16") << "DIECISEIS PESOS  M/CTE";
        QTest::newRow("17") << money("17") << "DIECISIETE PESOS  M/CTE";
        QTest::newRow("20") << money("20") << "VEINTE PESOS  M/CTE";
        QTest::newRow("21") << money("21") << "VEINTIUN PESOS  M/CTE";
        QTest::newRow("26") << money("26") << "VEINTISEIS PESOS  M/CTE";
        QTest::newRow("29") << money("29") << "VEINTINUEVE PESOS  M/CTE";
        QTest::newRow("31") << money("31") << "TREINTA Y UN PESOS  M/CTE";
        QTest::newRow("100") << money("100") << "CIEN PESOS  M/CTE";
        QTest::newRow("101") << money("101") << "CIENTO UN PESOS  M/CTE";
        QTest::newRow("110") << money("110") << "CIENTO DIEZ PESOS  M/CTE";
        QTest::newRow("999") << money("999") << "NOVECIENTOS NOVENTA Y NUEVE PESOS  M/CTE";
        QTest::newRow("1000") << money("1000") << "UN MIL PESOS  M/CTE";
        QTest::newRow("1500.00") << money("1500.00") << "UN MIL QUINIENTOS PESOS  M/CTE";
        QTest::newRow("21000") << money("21000") << "VEINTIUN MIL PESOS  M/CTE";
        QTest::newRow("100000") << money("100000") << "CIEN MIL PESOS  M/CTE";
        QTest::newRow("1000000") << money("1000000") << "UN MILLON PESOS  M/CTE";
        QTest::newRow("1000001") << money("1000001") << "UN MILLON UN PESOS  M/CTE";
        QTest::newRow("2500000") << money("2500000") << "DOS MILLONES QUINIENTOS MIL PESOS  M/CTE";
        // Group 3 reads MIL; group 2 adds MILLON(ES) only when its own value is not zero.
        QTest::newRow("1000000000") << money("1000000000") << "UN MIL PESOS  M/CTE";
        QTest::newRow("1002000000") << money("1002000000") << "UN MIL DOS MILLONES PESOS  M/CTE";
        // From 10^12 up the fifth group reads BILLON(ES).
        QTest::newRow("10^12") << money("1000000000000") << "UN BILLON PESOS  M/CTE";
        QTest::newRow("largest amount")
            << Money::fromRaw(std::numeric_limits<std::int64_t>::max())
            << "NOVECIENTOS VEINTIDOS BILLONES TRESCIENTOS TREINTA Y SIETE MIL DOSCIENTOS TRES MILLONES "
               "SEISCIENTOS OCHENTA Y CINCO MIL CUATROCIENTOS SETENTA Y SIETE PESOS 58 CENTAVOS M/CTE";

        // Cents: single blanks, no leading zero, halves to the even cent.
        QTest::newRow("0.50") << money("0.50") << "PESOS 50 CENTAVOS M/CTE";
        QTest::newRow("1.05") << money("1.05") << "UN PESOS 5 CENTAVOS M/CTE";
        QTest::newRow("1234.5678") << money("1234.5678")
                                   << "UN MIL DOSCIENTOS TREINTA Y CUATRO PESOS 57 CENTAVOS M/CTE";
        QTest::newRow("0.125") << money("0.125") << "PESOS 12 CENTAVOS M/CTE";
        QTest::newRow("0.375") << money("0.375") << "PESOS 38 CENTAVOS M/CTE";
        // A fraction that rounds to a whole unit carries instead of reading 100 cents.
        QTest::newRow("1.995") << money("1.995") << "DOS PESOS  M/CTE";
        QTest::newRow("0.9999") << money("0.9999") << "UN PESOS  M/CTE";
        QTest::newRow("below half a cent") << money("0.0049") << "PESOS  M/CTE";

        QTest::newRow("0") << money("0") << "";
        QTest::newRow("negative") << money("-1500") << "";
        QTest::newRow("negative cent") << money("-0.01") << "";
    }

    void numeroALetras()
    {
        QFETCH(Money, amount);
        QFETCH(QString, expected);
        QCOMPARE(amountwords::needsWords(amount), !expected.isEmpty());
        QCOMPARE(amountwords::numero_a_letras(amount, kCurrency, kClosing, kFraction), expected);
    }

    // Missing configuration counts as empty text; the blanks stay where they are.
    void emptyConfiguration()
    {
        QCOMPARE(amountwords::numero_a_letras(money("1500"), {}, {}, {}), QStringLiteral("UN MIL QUINIENTOS   "));
        QCOMPARE(amountwords::numero_a_letras(money("0.50"), {}, {}, {}), QStringLiteral(" 50  "));
    }
};

QTEST_GUILESS_MAIN(tst_words)
#include "tst_words.moc"
