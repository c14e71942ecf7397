#include "platform/SessionEnd.h"

#include <QCoreApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <pthread.h>
#include <thread>

namespace {

// The child for the tests that need a process to kill: prints "ready", then
// "end N" for every request it receives, and keeps running.
int runChild(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TSessionEnd end;
    if (!end.isActive())
        return 2;
    QObject::connect(&end, &TSessionEnd::endRequested, &app, [](TSessionEnd::Cause, int sig) {
        std::printf("end %d\n", sig);
        std::fflush(stdout);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}

struct Received
{
    int count = 0;
    int signalNumber = -1;
    TSessionEnd::Cause cause = TSessionEnd::BySessionManager;
    QThread* thread = nullptr;
};

// The handler in force for sig, as a comparable value.
void (*currentHandler(int sig))(int)
{
    struct sigaction sa = {};
    sigaction(sig, nullptr, &sa);
    return sa.sa_handler;
}

} // namespace

class TestSessionEnd : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void signalArrivesQueuedOnTheMainThread_data();
    void signalArrivesQueuedOnTheMainThread();
    void oneOwnerOfTheHandlersAtATime();
    void previousHandlersComeBack();
    void aSecondSignalAfterTheRequestEndsTheProcess();
};

void TestSessionEnd::signalArrivesQueuedOnTheMainThread_data()
{
    QTest::addColumn<int>("sig");
    QTest::addColumn<bool>("fromWorker");
    QTest::newRow("SIGTERM") << SIGTERM << false;
    QTest::newRow("SIGHUP") << SIGHUP << false;
    QTest::newRow("SIGINT") << SIGINT << false;
    // The kernel may run a handler on any thread; the request must still
    // arrive where the windows live.
    QTest::newRow("SIGTERM on a worker thread") << SIGTERM << true;
    QTest::newRow("SIGHUP on a worker thread") << SIGHUP << true;
}

void TestSessionEnd::signalArrivesQueuedOnTheMainThread()
{
    QFETCH(int, sig);
    QFETCH(bool, fromWorker);
    TSessionEnd end;
    QVERIFY(end.isActive());
    Received got;
    connect(&end, &TSessionEnd::endRequested, this, [&got](TSessionEnd::Cause cause, int n) {
        ++got.count;
        got.cause = cause;
        got.signalNumber = n;
        got.thread = QThread::currentThread();
    });

    if (fromWorker) {
        // Blocked here, open on the worker: only the worker can take it.
        sigset_t set, old;
        sigemptyset(&set);
        sigaddset(&set, sig);
        pthread_sigmask(SIG_BLOCK, &set, &old);
        std::thread worker([set, sig] {
            pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
            pthread_kill(pthread_self(), sig);
        });
        worker.join();
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
    } else {
        QCOMPARE(raise(sig), 0);
    }
    // The handler only wrote to the pipe; nothing ran inside it.
    QCOMPARE(got.count, 0);

    QTRY_COMPARE_WITH_TIMEOUT(got.count, 1, 5000);
    QCOMPARE(got.signalNumber, sig);
    QCOMPARE(got.cause, TSessionEnd::ByTerminationSignal);
    QCOMPARE(got.thread, QCoreApplication::instance()->thread());
    QTest::qWait(50);
    QCOMPARE(got.count, 1);
}

void TestSessionEnd::oneOwnerOfTheHandlersAtATime()
{
    auto first = std::make_unique<TSessionEnd>();
    QVERIFY(first->isActive());
    {
        QTest::ignoreMessage(QtWarningMsg, "termination signals are already handled elsewhere");
        TSessionEnd second;
        QVERIFY(!second.isActive());
    }
    // The inactive one took nothing away from the owner.
    QSignalSpy spy(first.get(), &TSessionEnd::endRequested);
    raise(SIGTERM);
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 5000);

    first.reset();
    TSessionEnd next;
    QVERIFY(next.isActive());
    QSignalSpy nextSpy(&next, &TSessionEnd::endRequested);
    raise(SIGHUP);
    QTRY_COMPARE_WITH_TIMEOUT(nextSpy.count(), 1, 5000);
}

void TestSessionEnd::previousHandlersComeBack()
{
    const std::array<int, 3> sigs = {SIGTERM, SIGHUP, SIGINT};
    std::array<void (*)(int), 3> before{};
    for (std::size_t i = 0; i < sigs.size(); ++i)
        before[i] = currentHandler(sigs[i]);
    {
        TSessionEnd end;
        QVERIFY(end.isActive());
        for (std::size_t i = 0; i < sigs.size(); ++i)
            QVERIFY(currentHandler(sigs[i]) != before[i]);
    }
    for (std::size_t i = 0; i < sigs.size(); ++i)
        QVERIFY(currentHandler(sigs[i]) == before[i]);
}

void TestSessionEnd::aSecondSignalAfterTheRequestEndsTheProcess()
{
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QStringLiteral("--child")});
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start();
    const auto cleanUp = qScopeGuard([&child] {
        if (child.state() != QProcess::NotRunning) {
            child.kill();
            child.waitForFinished(5000);
        }
    });
    auto waitFor = [&child](const QByteArray& line) {
        QByteArray out;
        QDeadlineTimer deadline(10000);
        while (!out.contains(line) && !deadline.hasExpired() &&
               child.state() != QProcess::NotRunning) {
            child.waitForReadyRead(200);
            out += child.readAllStandardOutput();
        }
        return out.contains(line);
    };
    QVERIFY(waitFor("ready\n"));

    ::kill(pid_t(child.processId()), SIGTERM);
    QVERIFY(waitFor("end 15\n"));
    // Asked to end, but ending is the program's business: still running.
    QVERIFY(!child.waitForFinished(300));
    QCOMPARE(child.state(), QProcess::Running);

    ::kill(pid_t(child.processId()), SIGTERM);
    QVERIFY(child.waitForFinished(5000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QCoreApplication app(argc, argv);
    TestSessionEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sessionend.moc"
