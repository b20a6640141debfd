#include "gui_thread.h"

#include "gui_platform.h"

#include <pelorin/pelorin_api.h>
#include <pelorin/pelorin_c.h>

#include <QCoreApplication>
#include <QThread>

#include <mutex>

int enterGuiThread()
{
    // Two threads reading first at the same time must not both create one.
    static std::mutex creation;
    std::lock_guard<std::mutex> lock(creation);
    if (QCoreApplication::instance() == nullptr) {
        preferOffscreenWithoutDisplay();
        guiInit();
    }
    // The library reads on the GUI thread, whose event loop it runs while it
    // waits, and Qt's GUI objects belong to that thread: other threads are
    // refused rather than left to chance.
    return QThread::currentThread() == QCoreApplication::instance()->thread() ? PELORIN_OK
                                                                             : PELORIN_WRONG_THREAD;
}
