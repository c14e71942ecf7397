#include "app/Restore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
void touch(const QString& path, const QDateTime& when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}
} // namespace

class TestRestore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findsBackupsOnceNewestFirst();
    void onlyTheInitialBackupRestoresWithoutAsking_data();
    void onlyTheInitialBackupRestoresWithoutAsking();
    void missingFolderAddsNothing();
    void searchFolders();
};

void TestRestore::findsBackupsOnceNewestFirst()
{
    QTemporaryDir dir;
    const QDateTime older(QDate(2026, 12, 1), QTime(8, 0, 0));
    const QDateTime newer(QDate(2026, 12, 10), QTime(18, 30, 5));
    touch(dir.filePath(QStringLiteral("KWIL_E.FBK")), older);
    touch(dir.filePath(QStringLiteral("KWIL_S.FBK")), newer);
    touch(dir.filePath(QStringLiteral("notes.txt")), newer);
    QDir().mkdir(dir.filePath(QStringLiteral("sub.FBK"))); // a folder is not a backup

    TRestoreCandidates c;
    QCOMPARE(c.FindBackupFiles(dir.path(), QStringLiteral("*.FBK")), 2);
    // the same folder as backup folder and database folder contributes once
    c.FindBackupFiles(dir.path() + u'/', QStringLiteral("*.FBK"));
    QCOMPARE(c.count(), 2);
    QVERIFY(!c.isOnlyInitialBackup());

    QStringList lines;
    QList<int> tags;
    c.pickerLines(lines, tags);
    QCOMPARE(lines, (QStringList{QStringLiteral("2026/12/10 18:30:05 | ") +
                                     dir.filePath(QStringLiteral("KWIL_S.FBK")),
                                 QStringLiteral("2026/12/01 08:00:00 | ") +
                                     dir.filePath(QStringLiteral("KWIL_E.FBK"))}));
    // tags lead back to the candidates, which are sorted by path
    QCOMPARE(c.items()[tags[0]].path, dir.filePath(QStringLiteral("KWIL_S.FBK")));
    QCOMPARE(c.items()[tags[1]].path, dir.filePath(QStringLiteral("KWIL_E.FBK")));
}

void TestRestore::onlyTheInitialBackupRestoresWithoutAsking_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("initialOnly");
    QTest::newRow("fresh installation") << QStringList{"INITIALDB.FBK"} << true;
    QTest::newRow("lower-case name") << QStringList{"initialdb.fbk"} << true;
    QTest::newRow("one backup that is not the initial one") << QStringList{"KWIL_E.FBK"} << false;
    QTest::newRow("initial and a later backup")
        << QStringList{"INITIALDB.FBK", "KWIL_E.FBK"} << false;
}

void TestRestore::onlyTheInitialBackupRestoresWithoutAsking()
{
    QFETCH(QStringList, files);
    QFETCH(bool, initialOnly);
    QTemporaryDir dir;
    for (const QString& f : files)
        touch(dir.filePath(f), QDateTime::currentDateTime());
    TRestoreCandidates c;
    c.FindBackupFiles(dir.path(), QStringLiteral("*.FBK"));
    QCOMPARE(c.count(), files.size());
    QCOMPARE(c.isOnlyInitialBackup(), initialOnly);
}

void TestRestore::missingFolderAddsNothing()
{
    TRestoreCandidates c;
    QCOMPARE(c.FindBackupFiles(QStringLiteral("/nonexistent/backups"), QStringLiteral("*.FBK")), 0);
    QCOMPARE(c.FindBackupFiles(QString(), QStringLiteral("*.FBK")), 0);
    QVERIFY(c.isEmpty());
}

void TestRestore::searchFolders()
{
    QCOMPARE(RestoreSearchFolders(QStringLiteral("/b"), QStringLiteral("/d"), QStringLiteral("/p")),
             (QStringList{"/b", "/d", "/p"}));
    QCOMPARE(RestoreSearchFolders(QString(), QStringLiteral("/d"), QStringLiteral("/p")),
             (QStringList{"/d", "/p"}));
}

QTEST_GUILESS_MAIN(TestRestore)
#include "tst_restore.moc"
