#include "support/TestDatabase.h"
#include "support/TestPlatform.h"
#include "types/Priority.h"

#include <QRandomGenerator>
#include <QTest>

// VW_FUSEN.PRIORITY, computed by the database at the moment of the query,
// against CalcPriority at the same moment (the query's CURRENT_TIMESTAMP,
// read in the same statement): the two must agree on every note.
class TestPriorityView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void placedCases_data();
    void placedCases();
    void randomShapesAndTimes();
    void missingTypeCountsAsZeros();

private:
    struct Shape
    {
        int initval, sspan, sval, eval, espan, closeval;
    };
    // Inserts a type with the curve and returns its key.
    int addType(const Shape& s);
    // The database's "now", as the program reads it.
    TDateTime databaseNow();
    struct Row
    {
        int id;
        int priority;
        TPriorityParams p;
        TDateTime now;
    };
    QList<Row> readView(const QString& where);

    TestPlatform* P = nullptr;
    TestDatabase* Db = nullptr;
};

void TestPriorityView::initTestCase()
{
    P = new TestPlatform;
    Db = new TestDatabase;
}

void TestPriorityView::cleanupTestCase()
{
    delete Db;
    delete P;
}

int TestPriorityView::addType(const Shape& s)
{
    TdbmNotes& m = Db->module();
    m.BeginWork();
    TDbQuery q(m.UpdateTransaction(),
               {"insert into FUSENTYPE (LABEL, INITVAL, SSPAN, SVAL, EVAL, ESPAN, CLOSEVAL)",
                "values ('t', :I, :SS, :SV, :EV, :ES, :C) returning IDKEY"});
    q.setParam("I", s.initval);
    q.setParam("SS", s.sspan);
    q.setParam("SV", s.sval);
    q.setParam("EV", s.eval);
    q.setParam("ES", s.espan);
    q.setParam("C", s.closeval);
    q.execute();
    const int id = q.field("IDKEY").asInt();
    m.CommitWork();
    return id;
}

TDateTime TestPriorityView::databaseNow()
{
    TDbQuery q(Db->module().ReadTransaction(), {"select current_timestamp from rdb$database"});
    q.open();
    q.next();
    return q.field(0).asDateTime();
}

QList<TestPriorityView::Row> TestPriorityView::readView(const QString& where)
{
    TDbQuery q(Db->module().ReadTransaction(),
               {"select IDKEY, PRIORITY, current_timestamp as NOW_, STIME, ETIME, INITVAL, SSPAN,",
                "  SVAL, EVAL, ESPAN, CLOSEVAL",
                "from VW_FUSEN where " + where + " order by IDKEY"});
    q.open();
    QList<Row> rows;
    while (q.next()) {
        Row r;
        r.id = q.field("IDKEY").asInt();
        r.priority = q.field("PRIORITY").asInt();
        r.now = q.field("NOW_").asDateTime();
        // as a note window fills its TPriorityParams from the row
        r.p.STime = q.field("STIME").asDateTime();
        r.p.ETime = q.field("ETIME").asDateTime();
        r.p.INITVAL = q.field("INITVAL").asInt();
        r.p.SSPAN = q.field("SSPAN").asInt();
        r.p.SVAL = q.field("SVAL").asInt();
        r.p.EVAL = q.field("EVAL").asInt();
        r.p.ESPAN = q.field("ESPAN").asInt();
        r.p.CLOSEVAL = q.field("CLOSEVAL").asInt();
        rows << r;
    }
    return rows;
}

namespace {
constexpr double Hour = 1.0 / 24;
}

