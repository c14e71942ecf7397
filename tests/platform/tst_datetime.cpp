#include "platform/DateTime.h"

#include <QTest>

class TestDateTime : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void knownValues_data();
    void knownValues();
    void roundTripToTheMillisecond_data();
    void roundTripToTheMillisecond();
    void firebirdTimestamp();
    void format();
};

void TestDateTime::knownValues_data()
{
    QTest::addColumn<double>("days");
    QTest::addColumn<QDateTime>("expected");
    QTest::newRow("epoch") << 0.0 << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    QTest::newRow("one and a half") << 1.5 << QDateTime(QDate(1899, 12, 31), QTime(12, 0));
    QTest::newRow("2009-09-01") << 40057.0 << QDateTime(QDate(2009, 9, 1), QTime(0, 0));
    QTest::newRow("negative keeps the time of day")
        << -1.25 << QDateTime(QDate(1899, 12, 29), QTime(6, 0));
    QTest::newRow("a hair before midnight")
        << 46367.0 - 0.1 / 86400000.0 << QDateTime(QDate(2026, 12, 11), QTime(0, 0));
}

void TestDateTime::knownValues()
{
    QFETCH(double, days);
    QFETCH(QDateTime, expected);
    QCOMPARE(TDateTime(days).toQDateTime(), expected);
    if (days == std::round(days * 4) / 4) // exact on this grid both ways
        QCOMPARE(TDateTime::fromQDateTime(expected).value, days);
}

void TestDateTime::roundTripToTheMillisecond_data()
{
    QTest::addColumn<QDateTime>("dt");
    QTest::newRow("now-ish") << QDateTime(QDate(2026, 12, 11), QTime(11, 26, 41, 123));
    QTest::newRow("last ms of a day") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999));
    QTest::newRow("leap day") << QDateTime(QDate(2028, 2, 29), QTime(0, 0, 0, 1));
    QTest::newRow("before epoch") << QDateTime(QDate(1850, 1, 1), QTime(13, 45, 7, 500));
    QTest::newRow("far future") << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999));
}

void TestDateTime::roundTripToTheMillisecond()
{
    QFETCH(QDateTime, dt);
    const TDateTime d = TDateTime::fromQDateTime(dt);
    QCOMPARE(d.toQDateTime(), dt);
    QCOMPARE(TDateTime::fromFbTimestamp(d.toFbTimestamp()).toQDateTime(), dt);
    QCOMPARE(msecsToDateTime(dateTimeToMSecs(d)).toQDateTime(), dt);
}

void TestDateTime::firebirdTimestamp()
{
    // 1899-12-30 is Firebird day 15018; 2009-09-01 is MJD 55075.
    QCOMPARE(TDateTime(0.0).toFbTimestamp().date, 15018);
    const auto ts = TDateTime::fromDate(2009, 9, 1, 12, 30, 15, 250).toFbTimestamp();
    QCOMPARE(ts.date, 55075);
    QCOMPARE(ts.time, uint32_t((12 * 3600 + 30 * 60 + 15) * 10000 + 2500));
    // sub-millisecond parts of a stored time round to the nearest millisecond
    TDateTime::FbTimestamp odd{55075, 863999999};
    QCOMPARE(TDateTime::fromFbTimestamp(odd).toQDateTime(),
             QDateTime(QDate(2009, 9, 2), QTime(0, 0)));
}

void TestDateTime::format()
{
    const TDateTime d = TDateTime::fromDate(2026, 3, 5, 7, 8, 9);
    QCOMPARE(d.format(QStringLiteral("yyyy/mm/dd hh:nn:ss")),
             QStringLiteral("2026/03/05 07:08:09"));
    QCOMPARE(d.format(QStringLiteral("m/d h:nn")), QStringLiteral("3/5 7:08"));
}

QTEST_GUILESS_MAIN(TestDateTime)
#include "tst_datetime.moc"
