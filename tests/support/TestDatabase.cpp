#include "TestDatabase.h"

#include "db/FbServices.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <stdexcept>

namespace {
// One restore per test process; every fixture copies its result, which is
// many times faster than a restore and gives the same database.
QString templateDatabase()
{
    static QMutex mutex;
    static QTemporaryDir dir; // removed at exit; the template is never attached
    static QString file;
    QMutexLocker lock(&mutex);
    if (!file.isEmpty())
        return file;
    const QString backup = TestDatabase::initialBackup();
    if (!QFile::exists(backup))
        throw std::runtime_error(
            ("no initial backup at " + backup + " (build the kwil_initialdb target)")
                .toStdString());
    if (!dir.isValid())
        throw std::runtime_error("no temporary folder");
    const QString target = dir.filePath(QStringLiteral("TEMPLATE.FDB"));
    TServiceParams sp;
    sp.userName = QStringLiteral("SYSDBA");
    FbServices::Restore(sp, backup, target);
    file = target;
    return file;
}
} // namespace

QString TestDatabase::initialBackup()
{
    const QString build = qEnvironmentVariable("KWIL_BUILD_DIR");
    if (build.isEmpty() && QCoreApplication::instance()) // a test run by hand from bin/
        return QCoreApplication::applicationDirPath() + QStringLiteral("/INITIALDB.FBK");
    return build + QStringLiteral("/bin/INITIALDB.FBK");
}

TestDatabase::TestDatabase(bool connect)
{
    if (!FDir.isValid())
        throw std::runtime_error("no temporary folder");
    if (!QFile::copy(templateDatabase(), path()))
        throw std::runtime_error("cannot copy the template database");
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    FModule = std::make_unique<TdbmNotes>();
    FModule->SetServer(QString());
    FModule->SetDBFolder(FDir.path());
    FModule->SetDBFile(QStringLiteral("KWIL.FDB"));
    FModule->SetUserName(QStringLiteral("SYSDBA"));
    FModule->SetPassword(QString());
    FModule->SetCharSet(QStringLiteral("UNICODE_FSS"));
    if (connect)
        FModule->Connect();
}

TestDatabase::~TestDatabase()
{
    FModule.reset(); // detaches before the folder goes
}

QString TestDatabase::path() const
{
    return FDir.filePath(QStringLiteral("KWIL.FDB"));
}

TDbParams TestDatabase::params() const
{
    return FModule->ConnectionParams();
}

void TestDatabase::exec(const QStringList& sql)
{
    FModule->BeginWork();
    try {
        TDbQuery q(FModule->UpdateTransaction(), sql);
        q.execute();
        FModule->CommitWork();
    } catch (...) {
        FModule->RollbackWork();
        throw;
    }
}

QString TestDatabase::scalar(const QStringList& sql)
{
    TDbQuery q(FModule->ReadTransaction(), sql);
    q.open();
    return q.next() ? q.field(0).asString() : QString();
}
