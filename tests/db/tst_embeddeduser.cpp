#include "db/DBModFusen.h"
#include "db/FbServices.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// The embedded engine must work for an ordinary user, not only for root: the
// engine's default lock folder belongs to whoever made it first. As root this
// test creates a system user and runs itself as that user (runuser) in child
// mode: restore the initial backup, connect, write, read, back up and sweep as
// at exit; the child must also end cleanly (the engine still runs service
// threads then). Skipped when not run as root (it cannot switch users then).
class TestEmbeddedUser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ordinaryUserRestoresAndWrites();
};

namespace {
const char* const TestUser = "kwil-dbtest";

// Child mode: everything a first start does with the database, as this user.
int childMain(const QString& folder, const QString& backup)
{
    const QString db = folder + QStringLiteral("/KWIL.FDB");
    try {
        TServiceParams sp;
        sp.userName = QStringLiteral("SYSDBA");
        FbServices::Restore(sp, backup, db);
        TdbmNotes m;
        m.SetServer(QString());
        m.SetDBFile(db);
        m.SetUserName(QStringLiteral("SYSDBA"));
        m.Connect();
        const int id = m.NextFusenID();
        m.BeginWork();
        TDbQuery q(m.UpdateTransaction(),
                   {"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP, TITLE, STIME)",
                    "values (:ID, 'me', 1, 0, 'ユーザーの付箋', current_timestamp)"});
        q.setParam("ID", id);
        q.execute();
        m.CommitWork();
        TDbQuery r(m.ReadTransaction(), {"select TITLE, PRIORITY from VW_FUSEN where IDKEY = :ID"});
        r.setParam("ID", id);
        r.open();
        if (!r.next() || r.field("TITLE").asString() != QStringLiteral("ユーザーの付箋"))
            throw std::runtime_error("note not read back");
        r.close();
        m.Disconnect();
        // as the program ends: a backup, then a sweep it does not wait for
        FbServices::Backup(sp, db, folder + QStringLiteral("/KWIL_E.FBK"));
        FbServices::Sweep(sp, db);
        std::printf("OK %s\n", qgetenv("FIREBIRD_LOCK").constData());
        return 0;
    } catch (const EDatabaseError& e) {
        std::printf("FAILED %s\n", qPrintable(e.message()));
    } catch (const std::exception& e) {
        std::printf("FAILED %s\n", e.what());
    }
    return 1;
}

bool run(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(120000))
        return false;
    if (out)
        *out = p.readAll();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
} // namespace

void TestEmbeddedUser::ordinaryUserRestoresAndWrites()
{
    if (::geteuid() != 0)
        QSKIP("needs root to create and switch to an ordinary user");
    if (QStandardPaths::findExecutable(QStringLiteral("runuser")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("useradd")).isEmpty())
        QSKIP("runuser or useradd missing");
    if (!::getpwnam(TestUser))
        QVERIFY(run(QStringLiteral("useradd"),
                    {"--system", "--no-create-home", "--shell", "/usr/sbin/nologin", TestUser}));
    const passwd* pw = ::getpwnam(TestUser);
    QVERIFY(pw);
    const uid_t uid = pw->pw_uid;
    const gid_t gid = pw->pw_gid;
    QVERIFY(QFile::exists(TestDatabase::initialBackup()));

    QTemporaryDir dir(QStringLiteral("/tmp/kwil-usertest-XXXXXX"));
    QVERIFY(dir.isValid());
    QVERIFY(::chown(QFile::encodeName(dir.path()).constData(), uid, gid) == 0);

    // The user may not reach the build tree (a private checkout): run copies.
    const QString child = dir.filePath(QStringLiteral("child"));
    const QString backup = dir.filePath(QStringLiteral("INITIALDB.FBK"));
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), child));
    QVERIFY(QFile::copy(TestDatabase::initialBackup(), backup));
    for (const QString& f : {child, backup})
        QVERIFY(::chown(QFile::encodeName(f).constData(), uid, gid) == 0);

    // The engine's own default, as any root use of Firebird leaves it: the
    // user is shut out of it, which the control run below shows.
    const QByteArray engineDefault = "/tmp/firebird";
    if (::mkdir(engineDefault.constData(), 0770) == 0)
        QVERIFY(::chown(engineDefault.constData(), 0, 0) == 0);
    QByteArray out;
    QVERIFY(!run(QStringLiteral("runuser"),
                 {"-u", TestUser, "--", "env", "FIREBIRD_LOCK=" + engineDefault,
                  "HOME=" + dir.path(), child, "--child", dir.path(), backup},
                 &out));
    QVERIFY2(out.startsWith("FAILED "), out.constData());
    QFile::remove(dir.filePath(QStringLiteral("KWIL.FDB")));

    // A few times: an exit racing the engine's threads crashed about every
    // second run before the engine was given time to finish them.
    for (int round = 0; round < 3; ++round) {
        QFile::remove(dir.filePath(QStringLiteral("KWIL.FDB")));
        const bool ok =
            run(QStringLiteral("runuser"),
                {"-u", TestUser, "--", "env", "-u", "FIREBIRD_LOCK", "-u", "XDG_RUNTIME_DIR",
                 "HOME=" + dir.path(), child, "--child", dir.path(), backup},
                &out);
        QVERIFY2(ok, out.constData());
        QVERIFY2(out.startsWith("OK "), out.constData());
    }

    // The database and its backup are the user's, and not open to others.
    struct stat st;
    const QByteArray db = QFile::encodeName(dir.filePath(QStringLiteral("KWIL.FDB")));
    QVERIFY(::stat(db.constData(), &st) == 0);
    QCOMPARE(st.st_uid, uid);
    QCOMPARE(st.st_mode & 0002, 0u);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("KWIL_E.FBK"))).size() > 0);

    // The lock folder the program chose: private to the user.
    const QByteArray lock = out.mid(3).trimmed();
    QVERIFY2(!lock.isEmpty(), out.constData());
    QVERIFY(::lstat(lock.constData(), &st) == 0);
    QVERIFY(S_ISDIR(st.st_mode));
    QCOMPARE(st.st_uid, uid);
    QCOMPARE(st.st_mode & 0777, 0700u);
}

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) {
        QCoreApplication app(argc, argv);
        return childMain(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    TestEmbeddedUser t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_embeddeduser.moc"
