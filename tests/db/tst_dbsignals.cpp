#include "support/TestDatabase.h"
#include "support/TestPlatform.h"

#include <QTest>

#include <csignal>
#include <thread>
#include <unistd.h>

// The program handles SIGTERM itself (it saves the notes and closes the
// database). The embedded engine would take the signal over when it starts
// and cut every attachment once it arrives; this process installs its own
// handler before touching any database, as the program does.
class TestDbSignals : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void terminationSignalStaysOurs();
};

namespace {
volatile std::sig_atomic_t gTerm = 0;
extern "C" void onTerm(int)
{
    gTerm = 1;
}

bool ourHandler(int sig)
{
    struct sigaction sa;
    sigaction(sig, nullptr, &sa);
    return sa.sa_handler == onTerm;
}
} // namespace

void TestDbSignals::initTestCase()
{
    struct sigaction sa = {};
    sa.sa_handler = onTerm;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        QCOMPARE(sigaction(sig, &sa, nullptr), 0);
}

void TestDbSignals::terminationSignalStaysOurs()
{
    TestPlatform platform;
    TestDatabase db; // loads the client, restores (services), attaches
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        QVERIFY2(ourHandler(sig), qPrintable(QString::number(sig)));
    auto worker = db.module().OpenAttachment();
    QVERIFY(ourHandler(SIGTERM));

    QCOMPARE(kill(getpid(), SIGTERM), 0);
    // the engine's own shutdown, had it seen the signal, acts within this
    std::this_thread::sleep_for(std::chrono::seconds(3));
    QCOMPARE(int(gTerm), 1);
    QCOMPARE(db.scalar({"select count(*) from FUSENGROUP"}), QStringLiteral("1"));
    db.exec({"insert into FUSEN (USERID, FTYPE, FGROUP) values ('u', 1, 0)"});
    worker->disconnect();
    db.module().Disconnect();
    QVERIFY(platform.errors.isEmpty());
}

QTEST_GUILESS_MAIN(TestDbSignals)
#include "tst_dbsignals.moc"
