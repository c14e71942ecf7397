#include "support/TestDatabase.h"
#include "support/TestPlatform.h"
#include "types/FusenGroup.h"
#include "types/TypeList.h"

#include <QTest>

class TestFusenGroup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsInKeyOrderWithNullsAsZero();
    void lookupErrors();
    void emptyTable();
    void saveWritesNullColoursAndZeroIcon();
    void failingSaveChangesNothing();
    void visibility_data();
    void visibility();
    void typeList();
};

void TestFusenGroup::loadsInKeyOrderWithNullsAsZero()
{
    TestPlatform platform;
    TestDatabase db;
    db.exec({"insert into "
             "FusenGroup(IDKEY,LABEL,TEXTCOLOR,BGCOLOR,HTEXTCOLOR,LINKCOLOR,ICONNUM,VISIBLE)",
             "values(7,'仕事',255,65280,16711680,123,3,0)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(3,'家',null,1)"});
    TFusenGroup g(db.module());
    g.Load();
    QCOMPARE(g.Count(), 3);
    QCOMPARE(g.Items(0).IDKEY, 0);
    QCOMPARE(g.Items(1).IDKEY, 3);
    QCOMPARE(g.Items(2).IDKEY, 7);
    const TGroupRecord& home = g.Items(1);
    QCOMPARE(home.LABEL, QStringLiteral("家"));
    QCOMPARE(home.TEXTCOLOR, 0u);
    QCOMPARE(home.BGCOLOR, 0u);
    QCOMPARE(home.ICONNUM, 0);
    QCOMPARE(home.VISIBLE, true);
    const TGroupRecord& work = g.Items(2);
    QCOMPARE(work.TEXTCOLOR, 255u);
    QCOMPARE(work.BGCOLOR, 65280u);
    QCOMPARE(work.HTEXTCOLOR, 16711680u);
    QCOMPARE(work.LINKCOLOR, 123u);
    QCOMPARE(work.ICONNUM, 3);
    QCOMPARE(work.VISIBLE, false);
    QCOMPARE(g.IndexOfID(7), 2);
    QCOMPARE(g.LabelOfID(3), QStringLiteral("家"));

    QStringList labels;
    QList<int32_t> ids;
    g.FillStrings(labels, ids);
    QCOMPARE(ids, (QList<int32_t>{0, 3, 7}));
    QCOMPARE(labels.at(2), QStringLiteral("仕事"));
    // a reload replaces, it does not append
    g.Load();
    QCOMPARE(g.Count(), 3);
    QVERIFY(db.module().Savepoints().isEmpty());
}

void TestFusenGroup::lookupErrors()
{
    TestPlatform platform;
    TestDatabase db;
    TFusenGroup g(db.module());
    g.Load();
    const auto text = [](auto&& f) {
        try {
            f();
        } catch (const EGroupError& e) {
            return e.text();
        }
        return QStringLiteral("no error");
    };
    QCOMPARE(text([&] { g.IndexOfID(42); }), QStringLiteral("GroupIDが見つかりません"));
    QCOMPARE(text([&] { g.LabelOfID(-1); }), QStringLiteral("GroupIDが見つかりません"));
    QCOMPARE(text([&] { g.Items(-1); }),
             QStringLiteral("GroupListのインデックス範囲を超えています"));
    QCOMPARE(text([&] { g.Items(g.Count()); }),
             QStringLiteral("GroupListのインデックス範囲を超えています"));
}

void TestFusenGroup::emptyTable()
{
    TestPlatform platform;
    TestDatabase db;
    db.exec({"alter trigger FUSENGROUP_BD inactive"});
    db.exec({"delete from FusenGroup"});
    TFusenGroup g(db.module());
    g.Load();
    QCOMPARE(g.Count(), 0);
    QVERIFY_THROWS_EXCEPTION(EGroupError, g.Items(0));
    QVERIFY(!g.HasMixedVisibility());
}

