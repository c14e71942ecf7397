#include "FbClient.h"

#include "DbError.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
// Long enough for a sweep or backup to stop, short enough not to hang an exit.
constexpr unsigned ShutdownTimeoutMs = 10000;

QMutex& registryMutex()
{
    static QMutex m;
    return m;
}
std::vector<void (*)()>& shutdownHooks()
{
    static auto* h = new std::vector<void (*)()>();
    return *h;
}

QHash<QString, TFbClient*>& registry()
{
    // Never destroyed: attachments may still be closing while static
    // destructors run, and the library must stay mapped under them.
    static auto* r = new QHash<QString, TFbClient*>();
    return *r;
}

// A folder that is ours alone: created 0700 if missing, and refused when it
// is a link, belongs to someone else or is open to others (another user could
// otherwise plant lock files and stall or corrupt our engine).
bool ensurePrivateFolder(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    if (::mkdir(p.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    if (::lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 077) != 0 && ::chmod(p.constData(), 0700) != 0)
        return false;
    return true;
}

[[noreturn]] void loadFailure(const QString& library, const QString& reason)
{
    throw EDatabaseError(
        keOther, 0, 0,
        QStringLiteral("データベースのクライアントライブラリ「%1」を読み込めません。"
                       "設定のClientLibraryを確認してください。\n%2")
            .arg(library, reason));
}
} // namespace

namespace {
constexpr int GuardedSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Whether a disposition runs code of the Firebird client or its plugins.
bool firebirdHandler(const struct sigaction& sa)
{
    void* fn = (sa.sa_flags & SA_SIGINFO) ? reinterpret_cast<void*>(sa.sa_sigaction)
                                          : reinterpret_cast<void*>(sa.sa_handler);
    if (sa.sa_handler == SIG_DFL || sa.sa_handler == SIG_IGN || !fn)
        return false;
    Dl_info info;
    if (!::dladdr(fn, &info) || !info.dli_fname)
        return false;
    const QByteArray file(info.dli_fname);
    return file.contains("fbclient") || file.contains("/firebird/");
}
} // namespace

struct TFbSignalGuard::Saved
{
    struct sigaction before[std::size(GuardedSignals)];
};

TFbSignalGuard::TFbSignalGuard() : FSaved(new Saved)
{
    for (size_t i = 0; i < std::size(GuardedSignals); ++i)
        ::sigaction(GuardedSignals[i], nullptr, &FSaved->before[i]);
}

TFbSignalGuard::~TFbSignalGuard()
{
    for (size_t i = 0; i < std::size(GuardedSignals); ++i) {
        struct sigaction now;
        if (::sigaction(GuardedSignals[i], nullptr, &now) == 0 && firebirdHandler(now) &&
            !firebirdHandler(FSaved->before[i]))
            ::sigaction(GuardedSignals[i], &FSaved->before[i], nullptr);
    }
    delete FSaved;
}

QString TFbClient::prepareLockFolder()
{
    static QString folder;
    static bool done = false;
    if (done)
        return folder;
    done = true;
    if (qEnvironmentVariableIsSet("FIREBIRD_LOCK"))
        return folder;
    // The engine's default (/tmp/firebird) belongs to whoever created it first
    // and shuts every other user out of the embedded engine.
    const QString uid = QString::number(::geteuid());
    QStringList candidates;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        candidates << runtime + QStringLiteral("/kwil-firebird");
    candidates << QDir::tempPath() + QStringLiteral("/kwil-firebird-") + uid;
    candidates << QDir::homePath() + QStringLiteral("/.cache/kwil-firebird-") + uid;
    for (const QString& c : candidates) {
        if (c.startsWith(QDir::homePath() + QStringLiteral("/.cache")))
            QDir().mkpath(QDir::homePath() + QStringLiteral("/.cache"));
        if (ensurePrivateFolder(c)) {
            folder = c;
            qputenv("FIREBIRD_LOCK", QFile::encodeName(c));
            break;
        }
    }
    return folder;
}

TFbClient& TFbClient::load(const QString& library)
{
    QMutexLocker lock(&registryMutex());
    if (TFbClient* c = registry().value(library))
        return *c;
    prepareLockFolder();
    TFbSignalGuard signalGuard;
    const QByteArray file = QFile::encodeName(library);
    void* h = file.isEmpty() ? nullptr : ::dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char* err = ::dlerror();
        loadFailure(library, err ? QString::fromLocal8Bit(err) : QStringLiteral("file not found"));
    }
    using MasterFn = Firebird::IMaster* (*)();
    auto getMaster = reinterpret_cast<MasterFn>(::dlsym(h, "fb_get_master_interface"));
    if (!getMaster) {
        ::dlclose(h); // nothing of it has run yet
        loadFailure(library, QStringLiteral("fb_get_master_interface not found"));
    }
    std::unique_ptr<TFbClient> c(new TFbClient);
    c->FLibrary = library;
    c->FHandle = h;
    c->FMaster = getMaster();
    c->FSqlCode = reinterpret_cast<SqlCodeFn>(::dlsym(h, "isc_sqlcode"));
    c->FProvider = c->FMaster->getDispatcher();
    c->FUtil = c->FMaster->getUtilInterface();
    TFbClient* raw = c.release();
    registry().insert(library, raw);
    return *raw;
}

void TFbClient::attached()
{
    // At exit the client and its plugins unload the engine on their own,
    // while engine threads (a service finishing, a sweep) may still run: the
    // process crashes. Handlers run last-registered first, and the plugins
    // register theirs during the first attachment: registering after it puts
    // ours, which waits for those threads, ahead of them.
    static std::atomic<bool> registered{false};
    if (!registered.exchange(true))
        std::atexit([] { TFbClient::shutdownAll(); });
}

void TFbClient::addShutdownHook(void (*hook)())
{
    QMutexLocker lock(&registryMutex());
    shutdownHooks().push_back(hook);
}

void TFbClient::shutdownAll()
{
    std::vector<void (*)()> hooks;
    {
        QMutexLocker lock(&registryMutex());
        hooks.swap(shutdownHooks());
    }
    for (auto hook : hooks)
        hook();
    QMutexLocker lock(&registryMutex());
    for (TFbClient* c : std::as_const(registry())) {
        if (c->FShutDown)
            continue;
        c->FShutDown = true;
        Firebird::IStatus* s = c->FMaster->getStatus();
        TFbStatus st(s);
        c->FProvider->shutdown(&st, ShutdownTimeoutMs, fb_shutrsn_app_stopped);
        s->dispose();
    }
}

int TFbClient::sqlCode(const intptr_t* vector) const
{
    return FSqlCode ? static_cast<int>(FSqlCode(reinterpret_cast<const ISC_STATUS*>(vector))) : 0;
}

QString TFbClient::formatStatus(Firebird::IStatus* status) const
{
    char buf[4096];
    const unsigned len = FUtil->formatStatus(buf, sizeof buf - 1, status);
    buf[std::min<unsigned>(len, sizeof buf - 1)] = 0;
    // Messages carry object names and exception texts in the connection's
    // character set, which is UTF-8 compatible here.
    QString text = QString::fromUtf8(buf);
    while (text.endsWith(u'\n') || text.endsWith(u' '))
        text.chop(1);
    return text;
}
