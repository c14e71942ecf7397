#include "support/TestDatabase.h"
#include "support/TestPlatform.h"

#include <QTest>

// The initial database as restored from the built backup: its content, the
// keys it assigns, what goes with a deleted note, and VW_FUSEN's columns.
class TestSchema : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void versionRows();
    void group0AndTypes();
    void firstTypeIsTheEditorsNewType();
    void newRssColumns();
    void assignedKeys_data();
    void assignedKeys();
    void deletingANoteTakesItsLinks();
    void viewColours_data();
    void viewColours();
    void viewKeepsNotesWithoutGroupOrType();
    void protectedRows_data();
    void protectedRows();
    void typeNamesInView();

private:
    TestPlatform* P = nullptr;
    TestDatabase* Db = nullptr;
};

void TestSchema::init()
{
    P = new TestPlatform;
    Db = new TestDatabase;
}

void TestSchema::cleanup()
{
    delete Db;
    delete P;
}

void TestSchema::versionRows()
{
    TDbQuery q(Db->module().ReadTransaction(),
               {"select VERSION, UPDTIME, MEMO from VERINFO order by VERSION"});
    q.open();
    QVERIFY(q.next());
    QCOMPARE(q.field("VERSION").asString(), QStringLiteral("1.0"));
    QCOMPARE(q.field("UPDTIME").asDateTime(), TDateTime::fromDate(2009, 9, 1));
    QCOMPARE(q.field("MEMO").asString(), QStringLiteral("初期リリース"));
    QVERIFY(q.next());
    QCOMPARE(q.field("VERSION").asString(), QStringLiteral("1.1"));
    QCOMPARE(q.field("MEMO").asString(),
             QStringLiteral("画像ビューワ,フィードのBASIC認証,付箋に検索結果を挿入"));
    QVERIFY(!q.next());
    // the version check's own query finds the table
    QCOMPARE(Db->scalar({"select rdb$relation_name from rdb$relations",
                         "where rdb$system_flag=0 and rdb$relation_name = 'VERINFO'"})
                 .trimmed(),
             QStringLiteral("VERINFO"));
}

void TestSchema::group0AndTypes()
{
    TDbQuery g(Db->module().ReadTransaction(), {"select * from FUSENGROUP"});
    g.open();
    QVERIFY(g.next());
    QCOMPARE(g.field("IDKEY").asInt(), 0);
    QVERIFY(!g.field("LABEL").asString().isEmpty());
    QVERIFY(g.field("VISIBLE").asBool());
    QVERIFY(g.isNull("BGCOLOR")); // no override of the type's colours
    QVERIFY(!g.next());

    TDbQuery t(Db->module().ReadTransaction(), {"select * from FUSENTYPE order by IDKEY"});
    t.open();
    int expectedKey = 1;
    QSet<QString> labels;
    while (t.next()) {
        QCOMPARE(t.field("IDKEY").asInt(), expectedKey++);
        labels << t.field("LABEL").asString();
        for (const char* c : {"INITVAL", "SSPAN", "SVAL", "EVAL", "ESPAN", "CLOSEVAL", "TEXTCOLOR",
                              "BGCOLOR", "HTEXTCOLOR", "LINKCOLOR", "R", "G", "B"})
            QVERIFY2(!t.isNull(c), c);
        // readable: the text differs from the background
        QVERIFY(t.field("TEXTCOLOR").asInt() != t.field("BGCOLOR").asInt());
    }
    QVERIFY(expectedKey > 3);                 // a useful set
    QCOMPARE(labels.size(), expectedKey - 1); // each named differently
}

void TestSchema::firstTypeIsTheEditorsNewType()
{
    TDbQuery t(Db->module().ReadTransaction(), {"select * from FUSENTYPE where IDKEY = 1"});
    t.open();
    QVERIFY(t.next());
    QCOMPARE(t.field("INITVAL").asInt(), 1);
    QCOMPARE(t.field("SSPAN").asInt(), 14);
    QCOMPARE(t.field("SVAL").asInt(), 60);
    QCOMPARE(t.field("EVAL").asInt(), 60);
    QCOMPARE(t.field("ESPAN").asInt(), 14);
    QCOMPARE(t.field("CLOSEVAL").asInt(), 1);
    QVERIFY(t.field("R").asBool());
    QVERIFY(t.field("G").asBool());
    QVERIFY(!t.field("B").asBool());
}