void TestFusenGroup::saveWritesNullColoursAndZeroIcon()
{
    TestPlatform platform;
    TestDatabase db;
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(5,'趣味',null,1)"});
    TFusenGroup g(db.module());
    g.Load();
    g.Items(g.IndexOfID(5)).VISIBLE = false;
    g.Items(g.IndexOfID(0)).BGCOLOR = 0x00FFEEDD;
    g.Save(-1);
    QCOMPARE(db.scalar({"select count(*) from FusenGroup where IDKEY=5 and TEXTCOLOR is null and "
                        "BGCOLOR is null and HTEXTCOLOR is null and LINKCOLOR is null"}),
             QStringLiteral("1"));
    QCOMPARE(db.scalar({"select ICONNUM from FusenGroup where IDKEY=5"}), QStringLiteral("0"));
    QCOMPARE(db.scalar({"select VISIBLE from FusenGroup where IDKEY=5"}), QStringLiteral("0"));
    QCOMPARE(db.scalar({"select BGCOLOR from FusenGroup where IDKEY=0"}),
             QString::number(0x00FFEEDD));
    QVERIFY(platform.errors.isEmpty());
}

void TestFusenGroup::failingSaveChangesNothing()
{
    TestPlatform platform;
    TestDatabase db;
    db.exec({"insert into FusenGroup(IDKEY,LABEL,VISIBLE) values(1,'A',1)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,VISIBLE) values(2,'B',1)"});
    db.exec({"alter table FusenGroup add constraint CK_NOT_BAD check (LABEL <> 'bad')"});
    TFusenGroup g(db.module());
    g.Load();
    for (int i = 0; i < g.Count(); ++i)
        g.Items(i).VISIBLE = false;
    g.Items(g.IndexOfID(2)).LABEL = QStringLiteral("bad"); // the last row written fails
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, g.Save(-1));
    // the error went through the database module's box
    QCOMPARE(platform.errors.size(), 1);
    QVERIFY(platform.errors.first().startsWith(QStringLiteral("CHECK違反: ")));
    // every row as it was, and no unit of work left open
    QCOMPARE(db.scalar({"select count(*) from FusenGroup where VISIBLE=1"}), QStringLiteral("3"));
    QVERIFY(db.module().Savepoints().isEmpty());
}

void TestFusenGroup::visibility_data()
{
    QTest::addColumn<QList<bool>>("visible"); // groups 0, 1, 2, 3
    QTest::addColumn<bool>("mixed");
    QTest::addColumn<QList<int32_t>>("ids");
    QTest::newRow("all visible") << QList<bool>{true, true, true, true} << false
                                 << QList<int32_t>{0, 1, 2, 3};
    QTest::newRow("all hidden") << QList<bool>{false, false, false, false} << false
                                << QList<int32_t>{};
    QTest::newRow("1 and 3 visible")
        << QList<bool>{false, true, false, true} << true << QList<int32_t>{1, 3};
}

void TestFusenGroup::visibility()
{
    QFETCH(QList<bool>, visible);
    QFETCH(bool, mixed);
    QFETCH(QList<int32_t>, ids);
    TestPlatform platform;
    TestDatabase db;
    for (int i = 1; i < 4; ++i)
        db.exec({QStringLiteral("insert into FusenGroup(IDKEY,LABEL,VISIBLE) values(%1,'g',1)")
                     .arg(i)});
    TFusenGroup g(db.module());
    g.Load();
    for (int i = 0; i < 4; ++i)
        g.Items(i).VISIBLE = visible[i];
    QCOMPARE(g.HasMixedVisibility(), mixed);
    QCOMPARE(g.VisibleIDs(), ids);
}

void TestFusenGroup::typeList()
{
    TestPlatform platform;
    TestDatabase db;
    db.exec({"insert into FusenType(LABEL,INITVAL,SSPAN,SVAL,EVAL,ESPAN,CLOSEVAL) "
             "values('新しい',1,1,1,1,1,0)"});
    TTypeList types;
    types.Reload(db.module());
    QVERIFY(types.count() >= 2);
    QCOMPARE(types.at(0).IDKEY, 1);
    for (int i = 1; i < types.count(); ++i)
        QVERIFY(types.at(i - 1).IDKEY < types.at(i).IDKEY);
    QCOMPARE(types.at(types.count() - 1).LABEL, QStringLiteral("新しい"));
    QCOMPARE(types.indexOfID(types.at(1).IDKEY), 1);
    QCOMPARE(types.indexOfID(-5), -1);
}

QTEST_GUILESS_MAIN(TestFusenGroup)
#include "tst_fusengroup.moc"
