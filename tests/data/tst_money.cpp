// Exact money arithmetic, statement text pieces and script splitting.
#include "data/db/money.h"
#include "data/db/script.h"
#include "data/sqltext.h"

#include <QTest>

using db::Money;

class tst_money : public QObject {
    Q_OBJECT

private slots:
    void parseAndFormat_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<qint64>("raw");
        QTest::addColumn<QString>("twoDecimals");
        QTest::newRow("integer") << "1500" << qint64(15000000) << "1500.00";
        QTest::newRow("four decimals") << "1234.5678" << qint64(12345678) << "1234.57";
        QTest::newRow("comma mark") << "0,5" << qint64(5000) << "0.50";
        QTest::newRow("negative") << "-0.0001" << qint64(-1) << "0.00";
        QTest::newRow("largest numeric(15,2)") << "9999999999999.99" << qint64(99999999999999900) << "9999999999999.99";
        QTest::newRow("fifth decimal rounds half even") << "0.00005" << qint64(0) << "0.00";
        QTest::newRow("fifth decimal rounds up") << "0.00015" << qint64(2) << "0.00";
    }

    void parseAndFormat()
    {
        QFETCH(QString, input);
        QFETCH(qint64, raw);
        QFETCH(QString, twoDecimals);
        const auto m = Money::parse(input);
        QVERIFY(m.has_value());
        QCOMPARE(m->raw(), raw);
        QCOMPARE(m->toString(2), twoDecimals);
    }

    void rejectsNonNumbers()
    {
        for (const char *bad : {"", "abc", "1.2.3", "1,234.50", "--1", "."})
            QVERIFY2(!Money::parse(QString::fromLatin1(bad)).has_value(), bad);
    }

    // Rounding to a power of ten sends exact halves to the even multiple.
    void roundToPowerOfTen_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("power");
        QTest::addColumn<QString>("expected");
        QTest::newRow("half to even down") << "2250" << 2 << "2200.00";
        QTest::newRow("half to even up") << "2350" << 2 << "2400.00";
        QTest::newRow("above half") << "2251" << 2 << "2300.00";
        QTest::newRow("tens") << "1234.5" << 1 << "1230.00";
        QTest::newRow("units half even") << "2.5" << 0 << "2.00";
        QTest::newRow("cents") << "0.125" << -2 << "0.12";
        QTest::newRow("cents up") << "0.375" << -2 << "0.38";
        QTest::newRow("negative half") << "-2250" << 2 << "-2200.00";
        QTest::newRow("power below scale keeps value") << "1.2345" << -6 << "1.23";
    }

    void roundToPowerOfTen()
    {
        QFETCH(QString, value);
        QFETCH(int, power);
        QFETCH(QString, expected);
        QCOMPARE(Money::parse(value)->roundedToPowerOfTen(power).toString(2), expected);
    }

    void arithmetic()
    {
        const Money price = *Money::parse("3361.3445");
        const Money rate = *Money::parse("0.19");
        QCOMPARE((price * rate).toString(4), QStringLiteral("638.6555"));
        QCOMPARE((*Money::parse("4000") / *Money::parse("1.19")).toString(4), QStringLiteral("3361.3445"));
        QCOMPARE((Money::fromInteger(1) / Money()).raw(), 0);
        QCOMPARE(Money::fromScaled(12345, 2).toString(2), QStringLiteral("123.45"));
        QCOMPARE(Money::fromScaled(123456789, 6).toString(4), QStringLiteral("123.4568"));
    }

    void statementText()
    {
        QCOMPARE(sqltext::text(QStringLiteral("O'Brien's")), QStringLiteral("'O''Brien''s'"));
        QCOMPARE(sqltext::text(QStringLiteral("x' or '1'='1")), QStringLiteral("'x'' or ''1''=''1'"));
        QCOMPARE(sqltext::date(QDate(2014, 5, 3)), QStringLiteral("'2014/05/03'"));
        QCOMPARE(sqltext::time(QTime(13, 4, 5)), QStringLiteral("'13:04:05'"));
        QCOMPARE(sqltext::number(qint64(-12)), QStringLiteral("-12"));
        QCOMPARE(sqltext::number(*Money::parse("1500.50")), QStringLiteral("1500.5"));
        QCOMPARE(sqltext::number(*Money::parse("-3")), QStringLiteral("-3"));
    }

    void scriptSplitting()
    {
        const QString script = QStringLiteral(
            "-- header; with a semicolon\n"
            "create table a (x varchar(10) default ';');\n"
            "/* block; comment */ insert into a values ('it''s; fine');\n"
            "SET TERM ^ ;\n"
            "create trigger t for a before insert as begin new.x = 'y'; end^\n"
            "SET TERM ; ^\n"
            "insert into a values ('z');\n");
        const QStringList statements = db::splitScript(script);
        QCOMPARE(statements.size(), 4);
        QCOMPARE(statements[0], QStringLiteral("create table a (x varchar(10) default ';')"));
        QCOMPARE(statements[1], QStringLiteral("insert into a values ('it''s; fine')"));
        QVERIFY(statements[2].startsWith(QLatin1String("create trigger t")));
        QVERIFY(statements[2].endsWith(QLatin1String("end")));
        QCOMPARE(statements[3], QStringLiteral("insert into a values ('z')"));
    }
};

QTEST_GUILESS_MAIN(tst_money)
#include "tst_money.moc"
