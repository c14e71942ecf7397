#include "db/BlobCodec.h"
#include "db/DBModFusen.h"
#include "db/FbServices.h"
#include "support/TestDatabase.h"
#include "support/TestPlatform.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <atomic>
#include <thread>

// The connection module against real databases restored from the initial
// backup: units of work, errors as the user sees them, blobs, texts, threads.
class TestDbModule : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void embeddedIsForced();
    void nestedUnitsOfWork_data();
    void nestedUnitsOfWork();
    void savepointNames();
    void commitWorkWithEmptyStack();
    void retainingCommitVisibleElsewhere();
    void outermostRollbackUndoesSinceLastCommit();
    void disconnectCommitsOpenWork();
    void connectAgainKeepsOpenWork();

    void errorKinds_data();
    void errorKinds();
    void securityError();
    void lostConnectionToServer();
    void lostConnectionByShutdown();
    void missingClientLibrary_data();
    void missingClientLibrary();

    void compressedBlob_data();
    void compressedBlob();
    void corruptCompressedBlob();
    void textBlob();
    void generators();
    void textLengths_data();
    void textLengths();
    void fourByteCharacter();
    void nullConventions();
    void parameterKinds();
    void fieldAndParamNames();
    void cursorPagesRowByRow();

    void workerThreadWritesAtOnce();
    void servicesBackupRestoreSweep();

private:
    TestPlatform* P = nullptr;
    int countTitles(TdbmNotes& m, const QString& like);
    void insertNote(TdbmNotes& m, const QString& title);
};

void TestDbModule::init()
{
    P = new TestPlatform;
}

void TestDbModule::cleanup()
{
    delete P;
    P = nullptr;
}

int TestDbModule::countTitles(TdbmNotes& m, const QString& like)
{
    TDbQuery q(m.ReadTransaction(), {"select count(*) from FUSEN where TITLE like :T"});
    q.setParam("T", like);
    q.open();
    q.next();
    return q.field(0).asInt();
}

void TestDbModule::insertNote(TdbmNotes& m, const QString& title)
{
    TDbQuery q(m.UpdateTransaction(), {"insert into FUSEN (USERID, FTYPE, FGROUP, TITLE, STIME)",
                                       "values ('u', 1, 0, :TITLE, current_timestamp)"});
    q.setParam("TITLE", title);
    q.execute();
    QCOMPARE(q.rowsAffected(), 1);
}

void TestDbModule::embeddedIsForced()
{
    TestDatabase db;
    // NULL protocol: the engine in this process, not a server over loopback
    QCOMPARE(db.scalar({"select coalesce(MON$REMOTE_PROTOCOL, 'EMBEDDED') from MON$ATTACHMENTS",
                        "where MON$ATTACHMENT_ID = current_connection"}),
             QStringLiteral("EMBEDDED"));
    QVERIFY(db.module().IsConnected());
    QVERIFY(db.module().ReadTransaction().isActive());
    QVERIFY(!db.module().UpdateTransaction().isActive());
}

void TestDbModule::nestedUnitsOfWork_data()
{
    // Three nested units insert A, B, C; the unit at rollbackDepth (1-3, 0 =
    // none) rolls back, the others commit, innermost first.
    QTest::addColumn<int>("rollbackDepth");
    QTest::addColumn<QString>("survivors");
    QTest::newRow("all commit") << 0 << "ABC";
    QTest::newRow("innermost rolls back") << 3 << "AB";
    QTest::newRow("middle rolls back, taking the released inner") << 2 << "A";
    QTest::newRow("outermost rolls back") << 1 << "";
}

void TestDbModule::nestedUnitsOfWork()
{
    QFETCH(int, rollbackDepth);
    QFETCH(QString, survivors);
    TestDatabase db;
    TdbmNotes& m = db.module();
    const QString names = QStringLiteral("ABC");
    for (int depth = 1; depth <= 3; ++depth) {
        m.BeginWork();
        insertNote(m, QStringLiteral("nest-") + names[depth - 1]);
    }
    for (int depth = 3; depth >= 1; --depth) {
        if (depth == rollbackDepth)
            m.RollbackWork();
        else
            m.CommitWork();
    }
    QVERIFY(m.Savepoints().isEmpty());
    // What is left is committed: another attachment sees exactly the survivors.
    auto other = m.OpenAttachment();
    TDbTransaction tr(*other, TDbTransaction::Mode::NoWait);
    TDbQuery q(tr, {"select TITLE from FUSEN where TITLE like 'nest-%' order by TITLE"});
    q.open();
    QString seen;
    while (q.next())
        seen += q.field("TITLE").asString().mid(5);
    QCOMPARE(seen, survivors);
    QVERIFY(P->errors.isEmpty());
}

