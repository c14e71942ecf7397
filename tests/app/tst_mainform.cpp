#include "app/Main.h"
#include "db/DBModFusen.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "support/TestDatabase.h"
#include "support/TestPlatform.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A program folder of its own for each test: the settings file, the database
// and the backups live there.
class ProgramFolderFixture
{
public:
    ProgramFolderFixture() { TProgramFolder::setOverride(FDir.path()); }
    ~ProgramFolderFixture() { TProgramFolder::setOverride(QString()); }
    QString file(const QString& name) const { return FDir.filePath(name); }
    QString path() const { return FDir.path(); }
    void copyInitialBackup(const QString& as = QStringLiteral("INITIALDB.FBK"),
                           const QDateTime& stamp = QDateTime()) const
    {
        const QString target = file(as);
        QVERIFY(QFile::copy(TestDatabase::initialBackup(), target));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        if (stamp.isValid()) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
        }
    }

private:
    QTemporaryDir FDir;
};

// Records what the timer asks for instead of doing it.
class TickForm : public TMainForm
{
public:
    using TMainForm::TMainForm;
    QStringList calls;
    void StartRssThread(bool reload) override { calls << QStringLiteral("rss:%1").arg(reload); }
    void LoadDesktopNotes(bool arrange, bool beep) override
    {
        calls << QStringLiteral("load:%1:%2").arg(arrange).arg(beep);
    }
    void RefreshNotePriorities() override { calls << QStringLiteral("refresh"); }
};

QString scalar(TdbmNotes& m, const QString& sql)
{
    m.BeginWork();
    TDbQuery q(m.UpdateTransaction(), QStringList{sql});
    q.open();
    const QString v = q.next() ? q.field(0).asString() : QString();
    q.close();
    m.CommitWork();
    return v;
}

// Turns a current database into one made by the first release: no version
// table, no authentication columns, the narrower password domain.
void makeVersion10(TestDatabase& db)
{
    db.exec({"drop table VERINFO"});
    db.exec({"alter table RSSCONFIG drop BASICAUTH, drop USERNAME, drop PASSWD, drop PORT, drop "
             "\"INTERVAL\""});
    db.exec({"drop domain D_PASSWORD"});
    db.exec({"create domain D_PASSWORD as VARCHAR(32) CHARACTER SET ASCII"});
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstStartRestoresTheInitialBackup();
    void missingDatabaseOffersBackupsNewestFirst();
    void pickerCancelledEnds();
    void noBackupAtAllEnds();
    void upgradesAVersion10DatabaseWithOneRestart();
    void versionRowOneZeroOnlyEndsWithDuplicateKey();
    void settingsFileKeepsTheDatabaseBesideTheProgram();
    void backupFileNames_data();
    void backupFileNames();
    void manualBackup();
    void missingBackupFolder();
    void deletesExpiredCompletedNotes_data();
    void deletesExpiredCompletedNotes();
    void tickSchedule();
    void closeHidesExitEnds();
    void exitWaitsForRunningWorker();
    void sessionEndSkipsBackupAndExpiry();
};

void TestMainForm::firstStartRestoresTheInitialBackup()
{
    TestPlatform platform;
    ProgramFolderFixture folder;
    folder.copyInitialBackup();
    TdbmNotes db;
    TMainForm form(db);
    QVERIFY(form.FormCreate());
    QCOMPARE(platform.messages,
             QStringList{QStringLiteral("データベースファイルが初期化されました")});
    QVERIFY(platform.picks.isEmpty());
    QVERIFY(QFile::exists(folder.file(QStringLiteral("KWIL.FDB"))));
    QVERIFY(db.IsConnected());
    QVERIFY(form.TimerM.isActive());
    QCOMPARE(form.TimerM.interval(), 60000);
    // the initial database is current: no upgrade, no restart
    QCOMPARE(scalar(db, QStringLiteral("select count(*) from VERINFO")), QStringLiteral("2"));
    QVERIFY(platform.errors.isEmpty());
}

