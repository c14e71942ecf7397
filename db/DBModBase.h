#pragma once

#include "DbConnection.h"

#include <QString>
#include <QStringList>

#include <memory>

class TIniFile;

// The connection module: the settings of one database, its attachment, the
// read and update transactions every statement of the main thread runs in,
// and nestable units of work on the update transaction. Main thread only;
// a worker thread gets an attachment of its own from OpenAttachment().
//
// Every database error raised through this module's connection is shown by
// the error hook (ReportError) and then thrown as EDatabaseError.
class TdbmBase
{
public:
    // name: the module's fixed name, the prefix of its savepoints and messages.
    explicit TdbmBase(const QString& name = QStringLiteral("dbmBase"));
    virtual ~TdbmBase();
    TdbmBase(const TdbmBase&) = delete;
    TdbmBase& operator=(const TdbmBase&) = delete;

    const QString& Name() const { return FName; }

    // Settings. Setters touching the name recompose it.
    void UpdateDBName();
    void SetServer(const QString& server);
    void SetDBFolder(const QString& folder); // kept without a trailing separator
    void SetDBFile(const QString& file);     // a folder part becomes the folder
    void SetUserName(const QString& user);
    void SetPassword(const QString& plain);
    void SetRoleName(const QString& role);
    void SetCharSet(const QString& charSet);
    void SetClientLibrary(const QString& library);
    void SetRetaining(bool retaining) { FRetaining = retaining; }

    QString GetUserName() const { return FParams.userName; }
    QString GetPassword() const { return FParams.password; }
    QString GetRoleName() const { return FParams.roleName; }
    QString GetCharSet() const { return FParams.charSet; }
    QString GetClientLibrary() const { return FParams.clientLibrary; }
    bool GetRetaining() const { return FRetaining; }
    const QString& Server() const { return FServer; }
    const QString& DBFolder() const { return FDBFolder; }
    const QString& DBFile() const { return FDBFile; }
    // The composed name: [server ":"] [folder "/"] file.
    const QString& DBName() const { return FDBName; }
    // The path part of the name (what a service call or a file check uses).
    QString DBPath() const;

    // The section's keys: ClientLibrary, Server, DBFolder, DBFile, UserID,
    // Password, RoleName, CharSet. Loading disconnects first.
    virtual void LoadSettings(TIniFile& ini, const QString& section);
    virtual void SaveSettings(TIniFile& ini, const QString& section);

    // Attaches with the current settings and starts the read transaction
    // (nothing happens while connected).
    void Connect();
    // Commits open units of work (with a message), the read and update
    // transactions, then detaches.
    void Disconnect();
    bool IsConnected() const { return FDatabase.isConnected(); }

    TDbConnection& Database() { return FDatabase; }
    TDbTransaction& ReadTransaction() { return FReadTransaction; }
    TDbTransaction& UpdateTransaction() { return FUpdateTransaction; }

    // Units of work on the update transaction; each BeginWork is matched by
    // one CommitWork or one RollbackWork. Nested ones are savepoints.
    void BeginWork();
    void CommitWork();
    void RollbackWork();
    void CommitAll();
    void CommitUpdate();
    void RollbackUpdate();
    // The open units of work, outermost first ("Start Transaction", then the
    // savepoint names).
    const QStringList& Savepoints() const { return FSavepoints; }

    // The settings of this module's attachment, for another one.
    TDbParams ConnectionParams() const;
    // A second attachment to the same database for a worker thread, with its
    // own transactions and status. Errors on it are thrown, not shown (a
    // message box belongs to the main thread); pass a reporter to change that.
    std::unique_ptr<TDbConnection> OpenAttachment(TDbConnection::Reporter reporter = {}) const;

protected:
    // The error hook: shows the error's text and code in an error box.
    virtual void ReportError(const EDatabaseError& e);

private:
    QString FName;
    QString FServer = QStringLiteral("localhost");
    QString FDBFolder;
    QString FDBFile;
    QString FDBName;
    TDbParams FParams;
    QStringList FSavepoints;
    bool FRetaining = true;
    TDbConnection FDatabase;
    TDbTransaction FReadTransaction;
    TDbTransaction FUpdateTransaction;
};