void TestDbModule::savepointNames()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    m.BeginWork();
    m.BeginWork();
    m.BeginWork();
    QCOMPARE(m.Savepoints(), (QStringList{"Start Transaction", "dbmNotes1", "dbmNotes2"}));
    m.CommitWork();
    QCOMPARE(m.Savepoints(), (QStringList{"Start Transaction", "dbmNotes1"}));
    m.BeginWork(); // the name is taken from the depth again
    QCOMPARE(m.Savepoints().last(), QStringLiteral("dbmNotes2"));
    m.CommitAll();
    QVERIFY(m.Savepoints().isEmpty());
    QVERIFY(m.UpdateTransaction().isActive()); // retaining keeps it
}

void TestDbModule::commitWorkWithEmptyStack()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    m.CommitWork(); // nothing active: nothing happens
    QVERIFY(!m.UpdateTransaction().isActive());
    QVERIFY(m.Savepoints().isEmpty());

    insertNote(m, QStringLiteral("loose")); // starts the update transaction
    m.CommitWork();
    QVERIFY(m.UpdateTransaction().isActive());
    QCOMPARE(countTitles(m, QStringLiteral("loose")), 1);
}

void TestDbModule::retainingCommitVisibleElsewhere()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    auto other = m.OpenAttachment();
    TDbTransaction otherRead(*other, TDbTransaction::Mode::NoWait);
    otherRead.start();
    auto countOther = [&] {
        TDbQuery q(otherRead, {"select count(*) from FUSEN where TITLE = 'kept'"});
        q.open();
        q.next();
        return q.field(0).asInt();
    };
    m.BeginWork();
    insertNote(m, QStringLiteral("kept"));
    QCOMPARE(countOther(), 0);
    QCOMPARE(countTitles(m, QStringLiteral("kept")), 0); // the read transaction neither
    m.CommitWork();
    // read committed transactions started before the commit see it at once
    QCOMPARE(countOther(), 1);
    QCOMPARE(countTitles(m, QStringLiteral("kept")), 1);
    QVERIFY(m.UpdateTransaction().isActive());

    m.SetRetaining(false);
    m.BeginWork();
    insertNote(m, QStringLiteral("kept"));
    m.CommitWork();
    QVERIFY(!m.UpdateTransaction().isActive());
    QCOMPARE(countOther(), 2);
}

void TestDbModule::outermostRollbackUndoesSinceLastCommit()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    m.BeginWork();
    insertNote(m, QStringLiteral("first"));
    m.CommitWork();
    m.BeginWork();
    insertNote(m, QStringLiteral("second"));
    m.RollbackWork();
    QVERIFY(m.UpdateTransaction().isActive());
    QCOMPARE(countTitles(m, QStringLiteral("first")), 1);
    QCOMPARE(countTitles(m, QStringLiteral("second")), 0);
    TDbQuery q(m.UpdateTransaction(), {"select count(*) from FUSEN where TITLE = 'second'"});
    q.open();
    q.next();
    QCOMPARE(q.field(0).asInt(), 0);
}

void TestDbModule::disconnectCommitsOpenWork()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    m.BeginWork();
    m.BeginWork();
    insertNote(m, QStringLiteral("unfinished"));
    m.Disconnect();
    QCOMPARE(P->messages, QStringList{"dbmNotes: トランザクションがコミットされていません"});
    QVERIFY(!m.IsConnected());
    QVERIFY(m.Savepoints().isEmpty());
    m.Disconnect(); // harmless again
    QCOMPARE(P->messages.size(), 1);
    m.Connect();
    QCOMPARE(countTitles(m, QStringLiteral("unfinished")), 1);
}

void TestDbModule::connectAgainKeepsOpenWork()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    m.BeginWork();
    insertNote(m, QStringLiteral("pending"));
    m.Connect(); // already connected: must not re-attach and lose the work
    m.CommitWork();
    QCOMPARE(countTitles(m, QStringLiteral("pending")), 1);
}