void TestPriorityView::placedCases_data()
{
    // Times are hours relative to the database's clock when the case starts,
    // half an hour off the hour so the few milliseconds until the query do not
    // move the whole-hour count. eEnd: NaN = NULL, 0 = 1899-12-30 (both no end).
    QTest::addColumn<int>("initval");
    QTest::addColumn<int>("sspan");
    QTest::addColumn<int>("sval");
    QTest::addColumn<int>("eval");
    QTest::addColumn<int>("espan");
    QTest::addColumn<int>("closeval");
    QTest::addColumn<double>("startH"); // STIME - now
    QTest::addColumn<double>("endH");   // ETIME - now, or NaN / 0 for none
    QTest::addColumn<int>("expected");
    const double none = qQNaN();
    const double zero = 0.0;
    QTest::newRow("before the ramp") << 5 << 1 << 60 << 60 << 1 << 1 << 48.5 << none << 5;
    QTest::newRow("rising, tie 0.5 to even 0") << 1 << 1 << 2 << 2 << 1 << 1 << 11.5 << none << 1;
    QTest::newRow("rising, tie 1.5 to 2") << 1 << 1 << 4 << 4 << 1 << 1 << 11.5 << none << 3;
    QTest::newRow("rising, tie 2.5 to 2") << 1 << 1 << 6 << 6 << 1 << 1 << 11.5 << none << 3;
    QTest::newRow("rising, first hour is INITVAL")
        << 10 << 1 << 90 << 90 << 1 << 1 << 23.5 << none << 10;
    QTest::newRow("rising, ordinary") << 1 << 14 << 60 << 60 << 14 << 1 << 100.5 << none << 42;
    // (an end a whole number of hours after the start may count one hour
    // less: the day counts are doubles, as in the program)
    QTest::newRow("between, tie 43.5 to 44")
        << 1 << 14 << 80 << 20 << 5 << 0 << -10.5 << 29.75 << 64;
    QTest::newRow("between, tie 0.5 to 0") << 1 << 1 << 3 << 1 << 1 << 1 << -2.75 << 1.5 << 1;
    QTest::newRow("between, last hour is EVAL")
        << 1 << 1 << 90 << 30 << 1 << 1 << -5.5 << 0.5 << 30;
    QTest::newRow("end within the start hour")
        << 1 << 1 << 70 << 30 << 1 << 1 << -0.25 << 0.5 << 70;
    QTest::newRow("after the end") << 1 << 1 << 90 << 80 << 2 << 10 << -30.5 << -12.5 << 61;
    QTest::newRow("after the end, tie -0.5 to even")
        << 1 << 1 << 2 << 1 << 1 << 2 << -30.5 << -12.5 << 2;
    QTest::newRow("after the end, last hour")
        << 1 << 1 << 90 << 80 << 1 << 7 << -40.5 << -23.5 << 7;
    QTest::newRow("past the falling ramp") << 1 << 1 << 90 << 80 << 1 << 3 << -50.5 << -25.5 << 3;
    QTest::newRow("no end, NULL") << 1 << 14 << 60 << 60 << 14 << 1 << -24.5 << none << 56;
    QTest::newRow("no end, 1899-12-30") << 1 << 14 << 60 << 60 << 14 << 1 << -24.5 << zero << 56;
    QTest::newRow("no end, tie 2.5") << 1 << 1 << 6 << 6 << 1 << 1 << -12.5 << none << 3;
    QTest::newRow("no end, past the ramp") << 1 << 1 << 60 << 60 << 2 << 0 << -48.5 << none << 0;
    QTest::newRow("no ramps at all") << 50 << 0 << 60 << 60 << 0 << 7 << -0.5 << none << 7;
    QTest::newRow("end before start") << 1 << 1 << 60 << 40 << 1 << 9 << -5.5 << -30.5 << 9;
}

void TestPriorityView::placedCases()
{
    QFETCH(int, initval);
    QFETCH(int, sspan);
    QFETCH(int, sval);
    QFETCH(int, eval);
    QFETCH(int, espan);
    QFETCH(int, closeval);
    QFETCH(double, startH);
    QFETCH(double, endH);
    QFETCH(int, expected);
    const int type = addType({initval, sspan, sval, eval, espan, closeval});
    TdbmNotes& m = Db->module();
    const TDateTime now = databaseNow();
    const int id = m.NextFusenID();
    m.BeginWork();
    TDbQuery q(m.UpdateTransaction(),
               {"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP, STIME, ETIME)",
                "values (:ID, 'p', :T, 0, :S, :E)"});
    q.setParam("ID", id);
    q.setParam("T", type);
    q.setParam("S", now.addDays(startH * Hour));
    if (qIsNaN(endH))
        q.setNull("E");
    else
        q.setParam("E", endH == 0.0 ? TDateTime() : now.addDays(endH * Hour));
    q.execute();
    m.CommitWork();

    const QList<Row> rows = readView(QStringLiteral("IDKEY = %1").arg(id));
    QCOMPARE(rows.size(), 1);
    const Row& r = rows.first();
    QCOMPARE(r.priority, CalcPriority(r.p, r.now));
    QCOMPARE(r.priority, expected);
}