void TestSchema::newRssColumns()
{
    // The 1.1 columns exist (the version check will not upgrade again), and a
    // 60-byte password's stored form fits, a longer one does not.
    TdbmNotes& m = Db->module();
    m.BeginWork();
    TDbQuery q(m.UpdateTransaction(),
               {"insert into RSSCONFIG (USERID, TITLE, FEEDURI, FUSENTYPE, FUSENGROUP, ENABLED,",
                " BASICAUTH, USERNAME, PASSWD, PORT, \"INTERVAL\")",
                "values ('u', 'feed', 'http://x.invalid/', 5, 0, 1, 1, 'me', :P, 80, 0)"});
    q.setParam("P", QString(80, u'A'));
    q.execute();
    q.setParam("P", QString(84, u'A'));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.execute());
    m.RollbackWork();
    QCOMPARE(P->errors.size(), 1);
}

void TestSchema::assignedKeys_data()
{
    QTest::addColumn<QString>("insert");
    QTest::addColumn<QString>("select");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("type after the initial ones") << "insert into FUSENTYPE (LABEL, INITVAL, SSPAN, "
                                                    "SVAL, EVAL, ESPAN, CLOSEVAL) values ('n', "
                                                    "1, 1, 1, 1, 1, 1)"
                                                 << "select max(IDKEY) from FUSENTYPE"
                                                 << "6"
                                                 << "7";
    QTest::newRow("group after group 0") << "insert into FUSENGROUP (LABEL) values ('g')"
                                         << "select max(IDKEY) from FUSENGROUP"
                                         << "1"
                                         << "2";
    QTest::newRow("subscription number") << "insert into RSSCONFIG (USERID, SEQNUM, TITLE, "
                                            "FUSENTYPE, FUSENGROUP) values ('u', null, "
                                            "'t', 1, 0)"
                                         << "select max(SEQNUM) from RSSCONFIG"
                                         << "1"
                                         << "2";
    QTest::newRow("note from the generator")
        << "insert into FUSEN (USERID, FTYPE, FGROUP) values ('u', 1, 0)"
        << "select max(IDKEY) from FUSEN"
        << "1"
        << "2";
}

void TestSchema::assignedKeys()
{
    QFETCH(QString, insert);
    QFETCH(QString, select);
    QFETCH(QString, first);
    QFETCH(QString, second);
    Db->exec({insert});
    QCOMPARE(Db->scalar({select}), first);
    Db->exec({insert});
    QCOMPARE(Db->scalar({select}), second);
}

void TestSchema::deletingANoteTakesItsLinks()
{
    Db->exec({"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP) values (1, 'u', 1, 0)"});
    Db->exec({"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP) values (2, 'u', 1, 0)"});
    Db->exec({"insert into ATTACHMENTS (IDKEY, FILENAME) values (10, 'a.txt')"});
    Db->exec({"insert into ATTACHLINK values (1, 10)"});
    Db->exec({"insert into ATTACHLINK values (2, 10)"}); // a copy shares the attachment
    Db->exec({"delete from Fusen where IDKEY=1"});       // as the note window does
    QCOMPARE(Db->scalar({"select count(*) from ATTACHLINK where FUSENID = 1"}),
             QStringLiteral("0"));
    QCOMPARE(Db->scalar({"select count(*) from VW_ATTACH where FUSENID = 2"}), QStringLiteral("1"));
    QCOMPARE(Db->scalar({"select count(*) from ATTACHMENTS"}), QStringLiteral("1"));
    QVERIFY(P->errors.isEmpty());
}

void TestSchema::viewColours_data()
{
    // Type 1's colours against a group override and the note's own colours.
    QTest::addColumn<QString>("groupColour"); // SQL value
    QTest::addColumn<QString>("noteColour");
    QTest::addColumn<int>("expectedBg");
    QTest::newRow("type only") << "null"
                               << "null" << 12648447;
    QTest::newRow("group over type") << "255"
                                     << "null" << 255;
    QTest::newRow("note over group") << "255"
                                     << "65535" << 65535;
    QTest::newRow("note over type") << "null"
                                    << "0" << 0;
}