void TestDbModule::errorKinds_data()
{
    QTest::addColumn<QStringList>("sql");
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint64>("code");
    QTest::addColumn<QString>("shownStart");
    QTest::newRow("duplicate key")
        << QStringList{"insert into FUSENTYPE (IDKEY, LABEL, INITVAL, SSPAN, SVAL, EVAL, ESPAN, "
                       "CLOSEVAL)",
                       "values (1, 'dup', 1, 1, 1, 1, 1, 1)"}
        << int(keUniqueViolation) << qint64(335544665)
        << "キーが重複しています。\r\nCODE:335544665";
    QTest::newRow("foreign key on insert")
        << QStringList{"insert into FUSEN (USERID, FTYPE, FGROUP) values ('u', 999, 0)"}
        << int(keForeignKey) << qint64(335544466) << "外部キー違反です。\r\nCODE:335544466";
    QTest::newRow("type in use cannot be deleted")
        << QStringList{"insert into FUSEN (USERID, FTYPE, FGROUP) values ('u', 2, 0);"}
        << int(keForeignKey) << qint64(335544466) << "外部キー違反です。\r\nCODE:335544466";
    QTest::newRow("check") << QStringList{"update FUSENTYPE set INITVAL = 0 where IDKEY = 1"}
                           << int(keCheck) << qint64(335544558) << "CHECK違反: ";
    // a domain's check is a validation error to the engine, not a CHECK
    QTest::newRow("flag other than 0 or 1")
        << QStringList{"update FUSENGROUP set VISIBLE = 2 where IDKEY = 0"} << int(keOther)
        << qint64(335544347) << "エラーが発生しました: validation error";
    QTest::newRow("user exception")
        << QStringList{"delete from FUSENGROUP where IDKEY = 0"} << int(keException)
        << qint64(335544517) << "ユーザー定義例外: ";
    QTest::newRow("conversion") << QStringList{"select cast('x' as integer) from rdb$database"}
                                << int(keOther) << qint64(335544334) << "エラーが発生しました: ";
    QTest::newRow("syntax") << QStringList{"selec 1 from rdb$database"} << int(keOther)
                            << qint64(335544569) << "エラーが発生しました: ";
}

void TestDbModule::errorKinds()
{
    QFETCH(QStringList, sql);
    QFETCH(int, kind);
    QFETCH(qint64, code);
    QFETCH(QString, shownStart);
    TestDatabase db;
    TdbmNotes& m = db.module();
    if (QString(QTest::currentDataTag()) == u"type in use cannot be deleted") {
        db.exec(sql);
        sql = QStringList{"delete from FUSENTYPE where IDKEY = 2"};
    }
    m.BeginWork();
    try {
        TDbQuery q(m.UpdateTransaction(), sql);
        q.execute();
        while (q.next()) {
        }
        QFAIL("no error");
    } catch (const EDatabaseError& e) {
        m.RollbackWork();
        QCOMPARE(int(e.kind()), kind);
        QCOMPARE(e.gdsCode(), code);
        QCOMPARE(P->errors.size(), 1);
        QCOMPARE(P->errors.first(), e.displayText());
        QVERIFY2(P->errors.first().startsWith(shownStart), qPrintable(P->errors.first()));
        QVERIFY(P->errors.first().endsWith(QStringLiteral("\r\nCODE:") + QString::number(code)));
        if (kind == keException)
            QVERIFY2(e.message().contains(QStringLiteral("グループ0は削除できません")),
                     qPrintable(e.message()));
    }
    // the module is still usable
    QCOMPARE(db.scalar({"select count(*) from FUSENGROUP where IDKEY = 0"}), QStringLiteral("1"));
}

void TestDbModule::securityError()
{
    TestDatabase db;
    TdbmNotes guest;
    guest.SetServer(QString());
    guest.SetDBFile(db.path());
    guest.SetUserName(QStringLiteral("KWILGUEST")); // embedded: no password check,
    guest.Connect();                                // but SQL privileges apply
    try {
        TDbQuery q(guest.ReadTransaction(), {"select count(*) from FUSEN"});
        q.open();
        QFAIL("no error");
    } catch (const EDatabaseError& e) {
        QCOMPARE(int(e.kind()), int(keSecurity));
        QCOMPARE(P->errors, QStringList{"権限がありません。\r\nCODE:335544352"});
    }
}

void TestDbModule::lostConnectionToServer()
{
    TdbmNotes m;
    m.SetServer(QStringLiteral("127.0.0.1/1")); // nothing listens on port 1
    m.SetDBFile(QStringLiteral("/nonexistent/KWIL.FDB"));
    m.SetUserName(QStringLiteral("SYSDBA"));
    m.SetPassword(QStringLiteral("x"));
    try {
        m.Connect();
        QFAIL("connected");
    } catch (const EDatabaseError& e) {
        QCOMPARE(int(e.kind()), int(keLostConnect));
        QCOMPARE(e.gdsCode(), qint64(335544721));
    }
    QCOMPARE(P->errors, QStringList{"DBとの接続が途切れました。\r\nCODE:335544721"});
    QVERIFY(!m.IsConnected());
}

