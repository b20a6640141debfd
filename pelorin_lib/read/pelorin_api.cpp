// SPDX-License-Identifier: Apache-2.0
// The exported entry points: readIDCard with its worker and time-out,
// guiInit/guiUninit and the version text.
#include "pelorin_api.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QTimer>
#include <QtConcurrent>
#include <memory>
#include <mutex>
#include <optional>
#include <unistd.h>

#include "console_text.h"
#include "dbglog.h"
#include "exit_gate.h"
#include "face_glyphs.h"
#include "guest_mode.h"
#include "mps_reader.h"
#include "pelorin_kit.h"

bool gHasInited = false;
bool gHasRegisterSignal = false;
QGuiApplication* theApp = nullptr;

namespace {

constexpr int kReadTimeoutMs = 8000;

// Shared by one readIDCard call and its worker. The worker reads into
// copies of its own and hands them to the caller only while the call is
// still waiting; a call that times out marks the context abandoned, so a
// late worker never touches the caller's (possibly gone) objects.
// Only what a successful read fills goes back: a caller that re-enters
// readIDCard with the same records must not have one call's untouched
// copies overwrite what the other call read.
class ReadContext {
public:
    ReadContext(const ReadInfo& caller, bool guest) : m_guest(guest), m_caller(caller)
    {
        m_worker.pIDType = copyOf(caller.pIDType, m_idType);
        m_worker.pIDAllInfoCN = copyOf(caller.pIDAllInfoCN, m_cn);
        m_worker.pIDAllInfoForeign2017 = copyOf(caller.pIDAllInfoForeign2017, m_foreign2017);
        m_worker.pIDAllInfoForeignNew = copyOf(caller.pIDAllInfoForeignNew, m_foreignNew);
        m_worker.pIDAllInfoHMT = copyOf(caller.pIDAllInfoHMT, m_hmt);
        m_worker.pFrontBase64 = copyOf(caller.pFrontBase64, m_front);
        m_worker.pBackBase64 = copyOf(caller.pBackBase64, m_back);
    }

    READ_RESULT run()
    {
        WorkerInside inside;
        if (isAbandoned())
            return READ_DATA_TIMEOUT;  // cancelled before it started: do not read at all
        std::optional<pelorin_kit::GuestMode> guest;
        if (m_guest)
            guest.emplace();
        const FaceGlyphs::Watch glyphs;
        READ_RESULT result = CMpsReader::readIDCardThread(&m_worker);
        if (result == READ_OK)
            deliver(glyphs.missed());
        return result;
    }

    // Whether the faces delivered miss characters; false until they are delivered.
    bool facesDegraded()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_facesDegraded;
    }

    void abandon()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_abandoned = true;
    }

private:
    template <typename T>
    static T* copyOf(T* callerObject, std::unique_ptr<T>& own)
    {
        if (callerObject == nullptr)
            return nullptr;  // the worker reports the missing argument
        own = std::make_unique<T>(*callerObject);
        return own.get();
    }

    template <typename T>
    static void copyBack(T* callerObject, const std::unique_ptr<T>& own)
    {
        if (callerObject != nullptr)
            *callerObject = *own;
    }

    bool isAbandoned()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_abandoned;
    }

    void deliver(bool facesDegraded)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_abandoned)
            return;
        m_facesDegraded = facesDegraded;
        copyBack(m_caller.pIDType, m_idType);
        switch (*m_idType) {
        case ID_TYPE_CN: copyBack(m_caller.pIDAllInfoCN, m_cn); break;
        case ID_TYPE_FOREIGN_2017: copyBack(m_caller.pIDAllInfoForeign2017, m_foreign2017); break;
        case ID_TYPE_FOREIGN_NEW: copyBack(m_caller.pIDAllInfoForeignNew, m_foreignNew); break;
        case ID_TYPE_HMT: copyBack(m_caller.pIDAllInfoHMT, m_hmt); break;
        case ID_TYPE_UNKNOWN: break;
        }
        copyBack(m_caller.pFrontBase64, m_front);
        copyBack(m_caller.pBackBase64, m_back);
    }

    std::mutex m_mutex;
    bool m_abandoned = false;
    bool m_facesDegraded = false;
    const bool m_guest;  // the caller works for a guest: so does the worker
    const ReadInfo m_caller;
    ReadInfo m_worker{};
    std::unique_ptr<ID_TYPE> m_idType;
    std::unique_ptr<IDCARD_INFO_ALL_CN> m_cn;
    std::unique_ptr<IDCARD_INFO_ALL_FOREIGN_2017> m_foreign2017;
    std::unique_ptr<IDCARD_INFO_ALL_FOREIGN_NEW> m_foreignNew;
    std::unique_ptr<IDCARD_INFO_ALL_HMT> m_hmt;
    std::unique_ptr<std::string> m_front;
    std::unique_ptr<std::string> m_back;
};