void TestSchema::viewColours()
{
    QFETCH(QString, groupColour);
    QFETCH(QString, noteColour);
    QFETCH(int, expectedBg);
    Db->exec(
        {"insert into FUSENGROUP (IDKEY, LABEL, BGCOLOR) values (5, 'g', " + groupColour + ")"});
    Db->exec({"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP, BGCOLOR) values (1, 'u', 1, 5, " +
              noteColour + ")"});
    TDbQuery q(Db->module().ReadTransaction(),
               {"select TEXTCOLOR, BGCOLOR, HTEXTCOLOR, LINKCOLOR from VW_FUSEN where IDKEY = 1"});
    q.open();
    QVERIFY(q.next());
    QCOMPARE(q.field("BGCOLOR").asInt(), expectedBg);
    QVERIFY(!q.isNull("TEXTCOLOR")); // every note has all four
    QVERIFY(!q.isNull("HTEXTCOLOR"));
    QCOMPARE(q.field("LINKCOLOR").asInt(), 16711680);
}

void TestSchema::viewKeepsNotesWithoutGroupOrType()
{
    Db->exec({"insert into FUSEN (IDKEY, USERID) values (1, 'u')"});
    TDbQuery q(Db->module().ReadTransaction(), {"select * from VW_FUSEN where USERID = 'u'"});
    q.open();
    QVERIFY(q.next());
    QVERIFY(q.isNull("TYPENAME"));
    QVERIFY(q.isNull("GROUPNAME"));
    QCOMPARE(q.field("BGCOLOR").asInt(), 65280); // the new-type default, not black
    QVERIFY(q.field("TEXTCOLOR").asInt() != q.field("BGCOLOR").asInt());
    QCOMPARE(q.field("PRIORITY").asInt(), 0);
}

void TestSchema::protectedRows_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("kind");
    QTest::newRow("group 0") << "delete from FUSENGROUP where IDKEY = 0" << int(keException);
    QTest::newRow("type 1") << "delete from FUSENTYPE where IDKEY = 1" << int(keException);
    QTest::newRow("group in use") << "delete from FUSENGROUP where IDKEY = 7" << int(keForeignKey);
}

void TestSchema::protectedRows()
{
    QFETCH(QString, sql);
    QFETCH(int, kind);
    Db->exec({"insert into FUSENGROUP (IDKEY, LABEL) values (7, 'used')"});
    Db->exec({"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP) values (1, 'u', 1, 7)"});
    try {
        Db->exec({sql});
        QFAIL("deleted");
    } catch (const EDatabaseError& e) {
        QCOMPARE(int(e.kind()), kind);
    }
    QCOMPARE(P->errors.size(), 1);
    // an unused type and group delete fine
    Db->exec({"delete from FUSENTYPE where IDKEY = 4"});
    Db->exec({"delete from FUSEN"});
    Db->exec({"delete from FUSENGROUP where IDKEY = 7"});
    QCOMPARE(P->errors.size(), 1);
}

void TestSchema::typeNamesInView()
{
    Db->exec(
        {"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP, TITLE, STIME) values (1, 'u', 3, 0, "
         "'t', current_timestamp)"});
    TDbQuery q(Db->module().ReadTransaction(), {"select * from VW_FUSEN"});
    q.open();
    QVERIFY(q.next());
    QCOMPARE(q.field("TYPENAME").asString(),
             Db->scalar({"select LABEL from FUSENTYPE where IDKEY = 3"}));
    QCOMPARE(q.field("GROUPNAME").asString(),
             Db->scalar({"select LABEL from FUSENGROUP where IDKEY = 0"}));
    for (const char* c :
         {"IDKEY",   "USERID",    "FTYPE",    "FGROUP",     "TITLE",     "MEMO",       "STIME",
          "ETIME",   "TEXTCOLOR", "BGCOLOR",  "HTEXTCOLOR", "LINKCOLOR", "ALPHABLEND", "P_TOP",
          "P_LEFT",  "P_WIDTH",   "P_HEIGHT", "ANCHOR",     "COMPLETED", "GUID",       "COMPTIME",
          "INITVAL", "SSPAN",     "SVAL",     "EVAL",       "ESPAN",     "CLOSEVAL",   "R",
          "G",       "B",         "TYPENAME", "GROUPNAME",  "PRIORITY"})
        QVERIFY2(q.fieldIndex(c) >= 0, c);
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