namespace {
// Shuts the database down (full, forced at once) through the services, the
// way an administrator's gfix -shut would.
void shutdownDatabase(const QString& path)
{
    using namespace Firebird;
    TFbClient& c = TFbClient::load(QStringLiteral("libfbclient.so.2"));
    IStatus* raw = c.master()->getStatus();
    TFbStatus st(raw);
    IXpbBuilder* spb = c.util()->getXpbBuilder(&st, IXpbBuilder::SPB_ATTACH, nullptr, 0);
    spb->insertString(&st, isc_spb_user_name, "SYSDBA");
    IService* svc = c.provider()->attachServiceManager(
        &st, "service_mgr", spb->getBufferLength(&st), spb->getBuffer(&st));
    spb->dispose();
    QVERIFY2(!failed(st), qPrintable(c.formatStatus(&st)));
    IXpbBuilder* start = c.util()->getXpbBuilder(&st, IXpbBuilder::SPB_START, nullptr, 0);
    start->insertTag(&st, isc_action_svc_properties);
    start->insertString(&st, isc_spb_dbname, QFile::encodeName(path).constData());
    const unsigned char mode = isc_spb_prp_sm_full;
    start->insertBytes(&st, isc_spb_prp_shutdown_mode, &mode, 1);
    start->insertInt(&st, isc_spb_prp_force_shutdown, 0);
    svc->start(&st, start->getBufferLength(&st), start->getBuffer(&st));
    start->dispose();
    QVERIFY2(!failed(st), qPrintable(c.formatStatus(&st)));
    const unsigned char items[] = {isc_info_svc_line};
    unsigned char out[1024];
    svc->query(&st, 0, nullptr, sizeof items, items, sizeof out, out);
    svc->detach(&st);
    raw->dispose();
}
} // namespace

void TestDbModule::lostConnectionByShutdown()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    shutdownDatabase(db.path());
    try {
        TDbQuery q(m.ReadTransaction(), {"select count(*) from FUSEN"});
        q.open();
        q.next();
        QFAIL("the attachment survived the shutdown");
    } catch (const EDatabaseError& e) {
        QCOMPARE(int(e.kind()), int(keLostConnect));
        QCOMPARE(e.gdsCode(), qint64(335544856)); // connection shutdown
    }
    QCOMPARE(P->errors, QStringList{"DBとの接続が途切れました。\r\nCODE:335544856"});
    P->clear();
    try {
        m.Disconnect(); // may fail on the dead attachment, but must let go of it
    } catch (const EDatabaseError&) {
    }
    QVERIFY(!m.IsConnected());
}

void TestDbModule::missingClientLibrary_data()
{
    QTest::addColumn<QString>("library");
    QTest::newRow("no such file") << "libkwil-no-such-client.so";
    QTest::newRow("not a firebird client") << "libz.so.1";
    QTest::newRow("empty setting") << "";
}

void TestDbModule::missingClientLibrary()
{
    QFETCH(QString, library);
    TestDatabase db(false);
    TdbmNotes& m = db.module();
    m.SetClientLibrary(library);
    try {
        m.Connect();
        QFAIL("connected");
    } catch (const EDatabaseError& e) {
        QCOMPARE(int(e.kind()), int(keOther));
    }
    QCOMPARE(P->errors.size(), 1);
    const QString shown = P->errors.first();
    QVERIFY2(shown.contains(QStringLiteral("クライアントライブラリ「") + library + u'」'),
             qPrintable(shown));
    QVERIFY(!m.IsConnected());
    // and the module still connects once the setting is right
    m.SetClientLibrary(QStringLiteral("libfbclient.so.2"));
    m.Connect();
    QVERIFY(m.IsConnected());
}

void TestDbModule::compressedBlob_data()
{
    QTest::addColumn<QByteArray>("data");
    QByteArray text;
    for (int i = 0; i < 20000; ++i)
        text += "line " + QByteArray::number(i) + " of a compressible attachment\n";
    QByteArray noise(300000, Qt::Uninitialized);
    QRandomGenerator rng(7);
    for (char& c : noise)
        c = static_cast<char>(rng.bounded(256));
    QTest::newRow("large text, many segments") << text;
    QTest::newRow("incompressible") << noise;
    QTest::newRow("one byte") << QByteArray("x");
    QTest::newRow("empty") << QByteArray();
}