void TestMainForm::missingDatabaseOffersBackupsNewestFirst()
{
    TestPlatform platform;
    ProgramFolderFixture folder;
    folder.copyInitialBackup(QStringLiteral("KWIL_E.FBK"),
                             QDateTime(QDate(2026, 12, 1), QTime(9, 0)));
    folder.copyInitialBackup(QStringLiteral("KWIL_S.FBK"),
                             QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    platform.answerNextPick(0);
    TdbmNotes db;
    TMainForm form(db);
    QVERIFY(form.FormCreate());
    QCOMPARE(platform.picks.size(), 1);
    const auto& pick = platform.picks.first();
    QCOMPARE(pick.caption, QStringLiteral("復元するファイルを選択してください"));
    QCOMPARE(pick.lines.size(), 2);
    QCOMPARE(pick.lines[0],
             QStringLiteral("2026/12/10 09:00:00 | ") + folder.file(QStringLiteral("KWIL_S.FBK")));
    QCOMPARE(pick.lines[1],
             QStringLiteral("2026/12/01 09:00:00 | ") + folder.file(QStringLiteral("KWIL_E.FBK")));
    QCOMPARE(pick.preselected, 0);
    QCOMPARE(platform.messages,
             QStringList{QStringLiteral("データベースファイルが復元されました")});
    QVERIFY(db.IsConnected());
}

void TestMainForm::pickerCancelledEnds()
{
    TestPlatform platform;
    ProgramFolderFixture folder;
    folder.copyInitialBackup(QStringLiteral("KWIL_E.FBK"));
    platform.answerNextPick(-1);
    TdbmNotes db;
    TMainForm form(db);
    QSignalSpy ended(&form, &TMainForm::terminateRequested);
    QVERIFY(!form.FormCreate());
    QVERIFY(form.endRequested());
    QCOMPARE(ended.size(), 1);
    QCOMPARE(platform.messages,
             QStringList{QStringLiteral("データベースファイルが存在しないため、実行できません")});
    QVERIFY(!db.IsConnected());
    QVERIFY(!form.TimerM.isActive());
    QVERIFY(!QFile::exists(folder.file(QStringLiteral("KWIL.FDB"))));
}

void TestMainForm::noBackupAtAllEnds()
{
    TestPlatform platform;
    ProgramFolderFixture folder;
    TdbmNotes db;
    TMainForm form(db);
    QVERIFY(!form.FormCreate());
    QCOMPARE(platform.messages,
             QStringList{
                 QStringLiteral("データベース復元のためのバックアップファイルが見つかりません")});
    QVERIFY(!db.IsConnected());
}

void TestMainForm::upgradesAVersion10DatabaseWithOneRestart()
{
    TestPlatform platform;
    TestDatabase old;
    makeVersion10(old);
    old.module().Disconnect();
    ProgramFolderFixture folder;
    QVERIFY(QFile::copy(old.path(), folder.file(QStringLiteral("KWIL.FDB"))));

    {
        TdbmNotes db;
        TMainForm form(db);
        QVERIFY(!form.FormCreate());
        QCOMPARE(platform.messages,
                 QStringList{QStringLiteral(
                     "データベースをバージョンアップしました。再起動してください。")});
        QVERIFY(!form.TimerM.isActive());
    }
    platform.clear();
    {
        TdbmNotes db;
        TMainForm form(db);
        QVERIFY(form.FormCreate());
        QVERIFY(platform.messages.isEmpty());
        QVERIFY(platform.errors.isEmpty());
        QCOMPARE(
            scalar(db,
                   QStringLiteral(
                       "select list(VERSION) from (select VERSION from VERINFO order by VERSION)")),
            QStringLiteral("1.0,1.1"));
        QCOMPARE(scalar(db, QStringLiteral("select MEMO from VERINFO where VERSION='1.0'")),
                 QStringLiteral("初期リリース"));
        QCOMPARE(
            scalar(
                db,
                QStringLiteral(
                    "select count(*) from rdb$relation_fields where rdb$relation_name='RSSCONFIG' "
                    "and rdb$field_name in ('BASICAUTH','USERNAME','PASSWD','PORT','INTERVAL')")),
            QStringLiteral("5"));
        QCOMPARE(scalar(db, QStringLiteral("select f.rdb$field_length from rdb$fields f where "
                                           "f.rdb$field_name='D_PASSWORD'")),
                 QStringLiteral("80"));
    }
    platform.clear();
    {
        // and the next start changes nothing
        TdbmNotes db;
        TMainForm form(db);
        QVERIFY(form.FormCreate());
        QCOMPARE(scalar(db, QStringLiteral("select count(*) from VERINFO")), QStringLiteral("2"));
    }
}

void TestMainForm::versionRowOneZeroOnlyEndsWithDuplicateKey()
{
    TestPlatform platform;
    TestDatabase old;
    makeVersion10(old);
    old.exec({"create table VERINFO (VERSION VARCHAR(10) NOT NULL PRIMARY KEY,",
              "UPDTIME TIMESTAMP DEFAULT 'NOW' NOT NULL, MEMO VARCHAR(100))"});
    old.exec({"insert into VERINFO(VERSION,MEMO) values('1.0','初期リリース')"});
    old.module().Disconnect();
    ProgramFolderFixture folder;
    QVERIFY(QFile::copy(old.path(), folder.file(QStringLiteral("KWIL.FDB"))));
    {
        TdbmNotes db;
        TMainForm form(db);
        QVERIFY(!form.FormCreate());
        QVERIFY(form.endRequested());
        QCOMPARE(platform.errors,
                 QStringList{QStringLiteral("キーが重複しています。\r\nCODE:335544665")});
        QVERIFY(!form.TimerM.isActive());
    }
    // the upgrade's earlier statements were rolled back with it
    TdbmNotes db;
    TSettings s;
    LoadIniSettings(s, db, TProgramFolder::settingsFile());
    db.Connect();
    QCOMPARE(
        scalar(db,
               QStringLiteral(
                   "select count(*) from rdb$relation_fields where rdb$relation_name='RSSCONFIG' "
                   "and rdb$field_name='BASICAUTH'")),
        QStringLiteral("0"));
    QCOMPARE(scalar(db, QStringLiteral("select count(*) from VERINFO")), QStringLiteral("1"));
}

void TestMainForm::settingsFileKeepsTheDatabaseBesideTheProgram()
{
    TestPlatform platform;
    ProgramFolderFixture folder;
    {
        QFile f(TProgramFolder::settingsFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[LocalDB]\nPassword=[secret]\n[Mine]\nkeep=1\n");
    }
    TSettings s;
    TdbmNotes db;
    LoadIniSettings(s, db, TProgramFolder::settingsFile());
    QCOMPARE(db.DBFolder(), folder.path());
    QCOMPARE(db.DBFile(), QStringLiteral("KWIL.FDB"));
    QCOMPARE(db.DBName(), folder.file(QStringLiteral("KWIL.FDB")));
    QCOMPARE(db.Server(), QString());
    QCOMPARE(db.GetUserName(), QStringLiteral("SYSDBA"));
    QCOMPARE(db.GetPassword(), QStringLiteral("secret"));
    QVERIFY(SaveIniSettings(s, db, TProgramFolder::settingsFile()));

    TIniFile ini(TProgramFolder::settingsFile());
    QCOMPARE(ini.sections(), (QStringList{"LocalDB", "Mine", "Account", "Params", "DefaultPos",
                                          "Cascade", "Tile"}));
    QCOMPARE(
        ini.readString(QStringLiteral("LocalDB"), QStringLiteral("DBFolder"), QStringLiteral("x")),
        QString());
    const QString stored =
        ini.readString(QStringLiteral("LocalDB"), QStringLiteral("Password"), {});
    QVERIFY(!stored.startsWith(u'['));
    QCOMPARE(ini.readString(QStringLiteral("Mine"), QStringLiteral("keep"), {}),
             QStringLiteral("1"));
    QCOMPARE(ini.readInteger(QStringLiteral("Params"), QStringLiteral("FusenMax"), 0), 20);

    // a database elsewhere keeps its folder in the file
    db.SetDBFolder(QStringLiteral("/data"));
    QVERIFY(SaveIniSettings(s, db, TProgramFolder::settingsFile()));
    TSettings s2;
    TdbmNotes db2;
    LoadIniSettings(s2, db2, TProgramFolder::settingsFile());
    QCOMPARE(db2.DBName(), QStringLiteral("/data/KWIL.FDB"));
    QCOMPARE(db2.GetPassword(), QStringLiteral("secret"));
}

void TestMainForm::backupFileNames_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("backup");
    QTest::newRow("start") << "KWIL.FDB"
                           << "_S"
                           << "KWIL_S.FBK";
    QTest::newRow("exit") << "KWIL.FDB"
                          << "_E"
                          << "KWIL_E.FBK";
    QTest::newRow("manual") << "KWIL.FDB"
                            << ""
                            << "KWIL.FBK";
    QTest::newRow("lower case") << "data.fdb"
                                << "_S"
                                << "data_S.FBK";
    QTest::newRow("no extension") << "notes"
                                  << "_E"
                                  << "notes_E.FBK";
    QTest::newRow("dots in the name") << "my.notes.fdb"
                                      << ""
                                      << "my.notes.FBK";
}

void TestMainForm::backupFileNames()
{
    QFETCH(QString, file);
    QFETCH(QString, suffix);
    QFETCH(QString, backup);
    QCOMPARE(BackupFileName(file, suffix), backup);
}

void TestMainForm::manualBackup()
{
    TestPlatform platform;
    ProgramFolderFixture folder;
    folder.copyInitialBackup();
    TdbmNotes db;
    TMainForm form(db);
    QVERIFY(form.FormCreate());
    platform.clear();
    form.actBackupExecute();
    const QString path = folder.file(QStringLiteral("KWIL.FBK"));
    QCOMPARE(platform.messages, QStringList{QStringLiteral("バックアップ完了 - ") + path});
    QVERIFY(QFileInfo(path).size() > 0);
    // and a second backup of the same name replaces the first
    platform.clear();
    form.actBackupExecute();
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(platform.errors.isEmpty());
}

void TestMainForm::missingBackupFolder()
{
    TestPlatform platform;
    ProgramFolderFixture folder;
    folder.copyInitialBackup();
    TdbmNotes db;
    TMainForm form(db);
    QVERIFY(form.FormCreate());
    platform.clear();
    form.settings().BackupFolder = folder.file(QStringLiteral("no-such-folder"));
    form.actBackupExecute();
    QCOMPARE(platform.messages, QStringList{QStringLiteral("バックアップフォルダが存在しません: ") +
                                            folder.file(QStringLiteral("no-such-folder"))});
    QVERIFY(!QFile::exists(folder.file(QStringLiteral("KWIL.FBK"))));
}

void TestMainForm::deletesExpiredCompletedNotes_data()
{
    QTest::addColumn<int>("autoDelete");
    QTest::addColumn<QString>("remaining"); // titles, in key order
    QTest::newRow("30 days") << 30 << "anchored old,open old,recent";
    QTest::newRow("never")
        << 0 << "old,anchored old,open old,recent,completed yesterday but started long ago";
}

void TestMainForm::deletesExpiredCompletedNotes()
{
    QFETCH(int, autoDelete);
    QFETCH(QString, remaining);
    TestPlatform platform;
    ProgramFolderFixture folder;
    folder.copyInitialBackup();
    TdbmNotes db;
    TMainForm form(db);
    QVERIFY(form.FormCreate());
    const TDateTime now = platform.now();
    struct Note
    {
        const char* title;
        double age; // days since STIME
        int completed, anchor;
    };
    const Note notes[] = {{"old", 31, 1, 0},
                          {"anchored old", 31, 1, 1},
                          {"open old", 31, 0, 0},
                          {"recent", 29, 1, 0},
                          {"completed yesterday but started long ago", 40, 1, 0}};
    int key = 100;
    for (const Note& n : notes) {
        db.BeginWork();
        TDbQuery q(
            db.UpdateTransaction(),
            QStringList{"insert into "
                        "Fusen(IDKEY,USERID,FTYPE,FGROUP,TITLE,STIME,COMPLETED,ANCHOR,COMPTIME)",
                        "values(:K,'DefaultUser',1,0,:T,:S,:C,:A,:CT)"});
        q.setParam(QStringLiteral("K"), key++);
        q.setParam(QStringLiteral("T"), QString::fromUtf8(n.title));
        q.setParam(QStringLiteral("S"), now.addDays(-n.age));
        q.setParam(QStringLiteral("C"), n.completed);
        q.setParam(QStringLiteral("A"), n.anchor);
        q.setParam(QStringLiteral("CT"), now.addDays(-1));
        q.execute();
        db.CommitWork();
    }
    form.settings().AutoDelete = autoDelete;
    form.DeleteExpiredNotes();
    QCOMPARE(scalar(db, QStringLiteral("select list(TITLE) from (select TITLE from Fusen where "
                                       "IDKEY>=100 order by IDKEY)")),
             remaining);
    QVERIFY(db.Savepoints().isEmpty());
}

void TestMainForm::tickSchedule()
{
    TestPlatform platform;
    TdbmNotes db;
    TickForm form(db);
    form.settings().Beep = false;
    for (int i = 0; i < 20; ++i)
        form.TimerMTimer();
    QCOMPARE(form.FTickCount, 20);
    QCOMPARE(form.calls,
             (QStringList{"rss:0", "load:0:0", "refresh", "rss:0", "load:0:0", "refresh"}));
    form.calls.clear();
    form.settings().Beep = true;
    for (int i = 0; i < 5; ++i)
        form.TimerMTimer();
    QCOMPARE(form.calls, (QStringList{"rss:0", "load:0:1"}));
}

void TestMainForm::closeHidesExitEnds()
{
    TestPlatform platform;
    TdbmNotes db;
    TickForm form(db);
    QSignalSpy ended(&form, &TMainForm::terminateRequested);
    form.actShowGridExecute();
    QVERIFY(form.isVisible());
    form.close();
    QVERIFY(!form.isVisible());
    QCOMPARE(ended.size(), 0);
    form.actShowGridExecute();
    form.showMinimized();
    QTRY_VERIFY(!form.isVisible());
    QCOMPARE(ended.size(), 0);
    form.actExitExecute();
    QCOMPARE(ended.size(), 1);
    QVERIFY(form.FExitRequested);
}

void TestMainForm::exitWaitsForRunningWorker()
{
    TestPlatform platform;
    ProgramFolderFixture folder;
    folder.copyInitialBackup();
    TdbmNotes db;
    TMainForm form(db);
    QVERIFY(form.FormCreate());
    form.FRssThreadCount = 1;
    bool workerDone = false;
    QTimer::singleShot(400, &form, [&] {
        workerDone = true;
        form.FRssThreadCount = 0;
    });
    QElapsedTimer t;
    t.start();
    form.actExitExecute();
    QVERIFY(workerDone);
    QVERIFY(t.elapsed() >= 350);
    // the end backup ran after the worker had ended
    QVERIFY(QFile::exists(folder.file(QStringLiteral("KWIL_E.FBK"))));
    QVERIFY(!form.TimerM.isActive());
}

void TestMainForm::sessionEndSkipsBackupAndExpiry()
{
    TestPlatform platform;
    ProgramFolderFixture folder;
    folder.copyInitialBackup();
    {
        TdbmNotes db;
        TMainForm form(db);
        QVERIFY(form.FormCreate());
        QSignalSpy ended(&form, &TMainForm::terminateRequested);
        form.EndSession();
        QCOMPARE(ended.size(), 1);
        QVERIFY(!form.TimerM.isActive());
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("KWIL_E.FBK"))));
    }
    // the database was left cleanly: it opens again at once
    TdbmNotes again;
    TSettings s;
    LoadIniSettings(s, again, TProgramFolder::settingsFile());
    again.Connect();
    QVERIFY(again.IsConnected());
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