void TestPriorityView::randomShapesAndTimes()
{
    const QList<Shape> shapes = {
        {1, 14, 60, 60, 14, 1},   {1, 1, 2, 2, 1, 1},   {1, 3, 100, 1, 3, 0},
        {100, 7, 1, 50, 1, 100},  {1, 0, 80, 80, 0, 0}, {20, 1000, 99, 3, 1000, 0},
        {1, 1, 3, 1, 1, 2},       {7, 2, 7, 7, 2, 7},   {1, 5, 6, 6, 5, 0},
        {33, 11, 66, 99, 13, 50},
    };
    QList<int> types;
    for (const Shape& s : shapes)
        types << addType(s);
    TdbmNotes& m = Db->module();
    const TDateTime now = databaseNow();
    QRandomGenerator rng(20261211);
    m.BeginWork();
    TDbQuery q(m.UpdateTransaction(), {"insert into FUSEN (USERID, FTYPE, FGROUP, STIME, ETIME)",
                                       "values ('r', :T, 0, :S, :E)"});
    const int count = 3000;
    for (int i = 0; i < count; ++i) {
        q.setParam("T", types[rng.bounded(static_cast<int>(types.size()))]);
        // within +-60 days, on the millisecond; some exactly on hours
        const double startDays = (rng.generateDouble() - 0.5) * 120;
        const TDateTime s =
            i % 7 == 0 ? now.addDays(std::round(startDays * 24) / 24) : now.addDays(startDays);
        q.setParam("S", s);
        switch (i % 5) {
        case 0:
            q.setNull("E");
            break;
        case 1:
            q.setParam("E", TDateTime());
            break;
        case 2: // a short span, sometimes within the same hour
            q.setParam("E", s.addDays(rng.generateDouble() * 0.1));
            break;
        default:
            q.setParam("E", s.addDays((rng.generateDouble() - 0.2) * 40));
        }
        q.execute();
    }
    m.CommitWork();
    const QList<Row> rows = readView(QStringLiteral("USERID = 'r'"));
    QCOMPARE(rows.size(), count);
    QSet<int> values;
    for (const Row& r : rows) {
        const int expected = CalcPriority(r.p, r.now);
        if (r.priority != expected)
            QFAIL(qPrintable(QStringLiteral("note %1: view %2, CalcPriority %3 (S %4 E %5 t %6)")
                                 .arg(r.id)
                                 .arg(r.priority)
                                 .arg(expected)
                                 .arg(r.p.STime.value, 0, 'g', 17)
                                 .arg(r.p.ETime.value, 0, 'g', 17)
                                 .arg(r.now.value, 0, 'g', 17)));
        values << r.priority;
    }
    QVERIFY(values.size() > 50); // the sample covers the range, not one value
}

void TestPriorityView::missingTypeCountsAsZeros()
{
    // A note without a type row reads zeros for the curve, as a note window
    // does; the view must agree with the window.
    TdbmNotes& m = Db->module();
    const TDateTime now = databaseNow();
    m.BeginWork();
    TDbQuery q(m.UpdateTransaction(),
               {"insert into FUSEN (USERID, FGROUP, STIME) values ('z', 0, :S)"});
    q.setParam("S", now.addDays(2));
    q.execute();
    m.CommitWork();
    const QList<Row> rows = readView(QStringLiteral("USERID = 'z'"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().priority, CalcPriority(rows.first().p, rows.first().now));
    QCOMPARE(rows.first().priority, 0);
}

QTEST_GUILESS_MAIN(TestPriorityView)
#include "tst_priorityview.moc"
