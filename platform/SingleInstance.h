#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One running instance per user. The first start holds a lock file and
// listens on a local socket beside it; a later start finds the lock held,
// asks the holder through the socket to come forward, and is told to end.
//
// The lock and socket names carry the user id and live in the user's runtime
// folder, so each user of a machine runs an instance of their own. A lock
// left by a crashed instance names a process that no longer runs and is taken
// over; the socket it left is replaced.
class TSingleInstance : public QObject
{
    Q_OBJECT
public:
    // folder: where the lock and the socket live; empty means the user's
    // runtime folder (XDG_RUNTIME_DIR, or Qt's private fallback for it).
    explicit TSingleInstance(const QString& name, const QString& folder = QString(),
                             QObject* parent = nullptr);
    ~TSingleInstance() override;
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // Claims the name. True: this is the first instance (also when the lock
    // cannot be made at all: better two instances than none). False: another
    // instance runs and has been asked to come forward, or did not answer
    // within timeoutMs; either way this start should end.
    bool start(int timeoutMs = 5000);
    bool isFirst() const { return FFirst; }

    QString lockFilePath() const;
    QString socketPath() const;

Q_SIGNALS:
    // A later start asked this instance to show itself.
    void activationRequested();

private:
    void listen();
    bool sendActivation(int timeoutMs);
    void acceptConnections();
    void readRequest(QLocalSocket* socket);

    QString FName;
    QString FFolder;
    std::unique_ptr<QLockFile> FLock;
    QLocalServer* FServer = nullptr;
    bool FFirst = false;
};
