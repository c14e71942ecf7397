#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

const QString Name = QStringLiteral("Kwil2009");

// The other instance: this executable started with "--instance FOLDER". It
// prints "first" or "second", and while it runs as the first instance, one
// "activated" per later start. It never outlives a forgotten test by long.
int runInstance(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TSingleInstance instance(Name, QString::fromLocal8Bit(argv[2]));
    if (!instance.start()) {
        std::printf("second\n");
        std::fflush(stdout);
        return 3;
    }
    QObject::connect(&instance, &TSingleInstance::activationRequested, &app, [] {
        std::printf("activated\n");
        std::fflush(stdout);
    });
    std::printf("first\n");
    std::fflush(stdout);
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}

// Waits, bounded, until the process has printed line; returns its output.
QByteArray waitForLine(QProcess& p, const QByteArray& line, QByteArray& output, int ms = 10000)
{
    QDeadlineTimer deadline(ms);
    while (!output.split('\n').contains(line) && !deadline.hasExpired()) {
        if (!p.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))) &&
            p.state() == QProcess::NotRunning)
            break;
        output += p.readAllStandardOutput();
    }
    output += p.readAllStandardOutput();
    return output;
}

// Leaves a socket file behind as a killed process would: bound, never
// listened on, closed without unlinking.
bool bindDeadSocket(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (size_t(p.size()) >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

// Another instance in a process of its own, killed at the latest when the
// test that started it is over.
class TInstanceProcess : public QProcess
{
public:
    explicit TInstanceProcess(const QString& folder)
    {
        setProgram(QCoreApplication::applicationFilePath());
        setArguments({QStringLiteral("--instance"), folder});
        setProcessChannelMode(QProcess::ForwardedErrorChannel);
        start();
    }
    ~TInstanceProcess() override
    {
        if (state() != NotRunning) {
            kill();
            waitForFinished(5000);
        }
    }
    // waitForFinished() fails for a process whose end the event loop has
    // already seen.
    bool ended(int ms) { return state() == NotRunning || waitForFinished(ms); }
};

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secondStartInTheSameProcessActivatesTheFirst();
    void namesAreDistinctPerName();
    void secondStartInAnotherProcessActivatesTheFirst();
    void crashedFirstInstanceDoesNotBlock();
    void leftoverSocketWithoutLockIsReplaced();
    void racingStartsElectOneFirst();
    void laterStartAfterCleanEnd();
};

void TestSingleInstance::secondStartInTheSameProcessActivatesTheFirst()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    TSingleInstance first(Name, tmp.path());
    QSignalSpy activated(&first, &TSingleInstance::activationRequested);
    QVERIFY(first.start());
    QVERIFY(first.isFirst());
    QVERIFY(QFile::exists(first.lockFilePath()));
    QVERIFY(first.lockFilePath().contains(QString::number(getuid())));
    QVERIFY(first.socketPath().contains(QString::number(getuid())));

    TSingleInstance second(Name, tmp.path());
    QElapsedTimer t;
    t.start();
    QVERIFY(!second.start(3000));
    QVERIFY(!second.isFirst());
    QVERIFY2(t.elapsed() < 2000, "the second start waited for a timeout");
    QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 1, 5000);

    // Each later start is one request.
    TSingleInstance third(Name, tmp.path());
    QVERIFY(!third.start(3000));
    QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 2, 5000);
}

void TestSingleInstance::namesAreDistinctPerName()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    TSingleInstance a(Name, tmp.path());
    TSingleInstance b(QStringLiteral("Other"), tmp.path());
    QVERIFY(a.start());
    QVERIFY(b.start());
}

