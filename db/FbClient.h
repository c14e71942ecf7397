#pragma once

#include <firebird/Interface.h>

#include <QString>

// The Firebird client library, loaded at run time from the file the settings
// name. One instance per library file for the life of the process: the
// embedded engine inside it cannot be loaded twice, and unloading it under
// live attachments would crash.
class TFbClient
{
public:
    // The client for a library file name (searched like dlopen does) or path.
    // Throws EDatabaseError with a Japanese message (not shown) when the file
    // cannot be loaded or is not a Firebird 3 client.
    static TFbClient& load(const QString& library);

    // Ends the engines of every loaded client after the shutdown hooks have
    // run; attachments still open are cut. Runs by itself at exit; the
    // program may call it earlier at its very end. Later use of the clients fails.
    static void shutdownAll();
    // Something to finish before the engines end (services still running).
    static void addShutdownHook(void (*hook)());
    // Called by the layer after every successful attachment (database or
    // service manager): makes sure shutdownAll runs at exit.
    static void attached();

    // The per-user folder FIREBIRD_LOCK points at (mode 0700), created on
    // first use; empty when FIREBIRD_LOCK was already set by the environment.
    static QString prepareLockFolder();

    Firebird::IMaster* master() const { return FMaster; }
    Firebird::IProvider* provider() const { return FProvider; }
    Firebird::IUtil* util() const { return FUtil; }
    const QString& library() const { return FLibrary; }

    // SQLCODE of a status vector (0 when the entry point is missing).
    int sqlCode(const intptr_t* vector) const;
    // The status's message, lines separated by "\n".
    QString formatStatus(Firebird::IStatus* status) const;

    TFbClient(const TFbClient&) = delete;
    TFbClient& operator=(const TFbClient&) = delete;

private:
    TFbClient() = default;
    QString FLibrary;
    void* FHandle = nullptr; // never closed while the process lives
    Firebird::IMaster* FMaster = nullptr;
    Firebird::IProvider* FProvider = nullptr;
    Firebird::IUtil* FUtil = nullptr;
    using SqlCodeFn = ISC_LONG (*)(const ISC_STATUS*);
    SqlCodeFn FSqlCode = nullptr;
    bool FShutDown = false;
};

// Keeps the termination signals (SIGINT, SIGTERM, SIGHUP) the program's own
// across a call into the client. Firebird takes them over when it first
// starts (loading, the first attachment): on SIGTERM it then shuts its engine
// down and cuts every attachment from under the program, whose own handling
// of the signal (save the notes, close the database) would fail. Put around
// every call that may start the engine.
class TFbSignalGuard
{
public:
    TFbSignalGuard();
    ~TFbSignalGuard();
    TFbSignalGuard(const TFbSignalGuard&) = delete;
    TFbSignalGuard& operator=(const TFbSignalGuard&) = delete;

private:
    struct Saved;
    Saved* FSaved;
};

// The status wrapper every call of the layer uses: errors are left in the
// status for the caller to raise through its connection's hook.
using TFbStatus = Firebird::CheckStatusWrapper;

inline bool failed(TFbStatus& st)
{
    return (st.getState() & Firebird::IStatus::STATE_ERRORS) != 0;
}