void TestDbModule::compressedBlob()
{
    QFETCH(QByteArray, data);
    TestDatabase db;
    TdbmNotes& m = db.module();
    const int id = m.NextAttachmentID();
    const int note = m.NextFusenID();
    m.BeginWork();
    TDbQuery ins(m.UpdateTransaction(),
                 {"insert into ATTACHMENTS (IDKEY, FILENAME, DATA) values (:IDKEY, :F, :DATA)"});
    ins.setParam("IDKEY", id);
    ins.setParam("F", QStringLiteral("添付.bin"));
    ins.setParam("DATA", data);
    ins.execute();
    db.exec({"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP) values (" + QString::number(note) +
             ", 'u', 1, 0)"});
    TDbQuery link(m.UpdateTransaction(), {"insert into ATTACHLINK values (:N, :A)"});
    link.setParam("N", note);
    link.setParam("A", id);
    link.execute();
    m.CommitWork();

    TDbQuery q(m.ReadTransaction(),
               {"select IDKEY, FILENAME, DATA from VW_ATTACH", "where FUSENID=:FUSENID"});
    q.setParam("FUSENID", note);
    q.open();
    QVERIFY(q.next());
    QCOMPARE(q.field("IDKEY").asInt(), id);
    QCOMPARE(q.field("FILENAME").asString(), QStringLiteral("添付.bin"));
    QCOMPARE(q.field("DATA").asBytes(), data);
    QVERIFY(!q.next());

    // What the database holds, read past the filter: a zlib stream of it.
    TDbQuery raw(m.ReadTransaction(), {"select DATA from ATTACHMENTS where IDKEY = :I"});
    raw.setBlobFilter(false);
    raw.setParam("I", id);
    raw.open();
    QVERIFY(raw.next());
    const QByteArray stored = raw.field("DATA").asBytes();
    QVERIFY(stored.size() >= 2);
    QCOMPARE(static_cast<unsigned char>(stored[0]), 0x78); // deflate, 32K window
    QCOMPARE((static_cast<unsigned char>(stored[0]) * 256 + static_cast<unsigned char>(stored[1])) %
                 31,
             0);
    QCOMPARE(static_cast<unsigned char>(stored[1]), 0x9C); // level 6
    QCOMPARE(DecompressBlob(stored).value_or(QByteArray("<invalid>")), data);
    if (data.size() > 100000 && data.startsWith("line"))
        QVERIFY(stored.size() < data.size() / 4);
}

void TestDbModule::corruptCompressedBlob()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    m.BeginWork();
    TDbQuery ins(m.UpdateTransaction(),
                 {"insert into ATTACHMENTS (IDKEY, DATA) values (1, :DATA)"});
    ins.setBlobFilter(false); // store bytes that are no zlib stream
    ins.setParam("DATA", QByteArray("not compressed"));
    ins.execute();
    m.CommitWork();
    TDbQuery q(m.ReadTransaction(), {"select DATA from ATTACHMENTS"});
    q.open();
    QVERIFY(q.next());
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.field("DATA").asBytes());
    QCOMPARE(P->errors.size(), 1);
}

void TestDbModule::textBlob()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    QString memo;
    for (int i = 0; i < 5000; ++i)
        memo += QStringLiteral("本文の%1行目 😀\r\n").arg(i);
    m.BeginWork();
    TDbQuery ins(
        m.UpdateTransaction(),
        {"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP, MEMO) values (7, 'u', 1, 0, :MEMO)"});
    ins.setParam("MEMO", memo);
    ins.execute();
    m.CommitWork();
    TDbQuery q(m.ReadTransaction(), {"select MEMO from VW_FUSEN where IDKEY = 7"});
    q.open();
    QVERIFY(q.next());
    QCOMPARE(q.field("MEMO").asString(), memo);
    QCOMPARE(q.field("MEMO").value().toString(), memo);
    // The list search works on it as the list window writes it.
    TDbQuery s(m.ReadTransaction(),
               {"select count(*) from VW_FUSEN where UPPER(MEMO) like UPPER(:SEARCH)"});
    s.setParam("SEARCH", QStringLiteral("%4999行目%"));
    s.open();
    s.next();
    QCOMPARE(s.field(0).asInt(), 1);
}

void TestDbModule::generators()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    const int a = m.NextFusenID();
    const int b = m.NextFusenID();
    QCOMPARE(b, a + 1);
    const int x = m.NextAttachmentID();
    QCOMPARE(m.NextAttachmentID(), x + 1);
    // A note inserted without a key draws from the same generator.
    db.exec({"insert into FUSEN (USERID, FTYPE, FGROUP) values ('feed', 1, 0)"});
    QCOMPARE(db.scalar({"select IDKEY from FUSEN where USERID = 'feed'"}), QString::number(b + 1));
    QCOMPARE(m.NextFusenID(), b + 2);
    // A rolled back unit of work does not give a value back.
    m.BeginWork();
    const int c = m.NextFusenID();
    m.RollbackWork();
    QCOMPARE(m.NextFusenID(), c + 1);
}

void TestDbModule::textLengths_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("fits");
    const QString title = QStringLiteral("update FUSEN set TITLE = :V where IDKEY = 1");
    const QString passwd = QStringLiteral("update RSSCONFIG set PASSWD = :V");
    const QString label = QStringLiteral("update FUSENTYPE set LABEL = :V where IDKEY = 1");
    QTest::newRow("title 255 ascii") << title << QString(255, u'a') << true;
    QTest::newRow("title 256 ascii") << title << QString(256, u'a') << false;
    QTest::newRow("title 255 kanji") << title << QString(255, u'漢') << true;
    QTest::newRow("title 256 kanji") << title << QString(256, u'漢') << false;
    QTest::newRow("label 60") << label << QString(60, u'ラ') << true;
    QTest::newRow("label 61") << label << QString(61, u'ラ') << false;
    QTest::newRow("password 80") << passwd << QString(80, u'A') << true;
    QTest::newRow("password 81") << passwd << QString(81, u'A') << false;
    QTest::newRow("search pattern as long as the column")
        << QStringLiteral("select count(*) from FUSEN where TITLE like :V") << QString(255, u'%')
        << true;
}

