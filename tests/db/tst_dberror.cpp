#include "db/DbError.h"

#include <QTest>

// The classification table and the texts the error box shows. The database
// provokes the common kinds for real in tst_dbmodule; this covers every row.
class TestDbError : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void classify_data();
    void classify();
    void texts_data();
    void texts();
    void unknownKind();
};

void TestDbError::classify_data()
{
    QTest::addColumn<int>("sqlCode");
    QTest::addColumn<qint64>("gds");
    QTest::addColumn<int>("kind");
    QTest::newRow("user exception") << -836 << qint64(335544517) << int(keException);
    QTest::newRow("foreign key") << -530 << qint64(335544466) << int(keForeignKey);
    QTest::newRow("-530 with another code") << -530 << qint64(335544347) << int(keOther);
    QTest::newRow("shutdown database") << -902 << qint64(335544528) << int(keLostConnect);
    QTest::newRow("first of the range") << -902 << qint64(335544722) << int(keLostConnect);
    QTest::newRow("read error") << -902 << qint64(335544726) << int(keLostConnect);
    QTest::newRow("write error") << -902 << qint64(335544727) << int(keLostConnect);
    QTest::newRow("after the range") << -902 << qint64(335544728) << int(keOther);
    QTest::newRow("335544741") << -902 << qint64(335544741) << int(keLostConnect);
    QTest::newRow("connection shutdown") << -902 << qint64(335544856) << int(keLostConnect);
    QTest::newRow("network error") << -902 << qint64(335544721) << int(keLostConnect);
    QTest::newRow("network code, other sqlcode") << -901 << qint64(335544721) << int(keOther);
    QTest::newRow("no privilege") << -551 << qint64(335544352) << int(keSecurity);
    QTest::newRow("check") << -297 << qint64(335544558) << int(keCheck);
    QTest::newRow("primary key") << -803 << qint64(335544665) << int(keUniqueViolation);
    QTest::newRow("unique index") << -803 << qint64(335544349) << int(keUniqueViolation);
    QTest::newRow("-803 with another code") << -803 << qint64(335544321) << int(keOther);
    QTest::newRow("not null") << -625 << qint64(335544347) << int(keOther);
    QTest::newRow("truncation") << -802 << qint64(335544321) << int(keOther);
    QTest::newRow("missing file") << -902 << qint64(335544344) << int(keOther);
}

void TestDbError::classify()
{
    QFETCH(int, sqlCode);
    QFETCH(qint64, gds);
    QFETCH(int, kind);
    QCOMPARE(int(ClassifyDbError(sqlCode, gds)), kind);
}

void TestDbError::texts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("shown");
    const QString m = QStringLiteral("msg");
    QTest::newRow("none") << int(keNoError) << QStringLiteral("\r\nCODE:42");
    QTest::newRow("exception") << int(keException)
                               << QStringLiteral("ユーザー定義例外: msg\r\nCODE:42");
    QTest::newRow("fk") << int(keForeignKey) << QStringLiteral("外部キー違反です。\r\nCODE:42");
    QTest::newRow("lost") << int(keLostConnect)
                          << QStringLiteral("DBとの接続が途切れました。\r\nCODE:42");
    QTest::newRow("security") << int(keSecurity) << QStringLiteral("権限がありません。\r\nCODE:42");
    QTest::newRow("check") << int(keCheck) << QStringLiteral("CHECK違反: msg\r\nCODE:42");
    QTest::newRow("unique") << int(keUniqueViolation)
                            << QStringLiteral("キーが重複しています。\r\nCODE:42");
    QTest::newRow("other") << int(keOther)
                           << QStringLiteral("エラーが発生しました: msg\r\nCODE:42");
}

void TestDbError::texts()
{
    QFETCH(int, kind);
    QFETCH(QString, shown);
    QCOMPARE(DbErrorDisplayText(TFIBErrorKind(kind), QStringLiteral("msg"), 42), shown);
    const EDatabaseError e(TFIBErrorKind(kind), 42, -1, QStringLiteral("msg"));
    QCOMPARE(e.displayText(), shown);
}

void TestDbError::unknownKind()
{
    QCOMPARE(DbErrorKindText(TFIBErrorKind(99), QStringLiteral("x")),
             QStringLiteral("不明な例外が発生しました: x"));
}

QTEST_APPLESS_MAIN(TestDbError)
#include "tst_dberror.moc"
