#include "FbServices.h"

#include "DbError.h"
#include "FbClient.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <memory>
#include <thread>
#include <vector>

using namespace Firebird;

namespace {
// Whether the service's work still runs in the engine. The value follows the
// tag either directly or, in some versions, after a two-byte length.
bool stillRunning(IService* svc, TFbStatus& st)
{
    const unsigned char items[] = {isc_info_svc_running};
    unsigned char out[16] = {};
    svc->query(&st, 0, nullptr, sizeof items, items, sizeof out, out);
    if (failed(st)) {
        st.init();
        return false;
    }
    if (out[0] != isc_info_svc_running)
        return false;
    const unsigned char* p = (out[1] == 4 && out[2] == 0) ? out + 3 : out + 1;
    return (p[0] | p[1] | p[2] | p[3]) != 0;
}

void waitWhileRunning(IService* svc, TFbStatus& st, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (stillRunning(svc, st) && t.elapsed() < timeoutMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// The engine's service threads still run for a moment after a service has
// reported its end; unloading the engine under them (at exit) crashes the
// process. Measured: gone within 50 ms; the engine is left ten times that.
constexpr qint64 ServiceGraceMs = 500;
QMutex endMutex;
QElapsedTimer lastServiceEnd;

void serviceEnded()
{
    QMutexLocker lock(&endMutex);
    lastServiceEnd.start();
}

void graceAfterServices()
{
    qint64 left = 0;
    {
        QMutexLocker lock(&endMutex);
        if (lastServiceEnd.isValid())
            left = ServiceGraceMs - lastServiceEnd.elapsed();
    }
    if (left > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(left));
}

// Sweeps of the embedded engine run on in this process after we return.
// They must end before the engine is unloaded at exit, or the process
// crashes on the way out and the sweep is cut short.
struct Background
{
    TFbClient* client;
    IService* service;
};
QMutex backgroundMutex;
std::vector<Background> background;

void finishBackground(bool waitForRunning)
{
    QMutexLocker lock(&backgroundMutex);
    std::vector<Background> keep;
    for (const Background& b : background) {
        IStatus* raw = b.client->master()->getStatus();
        TFbStatus st(raw);
        if (waitForRunning)
            waitWhileRunning(b.service, st, 120000);
        if (!waitForRunning && stillRunning(b.service, st)) {
            keep.push_back(b);
        } else {
            b.service->detach(&st);
            if (failed(st))
                b.service->release();
            serviceEnded();
        }
        raw->dispose();
    }
    background.swap(keep);
}

// One service attachment with its own status, detached on destruction.
class ServiceSession
{
public:
    explicit ServiceSession(const TServiceParams& sp) : FClient(TFbClient::load(sp.clientLibrary))
    {
        FRawStatus = FClient.master()->getStatus();
        FStatus = std::make_unique<TFbStatus>(FRawStatus);
        TFbStatus& st = *FStatus;
        IXpbBuilder* spb = FClient.util()->getXpbBuilder(&st, IXpbBuilder::SPB_ATTACH, nullptr, 0);
        check();
        // Always sent: without a user name a non-root local call is refused.
        spb->insertString(&st, isc_spb_user_name, sp.userName.toUtf8().constData());
        spb->insertString(&st, isc_spb_password, sp.password.toUtf8().constData());
        if (sp.server.isEmpty())
            spb->insertString(&st, isc_spb_config, "Providers=Engine12");
        if (failed(st)) {
            spb->dispose();
            check();
        }
        const QByteArray name = FbServices::ServiceManagerName(sp.server).toUtf8();
        TFbSignalGuard signalGuard; // may be the engine's first start
        FService = FClient.provider()->attachServiceManager(
            &st, name.constData(), spb->getBufferLength(&st), spb->getBuffer(&st));
        spb->dispose();
        check();
        TFbClient::attached();
        static const bool hooked = [] {
            TFbClient::addShutdownHook([] {
                finishBackground(true);
                graceAfterServices();
            });
            return true;
        }();
        (void)hooked;
    }
    ~ServiceSession()
    {
        if (FService) {
            TFbStatus& st = *FStatus;
            st.init();
            FService->detach(&st);
            if (failed(st))
                FService->release();
        }
        FStatus.reset();
        FRawStatus->dispose();
    }
    ServiceSession(const ServiceSession&) = delete;
    ServiceSession& operator=(const ServiceSession&) = delete;

    // Starts an action; build fills the SPB after the action tag.
    template <typename Build> void start(unsigned char action, Build build)
    {
        TFbStatus& st = *FStatus;
        IXpbBuilder* spb = FClient.util()->getXpbBuilder(&st, IXpbBuilder::SPB_START, nullptr, 0);
        check();
        spb->insertTag(&st, action);
        build(spb, &st);
        if (failed(st)) {
            spb->dispose();
            check();
        }
        FService->start(&st, spb->getBufferLength(&st), spb->getBuffer(&st));
        spb->dispose();
        check();
    }

    // Reads the service's output until it has no more; errors of the action
    // arrive here when start() accepted it.
    void wait()
    {
        TFbStatus& st = *FStatus;
        const unsigned char items[] = {isc_info_svc_line};
        std::vector<unsigned char> out(16384);
        for (;;) {
            FService->query(&st, 0, nullptr, sizeof items, items, static_cast<unsigned>(out.size()),
                            out.data());
            check();
            bool more = false;
            const unsigned char* p = out.data();
            const unsigned char* end = p + out.size();
            while (p < end && *p != isc_info_end) {
                const unsigned char tag = *p++;
                if (tag == isc_info_svc_line) {
                    if (end - p < 2)
                        break;
                    const unsigned len = p[0] | (p[1] << 8);
                    p += 2 + len;
                    if (len > 0)
                        more = true;
                } else if (tag == isc_info_truncated || tag == isc_info_data_not_ready) {
                    more = true;
                } else {
                    break;
                }
            }
            if (!more)
                break;
        }
        // The output ends before the engine has closed the database: detached
        // now, the service's thread would still be working on it.
        waitWhileRunning(FService, st, 60000);
        serviceEnded();
    }

    // Leaves the running service to finish on its own; it is detached once it
    // has (at the latest when the engine shuts down).
    void leaveRunning()
    {
        finishBackground(false);
        QMutexLocker lock(&backgroundMutex);
        background.push_back({&FClient, FService});
        FService = nullptr;
    }

    void check()
    {
        TFbStatus& st = *FStatus;
        if (!failed(st))
            return;
        const intptr_t* v = st.getErrors();
        const int64_t gds = (v && v[0] == isc_arg_gds) ? v[1] : 0;
        const EDatabaseError e =
            EDatabaseError::fromCodes(gds, FClient.sqlCode(v), FClient.formatStatus(&st));
        st.init();
        throw e;
    }

private:
    TFbClient& FClient;
    IStatus* FRawStatus = nullptr;
    std::unique_ptr<TFbStatus> FStatus;
    IService* FService = nullptr;
};

QByteArray pathBytes(const TServiceParams& sp, const QString& path)
{
    return sp.server.isEmpty() ? QFile::encodeName(path) : path.toUtf8();
}
} // namespace

QString FbServices::ServiceManagerName(const QString& server)
{
    return server.isEmpty() ? QStringLiteral("service_mgr")
                            : server + QStringLiteral(":service_mgr");
}

void FbServices::Backup(const TServiceParams& sp, const QString& database,
                        const QString& backupFile)
{
    ServiceSession s(sp);
    const QByteArray db = pathBytes(sp, database);
    const QByteArray file = pathBytes(sp, backupFile);
    s.start(isc_action_svc_backup, [&](IXpbBuilder* spb, TFbStatus* st) {
        spb->insertString(st, isc_spb_dbname, db.constData());
        spb->insertString(st, isc_spb_bkp_file, file.constData());
        spb->insertInt(st, isc_spb_options, 0);
    });
    s.wait();
}

void FbServices::Restore(const TServiceParams& sp, const QString& backupFile,
                         const QString& database)
{
    ServiceSession s(sp);
    const QByteArray db = pathBytes(sp, database);
    const QByteArray file = pathBytes(sp, backupFile);
    s.start(isc_action_svc_restore, [&](IXpbBuilder* spb, TFbStatus* st) {
        spb->insertString(st, isc_spb_bkp_file, file.constData());
        spb->insertString(st, isc_spb_dbname, db.constData());
        spb->insertInt(st, isc_spb_options, isc_spb_res_create);
    });
    s.wait();
}

void FbServices::Sweep(const TServiceParams& sp, const QString& database)
{
    ServiceSession s(sp);
    const QByteArray db = pathBytes(sp, database);
    s.start(isc_action_svc_repair, [&](IXpbBuilder* spb, TFbStatus* st) {
        spb->insertString(st, isc_spb_dbname, db.constData());
        spb->insertInt(st, isc_spb_options, isc_spb_rpr_sweep_db);
    });
    // A server finishes the sweep by itself; the embedded engine needs this
    // process to live until it has.
    if (sp.server.isEmpty())
        s.leaveRunning();
}
