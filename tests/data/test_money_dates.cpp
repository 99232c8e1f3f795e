#include "core/dates.h"
#include "core/money.h"
#include "core/moneywords.h"
#include "core/sqltext.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestMoneyDates : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseAndFormat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("stored");
        QTest::newRow("whole") << "12" << true << "12.0000";
        QTest::newRow("four decimals") << "0.0001" << true << "0.0001";
        QTest::newRow("negative") << "-3.5" << true << "-3.5000";
        QTest::newRow("grouped") << "1,234.5678" << true << "1234.5678";
        QTest::newRow("trailing zeros beyond four") << "1.50000" << true << "1.5000";
        QTest::newRow("fifth significant decimal") << "1.00001" << false << "";
        QTest::newRow("junk") << "12a" << false << "";
        QTest::newRow("empty") << "  " << false << "";
        QTest::newRow("leading dot") << ".25" << true << "0.2500";
    }
    void parseAndFormat()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, stored);
        const auto m = Money::parse(text);
        QCOMPARE(m.has_value(), ok);
        if (ok)
            QCOMPARE(m->toString(), stored);
    }

    void arithmeticIsExact()
    {
        Money sum;
        for (int i = 0; i < 100000; ++i)
            sum += *Money::parse(QStringLiteral("0.1"));
        QCOMPARE(sum.toString(), QStringLiteral("10000.0000"));
        // a rate times a whole number of days, and a difference, never rounded to yuan or cents
        const Money rate = *Money::parse(QStringLiteral("7.35"));
        QCOMPARE((rate * 40).toString(), QStringLiteral("294.0000"));
        QCOMPARE((*Money::parse(QStringLiteral("0.0003")) - *Money::parse(QStringLiteral("0.0005"))).toString(),
                 QStringLiteral("-0.0002"));
        QVERIFY(*Money::parse(QStringLiteral("0.0001")) > Money());
        QCOMPARE(Money::fromDouble(0.1 + 0.2).toString(), QStringLiteral("0.3000"));
        QCOMPARE(Money::fromVariant(QVariant()).units(), 0);
        QCOMPARE(Money::fromVariant(QStringLiteral("12.5")).toString(), QStringLiteral("12.5000"));
    }

    // Each form an engine gives a total in: beyond the range it is refused, not 0 or wrapped.
    void checkedReadingOfValues_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("amount");  // empty: refused
        QTest::newRow("whole yuan at the edge") << QVariant(qint64(922337203685477)) << QStringLiteral("922337203685477.0000");
        QTest::newRow("whole yuan beyond") << QVariant(qint64(929999999990700)) << QString();
        QTest::newRow("unsigned beyond") << QVariant(quint64(1) << 62) << QString();
        QTest::newRow("largest text") << QVariant(QStringLiteral("922337203685477.5807")) << QStringLiteral("922337203685477.5807");
        QTest::newRow("text beyond") << QVariant(QStringLiteral("1200000000000001.0000")) << QString();
        QTest::newRow("floating past 2^53 units") << QVariant(600000000000000.5) << QStringLiteral("600000000000000.5000");
        QTest::newRow("floating beyond") << QVariant(9.299999999907e14) << QString();
        QTest::newRow("null") << QVariant() << QStringLiteral("0.0000");
        QTest::newRow("text that is no number") << QVariant(QStringLiteral("abc")) << QStringLiteral("0.0000");
    }
    void checkedReadingOfValues()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, amount);
        const std::optional<Money> m = Money::fromValue(value);
        QCOMPARE(m.has_value(), !amount.isEmpty());
        if (m)
            QCOMPARE(m->toString(), amount);
    }

    void timesAQuantityWithDecimals()
    {
        const Money price = *Money::parse(QStringLiteral("7.35"));
        QCOMPARE(price.times(40.0)->toString(), QStringLiteral("294.0000"));
        QCOMPARE(Money::parse(QStringLiteral("0.1"))->times(0.7)->toString(), QStringLiteral("0.0700"));
        QCOMPARE(Money::parse(QStringLiteral("0.0003"))->times(0.5)->toString(), QStringLiteral("0.0002"));
        QCOMPARE(price.times(QStringLiteral(" 2.5 "))->toString(), QStringLiteral("18.3750"));
        QCOMPARE(price.times(QVariant())->toString(), QStringLiteral("0.0000"));
        QVERIFY(!price.times(QStringLiteral("abc")));
        QVERIFY(!Money::fromUnits(INT64_MAX / 2).times(3.0));
    }

    void displayForms()
    {
        QCOMPARE(Money::fromUnits(125000).toDisplay(), QStringLiteral("12.50"));
        QCOMPARE(Money::fromUnits(1).toDisplay(), QStringLiteral("0.0001"));
        QCOMPARE(Money::fromUnits(-1234567).toString(2, true), QStringLiteral("-123.46"));
        QCOMPARE(Money::fromUnits(12345678900000).toString(0, true), QStringLiteral("1,234,567,890"));
        // dropped digits round half to even
        QCOMPARE(Money::fromUnits(125).toString(2), QStringLiteral("0.01"));
        QCOMPARE(Money::fromUnits(135).toString(2), QStringLiteral("0.01"));
        QCOMPARE(Money::fromUnits(150).toString(2), QStringLiteral("0.02"));
    }

    void wholeNumbersRoundHalfEven()
    {
        QCOMPARE(roundHalfEven(2.5), 2);
        QCOMPARE(roundHalfEven(3.5), 4);
        QCOMPARE(roundHalfEven(-2.5), -2);
        QCOMPARE(roundHalfEven(2.4999), 2);
        QCOMPARE(roundHalfEven(2.5001), 3);
    }

    void amountsInWords_data()
    {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QString>("words");
        const qint64 Y = Money::Scale;
        QTest::newRow("receipt total") << 715 * Y << u"柒佰壹拾伍元整"_s;
        QTest::newRow("zero") << qint64(0) << u"零元整"_s;
        QTest::newRow("fen only") << 500LL << u"伍分"_s;
        QTest::newRow("ten keeps 壹拾") << 10 * Y << u"壹拾元整"_s;
        QTest::newRow("zero inside") << 101 * Y << u"壹佰零壹元整"_s;
        QTest::newRow("run of zeros") << 1001 * Y << u"壹仟零壹元整"_s;
        QTest::newRow("zeros across 万") << 10010 * Y << u"壹万零壹拾元整"_s;
        QTest::newRow("trailing zeros before 万") << 100001 * Y << u"壹拾万零壹元整"_s;
        QTest::newRow("empty 万 group") << 100010000LL * Y << u"壹亿零壹万元整"_s;
        QTest::newRow("亿 and a fen") << 100000000LL * Y + 100 << u"壹亿元零壹分"_s;
        QTest::newRow("zero jiao before fen") << Y + 500 << u"壹元零伍分"_s;
        QTest::newRow("jiao closes without 整") << Y + 5000 << u"壹元伍角"_s;
        QTest::newRow("zero yuan digit, jiao") << 10 * Y + 5300 << u"壹拾元伍角叁分"_s;
        QTest::newRow("negative") << -715 * Y - 5000 << u"负柒佰壹拾伍元伍角"_s;
        QTest::newRow("below a fen rounds away, no 负") << -49LL << u"零元整"_s;
        QTest::newRow("half fen to even") << 150LL << u"贰分"_s;
        QTest::newRow("万亿 alone") << 1000000000000LL * Y + 10000 * Y << u"壹万亿零壹万元整"_s;
        QTest::newRow("万 before a 亿 group") << 1000100000000LL * Y << u"壹万零壹亿元整"_s;
        QTest::newRow("maximum") << Money::MaxUnits << u"玖佰贰拾贰万叁仟叁佰柒拾贰亿零叁佰陆拾捌万伍仟肆佰柒拾柒元伍角捌分"_s;
        QTest::newRow("minimum") << (-Money::MaxUnits - 1)
                                 << u"负玖佰贰拾贰万叁仟叁佰柒拾贰亿零叁佰陆拾捌万伍仟肆佰柒拾柒元伍角捌分"_s;
    }
    void amountsInWords()
    {
        QFETCH(qint64, units);
        QFETCH(QString, words);
        QCOMPARE(amountInWords(Money::fromUnits(units)), words);
    }

    void monthRanges()
    {
        QCOMPARE(Dates::monthCondition(QDate(2004, 2, 17)), QStringLiteral("(日期 between cdate('2004-2-1') and cdate('2004-2-29'))"));
        QCOMPARE(Dates::monthLast(QDate(2005, 2, 1)), QStringLiteral("2005-2-28"));
        QCOMPARE(Dates::monthLast(QDate(1900, 2, 1)), QStringLiteral("1900-2-28"));
        QCOMPARE(Dates::monthLast(QDate(2000, 2, 1)), QStringLiteral("2000-2-29"));
        QCOMPARE(Dates::monthFirst(QDate(2004, 12, 31)), QStringLiteral("2004-12-1"));
        QCOMPARE(Dates::monthLast(QDate(2004, 12, 31)), QStringLiteral("2004-12-31"));
        QCOMPARE(Dates::monthLast(QDate(2004, 4, 2)), QStringLiteral("2004-4-30"));
    }

    void jetDateTexts()
    {
        QCOMPARE(Dates::parseJet(QStringLiteral("2004-2-1 23:59:59"))->toString(Qt::ISODate), QStringLiteral("2004-02-01T23:59:59"));
        QCOMPARE(Dates::parseJet(QStringLiteral("2004/02/01"))->time(), QTime(0, 0));
        QCOMPARE(Dates::parseJet(QStringLiteral("2004-2-1 0:0:0"))->time(), QTime(0, 0));
        QVERIFY(!Dates::parseJet(QStringLiteral("2004-2-30")));
        QVERIFY(!Dates::parseJet(QStringLiteral("2004-4-31")));
        QVERIFY(!Dates::parseJet(QStringLiteral("2005-2-29")));
        QVERIFY(!Dates::parseJet(QStringLiteral("2004-1-1 24:00:00")));
        QVERIFY(!Dates::parseJet(QStringLiteral("yesterday")));
        QCOMPARE(Dates::toStorage(*Dates::parseJet(QStringLiteral("2004-3-1 14:30"))), QStringLiteral("2004-03-01 14:30:00"));
        // The storage form, read by position, answers as the general reading does.
        QCOMPARE(Dates::parseJet(QStringLiteral("2004-02-29 23:59:59"))->toString(Qt::ISODate), QStringLiteral("2004-02-29T23:59:59"));
        QCOMPARE(Dates::parseJet(QStringLiteral("2004-02-01"))->toString(Qt::ISODate), QStringLiteral("2004-02-01T00:00:00"));
        QCOMPARE(Dates::parseJet(QStringLiteral(" 2004-02-01 08:05:00 "))->time(), QTime(8, 5));
        for (const char* bad : {"2005-02-29 00:00:00", "2004-01-01 24:00:00", "2004-01-01 12:60:00", "0000-01-01", "2004-0a-01",
                                "2004-02-01 14:30:0x", "2004-02-01T14:30:00x"})
            QVERIFY2(!Dates::parseJet(QString::fromUtf8(bad)), bad);
    }

    void quotingKeepsValuesWhole()
    {
        QCOMPARE(sqlText(QStringLiteral("苏A12345")), QStringLiteral("苏A12345"));
        QCOMPARE(sqlText(QStringLiteral("O'Brien")), QStringLiteral("O''Brien"));
        QCOMPARE(sqlLiteral(QStringLiteral("x' or '1'='1")), QStringLiteral("'x'' or ''1''=''1'"));
        QCOMPARE(Dates::dayRangeTerm(QStringLiteral("发车日期"), QStringLiteral("2004-2-1"), QStringLiteral("2004-2-3")),
                 QStringLiteral("(发车日期 between cdate('2004-2-1 0:0:0') and cdate('2004-2-3 23:59:59'))"));
    }
};

QTEST_GUILESS_MAIN(TestMoneyDates)
#include "test_money_dates.moc"
