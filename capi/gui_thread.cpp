// SPDX-License-Identifier: Apache-2.0
#include "gui_thread.h"

#include "descriptor_room.h"
#include "pelorin_kit.h"
#include "standard_descriptors.h"

#include <pelorin/pelorin_c.h>

#include <QGuiApplication>
#include <QTextCodec>
#include <QThread>

#include <atomic>
#include <clocale>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// Whether the process's application object is the one the library made.
std::atomic<bool> g_ownApplication{false};

// The library's own GUI thread. It lives as long as the process, and once
// started it waits for reads without touching Qt in between, so the
// process can end at any moment.
class OwnGuiThread {
public:
    // Returns once the application object exists.
    OwnGuiThread()
    {
        std::thread([this] { serve(); }).detach();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_ready; });
    }

    int run(const std::function<int()>& read)
    {
        std::lock_guard<std::mutex> turn(m_turn);
        std::unique_lock<std::mutex> lock(m_mutex);
        m_read = &read;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_read == nullptr; });
        return m_result;
    }

private:
    void serve()
    {
        leaveAsynchronousSignalsToTheHost();
        pelorin_kit::GuestMode guest;  // everything this thread does, it does for the host
        createApplication();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready = true;
        m_changed.notify_all();
        for (;;) {
            m_changed.wait(lock, [this] { return m_read != nullptr; });
            lock.unlock();
            const int result = (*m_read)();
            lock.lock();
            m_result = result;
            m_read = nullptr;
            m_changed.notify_all();
        }
    }

    // The host's signals (SIGINT, SIGCHLD, a JVM's SIGQUIT) go to its own
    // threads; the faults of this thread stay this thread's.
    static void leaveAsynchronousSignalsToTheHost()
    {
        sigset_t asynchronous;
        sigfillset(&asynchronous);
        for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT})
            sigdelset(&asynchronous, fault);
        pthread_sigmask(SIG_BLOCK, &asynchronous, nullptr);
    }

    // Offscreen whatever the environment says, chosen by argument so that
    // the environment stays the host's. Qt sets the process's locale from
    // the environment when the object is made: the host's comes back at
    // once, after Qt has settled its file-name encoding on the environment's.
    // The host is no Qt program: every Qt message is the library's.
    static void createApplication()
    {
        static int argc = 3;
        static char name[] = "pelorin", platform[] = "-platform", offscreen[] = "offscreen";
        static char* argv[] = {name, platform, offscreen, nullptr};
        pelorin_kit::dropEveryQtMessage();
        const std::string hostLocale = setlocale(LC_ALL, nullptr);
        new QGuiApplication(argc, argv);
        g_ownApplication = true;
        QTextCodec::codecForLocale();
        setlocale(LC_ALL, hostLocale.c_str());
    }

    std::mutex m_turn;  // one caller at a time
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const std::function<int()>* m_read = nullptr;
    int m_result = PELORIN_OK;
    bool m_ready = false;
};

std::mutex g_setUpMutex;
bool g_setUp = false;
// Made by the set-up of a process without an application object; never
// destroyed: its thread may still wait when the process ends.
OwnGuiThread* g_ownThread = nullptr;

}  // namespace

int readerAccess()
{
    static const pid_t firstUse = getpid();
    if (getpid() != firstUse)
        return PELORIN_FORKED;
    const QCoreApplication* application = QCoreApplication::instance();
    if (application != nullptr && !g_ownApplication && QThread::currentThread() != application->thread())
        return PELORIN_WRONG_THREAD;
    return PELORIN_OK;
}

int prepareReads()
{
    const int access = readerAccess();
    if (access != PELORIN_OK)
        return access;
    if (!descriptorsToSpare())
        return PELORIN_NO_DESCRIPTORS;
    std::lock_guard<std::mutex> lock(g_setUpMutex);
    if (!g_setUp) {
        StandardDescriptorsHeld standard;
        if (QCoreApplication::instance() == nullptr)
            g_ownThread = new OwnGuiThread;
        g_setUp = true;
    }
    return PELORIN_OK;
}

int runOnGuiThread(const std::function<int()>& read)
{
    const int prepared = prepareReads();
    if (prepared != PELORIN_OK)
        return prepared;
    StandardDescriptorsHeld standard;  // the read thread Qt may start, the files a read opens
    if (g_ownThread != nullptr)        // set before prepareReads released its lock
        return g_ownThread->run(read);
    pelorin_kit::GuestMode guest;  // on the host's GUI thread
    return read();
}