void TestDbModule::textLengths()
{
    QFETCH(QString, sql);
    QFETCH(QString, value);
    QFETCH(bool, fits);
    TestDatabase db;
    TdbmNotes& m = db.module();
    db.exec({"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP) values (1, 'u', 1, 0)"});
    m.BeginWork();
    TDbQuery q(m.UpdateTransaction(), {sql});
    q.setParam("V", value);
    if (fits) {
        q.execute();
        m.CommitWork();
        QVERIFY(P->errors.isEmpty());
        if (sql.contains(u"TITLE ="))
            QCOMPARE(db.scalar({"select TITLE from FUSEN where IDKEY = 1"}), value);
        return;
    }
    try {
        q.execute();
        QFAIL("accepted");
    } catch (const EDatabaseError& e) {
        m.RollbackWork();
        QCOMPARE(e.gdsCode(), qint64(335544321));
        QCOMPARE(int(e.kind()), int(keOther));
    }
    QCOMPARE(P->errors.size(), 1);
    QVERIFY(P->errors.first().startsWith(QStringLiteral("エラーが発生しました: ")));
    QVERIFY(P->errors.first().endsWith(QStringLiteral("\r\nCODE:335544321")));
    QCOMPARE(db.scalar({"select count(*) from FUSEN where TITLE is not null"}),
             QStringLiteral("0"));
}

void TestDbModule::fourByteCharacter()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    const QString title = QStringLiteral("絵文字😀付き");
    m.BeginWork();
    TDbQuery q(m.UpdateTransaction(), {"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP, TITLE)",
                                       "values (3, :U, 1, 0, :T)"});
    q.setParam("U", QStringLiteral("ユーザー😀"));
    q.setParam("T", title);
    q.execute();
    m.CommitWork();
    TDbQuery r(m.ReadTransaction(),
               {"select TITLE, USERID, octet_length(TITLE) as N from VW_FUSEN where IDKEY = 3"});
    r.open();
    QVERIFY(r.next());
    QCOMPARE(r.field("TITLE").asString(), title);
    QCOMPARE(r.field("TITLE").asBytes(), title.toUtf8()); // F0 9F 98 80 kept whole
    QCOMPARE(r.field("N").asInt(), static_cast<int>(title.toUtf8().size()));
    QCOMPARE(r.field("USERID").asString(), QStringLiteral("ユーザー😀"));
}

void TestDbModule::nullConventions()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    db.exec({"insert into FUSEN (IDKEY) values (9)"});
    TDbQuery q(
        m.ReadTransaction(),
        {"select TITLE, MEMO, STIME, ETIME, P_TOP, COMPLETED, ANCHOR, GUID, TYPENAME,",
         "  2 as TWO, 1 as ONE, -1 as MINUS, 1.0e0 as ONE_D, cast(null as double precision) as ND",
         "from VW_FUSEN where IDKEY = 9"});
    q.open();
    QVERIFY(q.next());
    QVERIFY(q.isNull("TITLE"));
    QCOMPARE(q.field("TITLE").asString(), QString());
    QCOMPARE(q.field("MEMO").asString(), QString());
    QCOMPARE(q.field("MEMO").asBytes(), QByteArray());
    QCOMPARE(q.field("STIME").asDateTime(), TDateTime());
    QCOMPARE(q.field("ETIME").asDateTime().value, 0.0);
    QCOMPARE(q.field("P_TOP").asInt(), 0);
    QVERIFY(!q.field("P_TOP").value().isValid());
    QVERIFY(!q.field("ANCHOR").asBool());
    QCOMPARE(q.field("COMPLETED").asInt(), 0); // the domain's default
    QVERIFY(!q.isNull("COMPLETED"));
    QVERIFY(q.isNull("GUID"));
    QVERIFY(q.isNull("TYPENAME")); // the note has no type: still listed
    QVERIFY(!q.field("TWO").asBool());
    QVERIFY(q.field("ONE").asBool());
    QVERIFY(!q.field("MINUS").asBool());
    QVERIFY(q.field("ONE_D").asBool());
    QCOMPARE(q.field("ND").asDouble(), 0.0);
    QVERIFY(!q.next());
    QVERIFY(q.field("ONE").isNull()); // no current row
}