void TestSingleInstance::secondStartInAnotherProcessActivatesTheFirst()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    TInstanceProcess other(tmp.path());
    QByteArray out;
    QVERIFY2(waitForLine(other, "first", out).contains("first\n"), out.constData());

    TSingleInstance here(Name, tmp.path());
    QVERIFY(!here.start(3000));
    QVERIFY2(waitForLine(other, "activated", out).contains("activated\n"), out.constData());
    QCOMPARE(other.state(), QProcess::Running);

    // And the other way round: a later process start activates this one.
    other.kill();
    QVERIFY(other.ended(5000));
    TSingleInstance first(Name, tmp.path());
    QSignalSpy activated(&first, &TSingleInstance::activationRequested);
    QVERIFY(first.start(3000));
    TInstanceProcess later(tmp.path());
    QByteArray laterOut;
    // This process has to run its event loop to answer, so wait with QTRY.
    QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 1, 10000);
    QVERIFY(later.ended(10000));
    laterOut = later.readAllStandardOutput();
    QCOMPARE(laterOut, QByteArray("second\n"));
    QCOMPARE(later.exitCode(), 3);
}

void TestSingleInstance::crashedFirstInstanceDoesNotBlock()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    TInstanceProcess crashed(tmp.path());
    QByteArray out;
    QVERIFY2(waitForLine(crashed, "first", out).contains("first\n"), out.constData());
    crashed.kill(); // SIGKILL: no clean-up runs
    QVERIFY(crashed.ended(5000));

    TSingleInstance probe(Name, tmp.path());
    QVERIFY2(QFile::exists(probe.lockFilePath()), "the crash should have left its lock");
    QVERIFY2(QFile::exists(probe.socketPath()), "the crash should have left its socket");

    QElapsedTimer t;
    t.start();
    QVERIFY(probe.start(3000));
    QVERIFY2(t.elapsed() < 2000, "the start waited for a timeout");

    // The new first instance answers on the replaced socket.
    QSignalSpy activated(&probe, &TSingleInstance::activationRequested);
    TSingleInstance second(Name, tmp.path());
    QVERIFY(!second.start(3000));
    QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 1, 5000);
}

void TestSingleInstance::leftoverSocketWithoutLockIsReplaced()
{
    // A socket file nobody listens on, and no lock: the lock went with a
    // cleaned folder while the socket stayed.
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    TSingleInstance first(Name, tmp.path());
    QVERIFY(bindDeadSocket(first.socketPath()));
    QVERIFY(QFile::exists(first.socketPath()));

    QVERIFY(first.start(3000));
    QSignalSpy activated(&first, &TSingleInstance::activationRequested);
    TSingleInstance second(Name, tmp.path());
    QVERIFY(!second.start(3000));
    QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 1, 5000);
}

void TestSingleInstance::racingStartsElectOneFirst()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    constexpr int Starts = 5;
    std::vector<std::unique_ptr<TInstanceProcess>> procs;
    for (int i = 0; i < Starts; ++i)
        procs.push_back(std::make_unique<TInstanceProcess>(tmp.path()));

    // Every start but one ends as a second start.
    int seconds = 0;
    TInstanceProcess* first = nullptr;
    QByteArray firstOut;
    for (const auto& p : procs) {
        QByteArray out;
        waitForLine(*p, "first", out, 15000);
        if (out.startsWith("first\n")) {
            QVERIFY2(!first, "two processes started as the first instance");
            first = p.get();
            firstOut = out;
        } else {
            QVERIFY(p->ended(15000));
            out += p->readAllStandardOutput();
            QCOMPARE(out, QByteArray("second\n"));
            ++seconds;
        }
    }
    QVERIFY(first);
    QCOMPARE(seconds, Starts - 1);
    // ... and each of them reached the first.
    QDeadlineTimer deadline(10000);
    while (firstOut.count("activated\n") < Starts - 1 && !deadline.hasExpired()) {
        first->waitForReadyRead(200);
        firstOut += first->readAllStandardOutput();
    }
    QCOMPARE(firstOut.count("activated\n"), Starts - 1);
}

void TestSingleInstance::laterStartAfterCleanEnd()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QString lock, socket;
    {
        TSingleInstance first(Name, tmp.path());
        QVERIFY(first.start());
        lock = first.lockFilePath();
        socket = first.socketPath();
    }
    QVERIFY(!QFile::exists(lock));
    QVERIFY(!QFile::exists(socket));
    TSingleInstance again(Name, tmp.path());
    QVERIFY(again.start(3000));
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--instance") == 0)
        return runInstance(argc, argv);
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
