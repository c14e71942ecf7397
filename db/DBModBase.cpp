#include "DBModBase.h"

#include "PasswordCipher.h"
#include "platform/IniFile.h"
#include "platform/Platform.h"

namespace {
const QString StartMarker = QStringLiteral("Start Transaction");

// Settings files written on Windows name "fbclient.dll"; the library here is
// another file, so such a value means "the default client".
QString clientLibraryFrom(const QString& value, const QString& def)
{
    return value.endsWith(QStringLiteral(".dll"), Qt::CaseInsensitive) ? def : value;
}
} // namespace

TdbmBase::TdbmBase(const QString& name)
    : FName(name), FReadTransaction(FDatabase, TDbTransaction::Mode::NoWait),
      FUpdateTransaction(FDatabase, TDbTransaction::Mode::Wait)
{
    FDatabase.setReporter([this](const EDatabaseError& e) { ReportError(e); });
}

TdbmBase::~TdbmBase()
{
    try {
        Disconnect();
    } catch (...) {
        // already shown by the error hook; the module is going away regardless
    }
}

void TdbmBase::ReportError(const EDatabaseError& e)
{
    platform::messages().showError(e.displayText());
}

QString TdbmBase::DBPath() const
{
    if (FDBFolder.isEmpty())
        return FDBFile;
    if (FDBFolder.endsWith(u'/'))
        return FDBFolder + FDBFile;
    return FDBFolder + u'/' + FDBFile;
}

void TdbmBase::UpdateDBName()
{
    if (FDBFile.isEmpty())
        return;
    const QString path = DBPath();
    FDBName = FServer.isEmpty() ? path : FServer + u':' + path;
}

void TdbmBase::SetServer(const QString& server)
{
    FServer = server;
    UpdateDBName();
}

void TdbmBase::SetDBFolder(const QString& folder)
{
    QString f = folder;
    // "/" alone is a folder too; stripping it would turn the path relative.
    while (f.size() > 1 && f.endsWith(u'/'))
        f.chop(1);
    FDBFolder = f;
    UpdateDBName();
}

void TdbmBase::SetDBFile(const QString& file)
{
    const qsizetype slash = file.lastIndexOf(u'/');
    if (slash >= 0) {
        FDBFile = file.mid(slash + 1);
        SetDBFolder(slash == 0 ? QStringLiteral("/") : file.left(slash));
        return;
    }
    FDBFile = file;
    UpdateDBName();
}

void TdbmBase::SetUserName(const QString& user)
{
    FParams.userName = user;
}

void TdbmBase::SetPassword(const QString& plain)
{
    FParams.password = plain;
}

void TdbmBase::SetRoleName(const QString& role)
{
    FParams.roleName = role;
}

void TdbmBase::SetCharSet(const QString& charSet)
{
    FParams.charSet = charSet;
}

void TdbmBase::SetClientLibrary(const QString& library)
{
    FParams.clientLibrary = library;
}

void TdbmBase::LoadSettings(TIniFile& ini, const QString& section)
{
    if (IsConnected())
        Disconnect();
    const QString defLibrary = TDbParams().clientLibrary;
    SetClientLibrary(clientLibraryFrom(
        ini.readString(section, QStringLiteral("ClientLibrary"), defLibrary), defLibrary));
    SetServer(ini.readString(section, QStringLiteral("Server"), QStringLiteral("localhost")));
    SetDBFolder(ini.readString(section, QStringLiteral("DBFolder"), QString()));
    SetDBFile(ini.readString(section, QStringLiteral("DBFile"), QString()));
    SetUserName(ini.readString(section, QStringLiteral("UserID"), QString()));
    SetPassword(
        DecodeStoredPassword(ini.readString(section, QStringLiteral("Password"), QString())));
    SetRoleName(ini.readString(section, QStringLiteral("RoleName"), QString()));
    SetCharSet(ini.readString(section, QStringLiteral("CharSet"), QString()));
    FRetaining = true;
}

void TdbmBase::SaveSettings(TIniFile& ini, const QString& section)
{
    ini.writeString(section, QStringLiteral("Server"), FServer);
    ini.writeString(section, QStringLiteral("DBFolder"), FDBFolder);
    ini.writeString(section, QStringLiteral("DBFile"), FDBFile);
    ini.writeString(section, QStringLiteral("UserID"), GetUserName());
    ini.writeString(section, QStringLiteral("Password"), EncryptPassword(GetPassword()));
    ini.writeString(section, QStringLiteral("RoleName"), GetRoleName());
    ini.writeString(section, QStringLiteral("CharSet"), GetCharSet());
    ini.writeString(section, QStringLiteral("ClientLibrary"), GetClientLibrary());
}

TDbParams TdbmBase::ConnectionParams() const
{
    TDbParams p = FParams;
    p.server = FServer;
    p.database = DBPath();
    return p;
}

void TdbmBase::Connect()
{
    // Attaching again would silently roll back the open transactions.
    if (IsConnected())
        return;
    UpdateDBName();
    FDatabase.connect(ConnectionParams());
    FReadTransaction.start();
}

void TdbmBase::Disconnect()
{
    if (!FSavepoints.isEmpty()) {
        platform::messages().showMessage(
            FName + QStringLiteral(": トランザクションがコミットされていません"));
        CommitAll();
    }
    if (!IsConnected())
        return;
    try {
        FReadTransaction.commit();
        // Retaining commits keep it open; what it holds is already durable.
        FUpdateTransaction.commit();
    } catch (const EDatabaseError&) {
        FDatabase.disconnect();
        throw;
    }
    FDatabase.disconnect();
}

void TdbmBase::BeginWork()
{
    if (!FUpdateTransaction.isActive())
        FUpdateTransaction.start();
    if (FSavepoints.isEmpty()) {
        FSavepoints << StartMarker;
        return;
    }
    const QString name = FName + QString::number(FSavepoints.size());
    FUpdateTransaction.execute(QStringLiteral("savepoint ") + name);
    FSavepoints << name;
}

void TdbmBase::CommitWork()
{
    if (FSavepoints.size() < 2) {
        FSavepoints.clear();
        CommitUpdate();
        return;
    }
    FUpdateTransaction.execute(QStringLiteral("release savepoint ") + FSavepoints.last());
    FSavepoints.removeLast();
}

void TdbmBase::RollbackWork()
{
    if (FSavepoints.size() < 2) {
        FSavepoints.clear();
        RollbackUpdate();
        return;
    }
    // Popped first: a savepoint that cannot be rolled back to is gone anyway.
    const QString name = FSavepoints.takeLast();
    FUpdateTransaction.execute(QStringLiteral("rollback to savepoint ") + name);
}

void TdbmBase::CommitAll()
{
    FSavepoints.clear();
    CommitUpdate();
}

void TdbmBase::CommitUpdate()
{
    if (!FUpdateTransaction.isActive())
        return;
    if (FRetaining)
        FUpdateTransaction.commitRetaining();
    else
        FUpdateTransaction.commit();
}

void TdbmBase::RollbackUpdate()
{
    if (!FUpdateTransaction.isActive())
        return;
    if (FRetaining)
        FUpdateTransaction.rollbackRetaining();
    else
        FUpdateTransaction.rollback();
}

std::unique_ptr<TDbConnection> TdbmBase::OpenAttachment(TDbConnection::Reporter reporter) const
{
    auto c = std::make_unique<TDbConnection>();
    c->setReporter(std::move(reporter));
    c->connect(ConnectionParams());
    return c;
}