void TestDbModule::parameterKinds()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    const TDateTime stime = TDateTime::fromDate(2026, 3, 14, 15, 9, 26, 535);
    m.BeginWork();
    TDbQuery ins(m.UpdateTransaction(),
                 {"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP, TITLE, STIME, ETIME, P_TOP,",
                  " P_LEFT, ANCHOR, COMPLETED, GUID)",
                  "values (:IDKEY, :USERID, :FTYPE, 0, :TITLE, :STIME, :ETIME, :P_TOP, :P_LEFT,",
                  " :ANCHOR, :COMPLETED, :GUID)", "returning IDKEY, STIME"});
    ins.setParam("IDKEY", qint64(11));
    ins.setParam("USERID", "ascii");
    ins.setParam("FTYPE", QStringLiteral("2")); // text into an integer column
    ins.setParam("TITLE", 12.5);                // a number into a text column
    ins.setParam("STIME", stime);
    ins.setParam("ETIME", TDateTime()); // 1899-12-30 00:00: no end
    ins.setParam("P_TOP", -20);
    ins.setParam("P_LEFT", 2.6); // rounded by the engine
    ins.setParam("ANCHOR", true);
    ins.setParam("COMPLETED", false);
    ins.setNull("GUID");
    ins.execute();
    QVERIFY(ins.hasRow());
    QCOMPARE(ins.field("IDKEY").asInt(), 11);
    QCOMPARE(ins.field("STIME").asDateTime(), stime);
    m.CommitWork();

    TDbQuery q(m.ReadTransaction(), {"select * from VW_FUSEN where IDKEY = :ID and USERID = :ID2"});
    q.setParamAt(0, 11);
    q.setParamAt(1, QStringLiteral("ascii"));
    q.open();
    QVERIFY(q.next());
    QCOMPARE(q.field("FTYPE").asInt(), 2);
    QCOMPARE(q.field("TYPENAME").asString(), QStringLiteral("締め切り"));
    QCOMPARE(q.field("TITLE").asDouble(), 12.5);
    QCOMPARE(q.field("STIME").asDateTime(), stime);
    QCOMPARE(q.field("STIME").value().toDateTime(), stime.toQDateTime());
    QVERIFY(!q.isNull("ETIME"));
    QCOMPARE(q.field("ETIME").asDateTime(), TDateTime());
    QCOMPARE(q.field("P_TOP").asInt(), -20);
    QCOMPARE(q.field("P_LEFT").asInt(), 3);
    QVERIFY(q.field("ANCHOR").asBool());
    QVERIFY(!q.field("COMPLETED").asBool());
    QVERIFY(q.isNull("GUID"));
    QCOMPARE(q.field("BGCOLOR").asInt(), 13158655); // the type's colour

    // 64-bit values pass whole; the generator narrows only in NextFusenID
    TDbQuery big(m.ReadTransaction(), {"select cast(:B as bigint) + 1 from rdb$database"});
    big.setParam("B", qint64(1) << 40);
    big.open();
    QVERIFY(big.next());
    QCOMPARE(big.field(0).asInt64(), (qint64(1) << 40) + 1);
}

void TestDbModule::fieldAndParamNames()
{
    TestDatabase db;
    TDbQuery q(
        db.module().ReadTransaction(),
        {"select IDKEY as \"Key\", LABEL from FUSENTYPE where IDKEY = :id and IDKEY <> :Other"});
    QCOMPARE(q.paramNames(), (QStringList{"ID", "OTHER"}));
    QVERIFY(q.hasParam("Id"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, q.setParam("NOPE", 1));
    q.setParam("ID", 1);
    q.setParam("other", 2);
    q.open();
    QVERIFY(q.next());
    QCOMPARE(q.fieldCount(), 2);
    QCOMPARE(q.fieldName(0), QStringLiteral("Key"));
    QCOMPARE(q.field("key").asInt(), 1);
    QCOMPARE(q.field("label").asString(), QStringLiteral("標準"));
    QCOMPARE(q.fieldIndex("missing"), -1);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, q.field("missing"));
    // unset parameters are NULL
    q.clearParams();
    q.open();
    QVERIFY(!q.next());
}

void TestDbModule::cursorPagesRowByRow()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    db.exec({"execute block as declare i int = 0; begin", "  while (i < 3000) do begin",
             "    insert into FUSEN (USERID, FTYPE, FGROUP, TITLE, STIME)",
             "    values ('u', 1, 0, 'row ' || :i, dateadd(:i minute to timestamp '2026-01-01'));",
             "    i = i + 1;", "  end", "end"});
    TDbQuery q(m.ReadTransaction(), {"select IDKEY, TITLE, MEMO, PRIORITY from VW_FUSEN",
                                     "where USERID = :U order by STIME"});
    q.setParam("U", "u");
    q.open();
    int n = 0;
    while (q.next()) {
        QCOMPARE(q.field("TITLE").asString(), QStringLiteral("row %1").arg(n));
        ++n;
        if (n == 100)
            break; // a page: the rest is never fetched
    }
    QCOMPARE(n, 100);
    QVERIFY(q.isOpen());
    q.close();
    q.open(); // re-executes from the start
    n = 0;
    while (q.next())
        ++n;
    QCOMPARE(n, 3000);
    QVERIFY(!q.isOpen());
}

