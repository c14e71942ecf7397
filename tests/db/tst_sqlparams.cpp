#include "db/SqlParams.h"

#include <QTest>

class TestSqlParams : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void map_data();
    void map();
    void split_data();
    void split();
};

void TestSqlParams::map_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("mapped");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("plain") << "select * from FUSEN where IDKEY=:IDKEY"
                           << "select * from FUSEN where IDKEY=?" << QStringList{"IDKEY"};
    QTest::newRow("repeated, case folded")
        << "where UPPER(TITLE) like :Search or UPPER(MEMO) like :SEARCH"
        << "where UPPER(TITLE) like ? or UPPER(MEMO) like ?" << QStringList{"SEARCH", "SEARCH"};
    QTest::newRow("several, ends the text") << "values(:A,:B_2,:c$)"
                                            << "values(?,?,?)" << QStringList{"A", "B_2", "C$"};
    QTest::newRow("string literal") << "select ':NOT' from X where A=:A"
                                    << "select ':NOT' from X where A=?" << QStringList{"A"};
    QTest::newRow("doubled quote in literal")
        << "select 'it''s :NOT' , :B from X"
        << "select 'it''s :NOT' , ? from X" << QStringList{"B"};
    QTest::newRow("quoted identifier") << "select \"a:B\" from X where \"C\"=:C"
                                       << "select \"a:B\" from X where \"C\"=?" << QStringList{"C"};
    QTest::newRow("line comment") << "select 1 -- :NOT here\nfrom X where A=:A"
                                  << "select 1 -- :NOT here\nfrom X where A=?" << QStringList{"A"};
    QTest::newRow("block comment") << "select /* :NOT\n:ALSO */ :A from X"
                                   << "select /* :NOT\n:ALSO */ ? from X" << QStringList{"A"};
    QTest::newRow("q-string braces") << "select q'{:NOT 'x' }' , :A from X"
                                     << "select q'{:NOT 'x' }' , ? from X" << QStringList{"A"};
    QTest::newRow("q-string same char") << "select Q'!:NOT!', :A from X"
                                        << "select Q'!:NOT!', ? from X" << QStringList{"A"};
    QTest::newRow("identifier ending in q") << "select aq':A' from X"
                                            << "select aq':A' from X" << QStringList{};
    QTest::newRow("question mark")
        << "select * from X where A=? and B=:B"
        << "select * from X where A=? and B=?" << QStringList{QString(), "B"};
    QTest::newRow("array slice and digits") << "select A[1:2] from X"
                                            << "select A[1:2] from X" << QStringList{};
    QTest::newRow("execute block")
        << "execute block (X int = :X) returns (Y int) as\nbegin Y = :X; suspend; end"
        << "execute block (X int = ?) returns (Y int) as\nbegin Y = :X; suspend; end"
        << QStringList{"X"};
    QTest::newRow("procedure body")
        << "create or alter procedure P (A int) as begin A = :A; end"
        << "create or alter procedure P (A int) as begin A = :A; end" << QStringList{};
    QTest::newRow("trigger after comment")
        << "/* c */ create trigger T for X before insert as begin new.A = :B; end"
        << "/* c */ create trigger T for X before insert as begin new.A = :B; end" << QStringList{};
}

void TestSqlParams::map()
{
    QFETCH(QString, sql);
    QFETCH(QString, mapped);
    QFETCH(QStringList, names);
    const TMappedSql m = MapNamedParams(sql);
    QCOMPARE(m.sql, mapped);
    QCOMPARE(m.names, names);
}

void TestSqlParams::split_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("statements");
    QTest::newRow("two") << "create table A (X int);\n-- c;\ninsert into A values (1);"
                         << QStringList{"create table A (X int)", "insert into A values (1)"};
    QTest::newRow("terminator in literal and comment")
        << "insert into A values (';'); /* ; */ select 1 from B;"
        << QStringList{"insert into A values (';')", "select 1 from B"};
    QTest::newRow("set term and commit")
        << "SET TERM ^ ;\ncreate trigger T as begin x = 1; end^\nSET TERM ; ^\nCOMMIT;\nselect 2 "
           "from C;"
        << QStringList{"create trigger T as begin x = 1; end", "select 2 from C"};
    QTest::newRow("no final terminator") << "select 1 from A" << QStringList{"select 1 from A"};
}

void TestSqlParams::split()
{
    QFETCH(QString, script);
    QFETCH(QStringList, statements);
    QCOMPARE(SplitSqlScript(script), statements);
}

QTEST_APPLESS_MAIN(TestSqlParams)
#include "tst_sqlparams.moc"
