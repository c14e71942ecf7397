#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <unistd.h>

Q_LOGGING_CATEGORY(lcSingleInstance, "kwil.platform.singleinstance")

namespace {

const QByteArray ActivateRequest = QByteArrayLiteral("activate\n");
// A client that connects and says nothing is dropped after this long.
constexpr int RequestTimeoutMs = 5000;

} // namespace

TSingleInstance::TSingleInstance(const QString& name, const QString& folder, QObject* parent)
    : QObject(parent), FName(name), FFolder(folder)
{
    if (FFolder.isEmpty())
        FFolder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (FFolder.isEmpty())
        FFolder = QDir::tempPath();
}

TSingleInstance::~TSingleInstance()
{
    if (FServer)
        FServer->close();
    // The lock goes last, so no later start can take it while the socket of
    // this instance still answers.
    FLock.reset();
}

QString TSingleInstance::lockFilePath() const
{
    return QDir(FFolder).filePath(QStringLiteral("%1-%2.lock").arg(FName).arg(getuid()));
}

QString TSingleInstance::socketPath() const
{
    return QDir(FFolder).filePath(QStringLiteral("%1-%2.socket").arg(FName).arg(getuid()));
}

bool TSingleInstance::start(int timeoutMs)
{
    if (FFirst)
        return true;
    QDir().mkpath(FFolder);
    FLock = std::make_unique<QLockFile>(lockFilePath());
    // The lock is held for the whole run; only a dead holder makes it stale.
    FLock->setStaleLockTime(0);

    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (FLock->tryLock(0)) {
            FFirst = true;
            listen();
            return true;
        }
        if (FLock->error() != QLockFile::LockFailedError) {
            qCWarning(lcSingleInstance)
                << "cannot make the lock" << lockFilePath() << "- running unguarded";
            FLock.reset();
            FFirst = true;
            return true;
        }
        // Held by a live process. Between its lock and its listen there is a
        // short gap in which a connection fails; try again until it answers.
        const qint64 left = deadline.remainingTime();
        if (sendActivation(int(qBound(qint64(100), left, qint64(1000)))))
            return false;
        if (deadline.hasExpired()) {
            qCWarning(lcSingleInstance) << "the running instance does not answer";
            return false;
        }
        QThread::msleep(50);
    }
}

void TSingleInstance::listen()
{
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    // Whatever socket is there belongs to a crashed holder of the lock that
    // is now ours.
    QLocalServer::removeServer(socketPath());
    if (!FServer->listen(socketPath())) {
        qCWarning(lcSingleInstance)
            << "cannot listen on" << socketPath() << ":" << FServer->errorString();
        return;
    }
    connect(FServer, &QLocalServer::newConnection, this, &TSingleInstance::acceptConnections);
}

bool TSingleInstance::sendActivation(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(ActivateRequest);
    if (!socket.waitForBytesWritten(timeoutMs) && socket.bytesToWrite() > 0)
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

void TSingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(RequestTimeoutMs, socket, &QLocalSocket::abort);
        readRequest(socket);
    }
}

void TSingleInstance::readRequest(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        if (socket->readLine(64) == ActivateRequest) {
            qCInfo(lcSingleInstance) << "activation requested by a later start";
            Q_EMIT activationRequested();
        }
    }
    // Anything else is not ours to read; a request never grows this long.
    if (socket->bytesAvailable() > 64)
        socket->abort();
}