void TestDbModule::workerThreadWritesAtOnce()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    std::unique_ptr<TDbConnection> worker = m.OpenAttachment();
    QVERIFY(worker->attachmentId() != m.Database().attachmentId());
    std::atomic<bool> holding{false};
    std::atomic<bool> release{false};
    std::atomic<int> workerRows{0};
    QString workerError;
    // The worker holds an open write transaction (as a feed run does while it
    // fetches) and keeps inserting; the main thread must not wait for it.
    std::thread t([&] {
        try {
            TDbTransaction tr(*worker, TDbTransaction::Mode::NoWait);
            TDbQuery ins(tr, {"insert into FUSEN (USERID, FTYPE, FGROUP, TITLE, GUID)",
                              "values ('feed', 5, 0, :T, :G)"});
            int i = 0;
            while (!release.load() || i < 200) {
                ins.setParam("T", QStringLiteral("item %1").arg(i));
                ins.setParam("G", QStringLiteral("http://example.invalid/%1").arg(i));
                ins.execute();
                ++i;
                holding = true;
            }
            tr.commit();
            workerRows = i;
        } catch (const EDatabaseError& e) {
            workerError = e.message();
        }
    });
    while (!holding.load())
        std::this_thread::yield();
    QElapsedTimer total;
    total.start();
    qint64 slowest = 0;
    for (int i = 0; i < 100; ++i) {
        QElapsedTimer one;
        one.start();
        m.BeginWork();
        insertNote(m, QStringLiteral("main %1").arg(i));
        TDbQuery upd(m.UpdateTransaction(), {"update FUSENGROUP set VISIBLE = 1 where IDKEY = 0"});
        upd.execute();
        m.CommitWork();
        QCOMPARE(countTitles(m, QStringLiteral("main %1").arg(i)), 1);
        slowest = std::max(slowest, one.elapsed());
    }
    release = true;
    t.join();
    QVERIFY2(workerError.isEmpty(), qPrintable(workerError));
    QVERIFY(workerRows.load() >= 200);
    // A lock wait on a shared attachment lasts the deadlock timeout (10 s).
    QVERIFY2(slowest < 2000, qPrintable(QString::number(slowest)));
    QCOMPARE(db.scalar({"select count(*) from FUSEN where USERID = 'feed'"}),
             QString::number(workerRows.load()));
    QVERIFY(P->errors.isEmpty()); // the worker's attachment shows nothing
}

void TestDbModule::servicesBackupRestoreSweep()
{
    TestDatabase db;
    TdbmNotes& m = db.module();
    m.BeginWork();
    insertNote(m, QStringLiteral("saved"));
    m.CommitWork();
    TServiceParams sp;
    sp.userName = m.GetUserName();
    sp.password = m.GetPassword();
    const QString backup = db.folder() + QStringLiteral("/KWIL_E.FBK");
    // while the program holds the database, as at exit
    FbServices::Backup(sp, m.DBPath(), backup);
    QVERIFY(QFileInfo(backup).size() > 0);
    FbServices::Backup(sp, m.DBPath(), backup); // replaces the previous one

    const QString restored = db.folder() + QStringLiteral("/RESTORED.FDB");
    FbServices::Restore(sp, backup, restored);
    {
        TdbmNotes r;
        r.SetServer(QString());
        r.SetDBFile(restored);
        r.SetUserName(QStringLiteral("SYSDBA"));
        r.Connect();
        QCOMPARE(countTitles(r, QStringLiteral("saved")), 1);
        r.Disconnect();
    }
    try {
        FbServices::Restore(sp, backup, restored);
        QFAIL("restored over an existing database");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("already exists")), qPrintable(e.message()));
    }
    try {
        FbServices::Backup(sp, db.folder() + QStringLiteral("/MISSING.FDB"),
                           db.folder() + QStringLiteral("/M.FBK"));
        QFAIL("backed up a missing database");
    } catch (const EDatabaseError& e) {
        QVERIFY(!e.message().isEmpty());
    }
    try {
        FbServices::Restore(sp, db.folder() + QStringLiteral("/NONE.FBK"),
                            db.folder() + QStringLiteral("/N.FDB"));
        QFAIL("restored a missing backup");
    } catch (const EDatabaseError& e) {
        QVERIFY(!e.message().isEmpty());
    }
    FbServices::Sweep(sp, m.DBPath());
    QCOMPARE(countTitles(m, QStringLiteral("saved")), 1);
    QVERIFY(P->errors.isEmpty()); // the services show nothing themselves
}

QTEST_GUILESS_MAIN(TestDbModule)
#include "tst_dbmodule.moc"