// Reads run on a thread pool of their own, one at a time. On the global pool a
// read would wait behind the application's own tasks, and a read that starts
// while the previous worker is still winding down would start a second thread,
// which then needs heaps and font caches of its own: megabytes more for the
// rest of the process.
class ReadPool {
public:
    ReadPool() { m_pool->setMaxThreadCount(1); }
    // The idle read thread ends with the process. A worker still at work
    // outlived its call (stuck in the reader library, most likely): it is
    // left behind rather than holding up the exit, and kept out of it. A
    // child forked after a read has none of the pool's threads (nor its
    // locks' holders): nothing to wait for there.
    ~ReadPool()
    {
        if (getpid() != m_owner)
            return;
        if (m_pool->activeThreadCount() == 0 && m_pool->waitForDone(kExitWaitMs))
            delete m_pool;
        else
            closeExitGate();
    }
    QThreadPool* get() const { return m_pool; }

private:
    static constexpr int kExitWaitMs = 1000;
    const pid_t m_owner = getpid();
    QThreadPool* const m_pool = new QThreadPool;
};

QThreadPool* readPool()
{
    static ReadPool pool;
    return pool.get();
}

void registerCrashHandlersOnce()
{
    if (gHasRegisterSignal)
        return;
    installCrashHandlers();
    gHasRegisterSignal = true;
}

// Argument count and vector of the application object guiInit creates; the
// object refers to both for its whole life.
int g_appArgc = 1;
char g_appName[] = "dummy_app_name";
char* g_appArgv[] = {g_appName, nullptr};

thread_local bool t_lastFacesDegraded = false;

}  // namespace

bool pelorin_kit::lastReadFacesDegraded()
{
    return t_lastFacesDegraded;
}

READ_RESULT readIDCard(ID_TYPE* pIDType, IDCARD_INFO_ALL_CN* pIDAllInfoCN,
                       IDCARD_INFO_ALL_FOREIGN_2017* pIDAllInfoForeign2017,
                       IDCARD_INFO_ALL_FOREIGN_NEW* pIDAllInfoForeignNew, IDCARD_INFO_ALL_HMT* pIDAllInfoHMT,
                       std::string* pFrontBase64, std::string* pBackBase64)
{
    const bool guest = inGuestMode();
    if (!guest)
        registerCrashHandlersOnce();
    const ReadInfo readInfo{pIDType,       pIDAllInfoCN, pIDAllInfoForeign2017, pIDAllInfoForeignNew,
                            pIDAllInfoHMT, pFrontBase64, pBackBase64};
    auto context = std::make_shared<ReadContext>(readInfo, guest);
    QFuture<READ_RESULT> future = QtConcurrent::run(readPool(), [context] { return context->run(); });

    QEventLoop loop;
    // A timer owned by the call: a static single shot would stay registered for
    // its whole 8 s after the call returned, and a caller reading card after
    // card would pile up thousands of them in the event dispatcher.
    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(kReadTimeoutMs);
    QFutureWatcher<READ_RESULT> watcher;
    QObject::connect(&watcher, &QFutureWatcher<READ_RESULT>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    loop.exec(QEventLoop::AllEvents);

    safe_write_fmt("[%s(%d)<%s>] <4>\n", __FILE_NAME__, __LINE__, "readIDCard");
    if (!future.isFinished()) {
        context->abandon();
        future.cancel();
        safe_write_fmt("超时8秒未完成读卡\n");
        return READ_DATA_TIMEOUT;
    }
    safe_write_fmt("[%s(%d)<%s>] <5>\n", __FILE_NAME__, __LINE__, "readIDCard");
    // The same mark on standard output (none for a guest).
    printConsole(L"[%s(%d)<%s>] <5>\n", __FILE_NAME__, __LINE__, "readIDCard");

    // The worker has finished: its result is the read's, a failure or the
    // caller's records filled.
    READ_RESULT result = future.result();
    if (result != READ_OK) {
        safe_write_fmt("[%s(%d)<%s>] read fail, result:%d\n", __FILE_NAME__, __LINE__, "readIDCard",
                       static_cast<int>(result));
        return result;
    }
    t_lastFacesDegraded = context->facesDegraded();
    return READ_OK;
}

std::string getSDKVersion()
{
    return "version:" PELORIN_VERSION;
}

void guiInit()
{
    registerCrashHandlersOnce();
    if (gHasInited)
        return;
    theApp = new QGuiApplication(g_appArgc, g_appArgv);
    gHasInited = true;
}

void guiUninit()
{
    if (!gHasInited || theApp == nullptr)
        return;
    delete theApp;
    theApp = nullptr;
    gHasInited = false;
}
