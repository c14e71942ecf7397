#pragma once

#include <QString>

// Who to ask for a service: the local engine's service manager, or a server's.
struct TServiceParams
{
    QString clientLibrary = QStringLiteral("libfbclient.so.2");
    QString server; // empty = local ("service_mgr"), else "server:service_mgr"
    QString userName;
    QString password; // plain
};

// The services the program uses, each on its own service attachment that is
// detached again in every case. Failures throw EDatabaseError carrying the
// engine's message; nothing is shown (the callers show their own texts).
namespace FbServices {

// A full backup of database into backupFile (replaced when it exists).
void Backup(const TServiceParams& sp, const QString& database, const QString& backupFile);
// Creates database from backupFile; fails when the database file exists.
void Restore(const TServiceParams& sp, const QString& backupFile, const QString& database);
// Starts a sweep of database and returns without waiting for its end. A sweep
// of the embedded engine runs in this process: TFbClient::shutdownAll (at the
// latest at exit) waits for it before the engine goes.
void Sweep(const TServiceParams& sp, const QString& database);

// The service manager's name for the settings.
QString ServiceManagerName(const QString& server);

} // namespace FbServices
