#include "SessionEnd.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSessionManager>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSessionEnd, "kwil.platform.sessionend")

namespace {

constexpr std::array<int, 3> CaughtSignals = {SIGTERM, SIGHUP, SIGINT};

// Shared with the signal handler, which may run on any thread at any time:
// only sig_atomic_t values and plain file descriptors.
volatile std::sig_atomic_t gWriteFd = -1;
volatile std::sig_atomic_t gDelivered = 0;
int gReadFd = -1;
std::array<struct sigaction, CaughtSignals.size()> gPrevious{};

extern "C" void onTerminationSignal(int sig)
{
    const int savedErrno = errno;
    if (gDelivered) {
        // The program was already told to end and is still here: let this
        // signal take its default course.
        struct sigaction dfl = {};
        dfl.sa_handler = SIG_DFL;
        sigemptyset(&dfl.sa_mask);
        sigaction(sig, &dfl, nullptr);
        raise(sig);
    } else if (gWriteFd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(sig);
        // A full pipe already holds enough requests to wake the main thread.
        [[maybe_unused]] const ssize_t n = write(gWriteFd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

TSessionEnd::TSessionEnd(QObject* parent) : QObject(parent)
{
    if (gWriteFd >= 0) {
        qCWarning(lcSessionEnd) << "termination signals are already handled elsewhere";
        return;
    }
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        qCWarning(lcSessionEnd) << "no pipe for termination signals:" << strerror(errno);
        return;
    }
    gReadFd = fds[0];
    gDelivered = 0;
    gWriteFd = fds[1];

    FNotifier = new QSocketNotifier(gReadFd, QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TSessionEnd::readSignals);

    for (std::size_t i = 0; i < CaughtSignals.size(); ++i) {
        struct sigaction sa = {};
        sa.sa_handler = onTerminationSignal;
        sigemptyset(&sa.sa_mask);
        for (const int other : CaughtSignals)
            sigaddset(&sa.sa_mask, other);
        sa.sa_flags = SA_RESTART;
        sigaction(CaughtSignals[i], &sa, &gPrevious[i]);
    }

    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &TSessionEnd::commitData,
                Qt::DirectConnection);
    FActive = true;
}

TSessionEnd::~TSessionEnd()
{
    if (!FActive)
        return;
    for (std::size_t i = 0; i < CaughtSignals.size(); ++i)
        sigaction(CaughtSignals[i], &gPrevious[i], nullptr);
    delete FNotifier;
    const int writeFd = gWriteFd;
    gWriteFd = -1;
    close(writeFd);
    close(gReadFd);
    gReadFd = -1;
}

void TSessionEnd::readSignals()
{
    unsigned char bytes[16];
    for (;;) {
        const ssize_t n = read(gReadFd, bytes, sizeof bytes);
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n; ++i) {
            gDelivered = 1;
            qCInfo(lcSessionEnd) << "end requested by signal" << int(bytes[i]);
            Q_EMIT endRequested(ByTerminationSignal, int(bytes[i]));
        }
    }
}

void TSessionEnd::commitData(QSessionManager& manager)
{
    Q_UNUSED(manager)
    qCInfo(lcSessionEnd) << "end requested by the session manager";
    Q_EMIT endRequested(BySessionManager, 0);
}
