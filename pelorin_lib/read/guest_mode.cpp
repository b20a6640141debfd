// SPDX-License-Identifier: Apache-2.0
#include "guest_mode.h"

#include <QtGlobal>
#include <atomic>
#include <mutex>

namespace {

thread_local bool t_guest = false;
std::atomic<bool> g_everyMessageGuest{false};
// Null only in the instant between installing ours and learning the old one.
std::atomic<QtMessageHandler> g_hostHandler{nullptr};

// Messages of the library's own work for a guest would land on the host's
// standard error; the host's own messages still go where it sends them.
void dropGuestMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QtMessageHandler host = g_hostHandler;
    if (!t_guest && !g_everyMessageGuest && host != nullptr)
        host(type, context, message);
}

void installMessageFilterOnce()
{
    static std::once_flag installed;
    std::call_once(installed, [] { g_hostHandler = qInstallMessageHandler(dropGuestMessages); });
}

// The locale the environment names, made once; null when it names none
// this system has (the thread then keeps the locale it has).
locale_t environmentLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
    return locale;
}

}  // namespace

namespace pelorin_kit {

GuestMode::GuestMode() : m_wasGuest(t_guest), m_previousLocale(uselocale(static_cast<locale_t>(0)))
{
    installMessageFilterOnce();
    if (environmentLocale() != static_cast<locale_t>(0))
        uselocale(environmentLocale());
    t_guest = true;
}

GuestMode::~GuestMode()
{
    t_guest = m_wasGuest;
    uselocale(m_previousLocale);
}

void dropEveryQtMessage()
{
    installMessageFilterOnce();
    g_everyMessageGuest = true;
}

}  // namespace pelorin_kit

bool inGuestMode()
{
    return t_guest;
}
