#include "types/Priority.h"

#include <QTest>

namespace {
// The new-type curve: INITVAL 1, SSPAN 14, SVAL 60, EVAL 60, ESPAN 14, CLOSEVAL 1.
TPriorityParams curve(double s, double e = 0, int sspan = 14, int espan = 14, int init = 1,
                      int sval = 60, int eval = 60, int close = 1)
{
    TPriorityParams p;
    p.STime = TDateTime(s);
    p.ETime = TDateTime(e);
    p.SSPAN = sspan;
    p.ESPAN = espan;
    p.INITVAL = init;
    p.SVAL = sval;
    p.EVAL = eval;
    p.CLOSEVAL = close;
    return p;
}
constexpr double S = 46000.0; // a start date-time, midnight
constexpr double Hour = 1.0 / 24;
} // namespace
Q_DECLARE_METATYPE(TPriorityParams)

class TestPriority : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void calcPriority_data();
    void calcPriority();
    void roundHalfEven_data();
    void roundHalfEven();
    void headerLevel_data();
    void headerLevel();
    void shadeColor_data();
    void shadeColor();
};

void TestPriority::calcPriority_data()
{
    QTest::addColumn<TPriorityParams>("p");
    QTest::addColumn<double>("t");
    QTest::addColumn<int>("expected");

    const auto nc = curve(S);
    QTest::newRow("long before the ramp") << nc << S - 30 << 1;
    QTest::newRow("ramp start exactly") << nc << S - 14 << 1;
    QTest::newRow("half way up rounds 29.5 to 30") << nc << S - 7 << 31;
    QTest::newRow("less than an hour into the ramp") << nc << S - 14 + 0.5 * Hour << 1;
    QTest::newRow("at the start") << nc << S << 60;
    QTest::newRow("half way down, no end") << nc << S + 7 << 31;
    QTest::newRow("end of the decay") << nc << S + 14 << 1;
    QTest::newRow("after the decay") << nc << S + 100 << 1;
    // 167.6 hours before Z: truncated to 167 (30); rounding the hours would give 31
    QTest::newRow("hours are truncated") << nc << S + 7 + 0.4 * Hour << 30;

    QTest::newRow("SSPAN 0: start instant still initial") << curve(S, 0, 0) << S << 1;
    QTest::newRow("SSPAN 0: jumps just after the start") << curve(S, 0, 0) << S + Hour << 60;
    QTest::newRow("ESPAN 0 without end: closed just after start")
        << curve(S, 0, 14, 0) << S + 1e-6 << 1;

    // with an end date-time, SVAL 80 falling to EVAL 40 over ten days
    const auto e = curve(S, S + 10, 14, 14, 1, 80, 40, 0);
    QTest::newRow("end: just after the start") << e << S + Hour << 80;
    QTest::newRow("end: midway") << e << S + 5 << 60;
    QTest::newRow("end: at the end") << e << S + 10 << 40;
    QTest::newRow("end: decay midway") << e << S + 17 << 20;
    QTest::newRow("end: past Z") << e << S + 24 << 0;
    QTest::newRow("end: less than an hour before the end") << e << S + 10 - 0.5 * Hour << 40;
    QTest::newRow("ESPAN 0 with end: closed from the end")
        << curve(S, S + 10, 14, 0, 1, 80, 40, 0) << S + 10 << 0;
    QTest::newRow("start and end within one hour: SVAL")
        << curve(S, S + 0.5 * Hour, 14, 14, 1, 80, 40, 0) << S + 0.25 * Hour << 80;
    QTest::newRow("end before start: decay after the end")
        << curve(S, S - 2, 14, 14, 1, 80, 40, 0) << S + 1 << 31; // 264 of 336 hours left
    QTest::newRow("end before start: past Z")
        << curve(S, S - 2, 14, 14, 1, 80, 40, 0) << S + 13 << 0;

    QTest::newRow("tie rounds to even") << curve(S, 0, 1, 14, 1, 2) << S - 0.5 << 1;
    QTest::newRow("tie rounds to even upward") << curve(S, 0, 1, 14, 1, 4) << S - 0.5 << 3;
    QTest::newRow("negative tie rounds to even") << curve(S, 0, 14, 1, 1, 2, 2, 1) << S + 0.5 << 1;
}

void TestPriority::calcPriority()
{
    QFETCH(TPriorityParams, p);
    QFETCH(double, t);
    QFETCH(int, expected);
    QCOMPARE(CalcPriority(p, TDateTime(t)), expected);
}

void TestPriority::roundHalfEven_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("29.5") << 29.5 << 30;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("-1.5") << -1.5 << -2;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("3.5000001") << 3.5000001 << 4;
    QTest::newRow("-2.4") << -2.4 << -2;
}

void TestPriority::roundHalfEven()
{
    QFETCH(double, x);
    QFETCH(int, expected);
    QCOMPARE(RoundHalfEven(x), expected);
}

void TestPriority::headerLevel_data()
{
    QTest::addColumn<int>("priority");
    QTest::addColumn<int>("level");
    QTest::newRow("100") << 100 << 128;
    QTest::newRow("60") << 60 << 179;
    QTest::newRow("50 (63.5 rounds to 64)") << 50 << 191;
    QTest::newRow("0") << 0 << 255;
}

void TestPriority::headerLevel()
{
    QFETCH(int, priority);
    QFETCH(int, level);
    QCOMPARE(HeaderLevel(priority), level);
}

void TestPriority::shadeColor_data()
{
    QTest::addColumn<bool>("r");
    QTest::addColumn<bool>("g");
    QTest::addColumn<bool>("b");
    QTest::addColumn<int>("priority");
    QTest::addColumn<uint>("colour");
    // 0x00BBGGRR
    QTest::newRow("RG, 100: yellow") << true << true << false << 100 << 0x0000FFFFu;
    QTest::newRow("RG, 60") << true << true << false << 60 << 0x0066FFFFu;
    QTest::newRow("RG, 50") << true << true << false << 50 << 0x007EFFFFu;
    QTest::newRow("RG, 0: almost white") << true << true << false << 0 << 0x00FEFFFFu;
    QTest::newRow("none, 100: black") << false << false << false << 100 << 0x00000000u;
    QTest::newRow("none, 0: light grey") << false << false << false << 0 << 0x00FEFEFEu;
    QTest::newRow("none, 50") << false << false << false << 50 << 0x007E7E7Eu;
    QTest::newRow("all, 100: white") << true << true << true << 100 << 0x00FFFFFFu;
    QTest::newRow("all, 0: white") << true << true << true << 0 << 0x00FFFFFFu;
    QTest::newRow("B only, 60") << false << false << true << 60 << 0x00FF6666u;
}

void TestPriority::shadeColor()
{
    QFETCH(bool, r);
    QFETCH(bool, g);
    QFETCH(bool, b);
    QFETCH(int, priority);
    QFETCH(uint, colour);
    QCOMPARE(ShadeColor(r, g, b, HeaderLevel(priority)), colour);
}

QTEST_GUILESS_MAIN(TestPriority)
#include "tst_priority.moc"
