// SPDX-License-Identifier: Apache-2.0
#include "read_scheduler.h"

#include "replies.h"

#include <algorithm>

ReadScheduler::ReadScheduler(QObject* parent) : QObject(parent), m_reader(new CardReader)
{
    qRegisterMetaType<ReadOutcome>();
    m_reader->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_reader, &QObject::deleteLater);
    connect(m_reader, &CardReader::readDone, this, &ReadScheduler::readDone);
    connect(m_reader, &CardReader::probed, this, &ReadScheduler::probed);
    m_pollTimer.setInterval(CardPresence::kLookIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &ReadScheduler::pollDue);
    m_thread.start();
}

ReadScheduler::~ReadScheduler()
{
    m_thread.quit();
    m_thread.wait();
}

void ReadScheduler::requestRead(quint64 client, const Request& request)
{
    if (readsWaiting(client, false) >= kMaxReadsPerClient) {
        emit send(client, tooManyReadsError(request.id, kMaxReadsPerClient, false));
        return;
    }
    if (!request.copy.isEmpty() && readsWaiting(client, true) >= kMaxCopiesPerClient) {
        emit send(client, tooManyReadsError(request.id, kMaxCopiesPerClient, true));
        return;
    }
    m_waiting.append({client, request});
    startNext();
}

void ReadScheduler::watch(quint64 client, const Request& request)
{
    // Watching again only changes what the card events carry.
    m_watchers[client].request = request;
    if (!m_pollTimer.isActive()) {
        m_pollTimer.start();
        pollDue();  // a card already on the reader is announced at once
    }
}

void ReadScheduler::unwatch(quint64 client)
{
    m_watchers.remove(client);
    if (m_watchers.isEmpty()) {
        m_pollTimer.stop();
        m_pollDue = false;
    }
}

int ReadScheduler::readsWaiting(quint64 client, bool copiesOnly) const
{
    const auto ofClient = [client, copiesOnly](const Waiting& waiting) {
        return waiting.client == client && (!copiesOnly || !waiting.request.copy.isEmpty());
    };
    return static_cast<int>(std::count_if(m_waiting.cbegin(), m_waiting.cend(), ofClient) +
                            std::count_if(m_inRead.cbegin(), m_inRead.cend(), ofClient));
}

void ReadScheduler::forget(quint64 client)
{
    const auto ofClient = [client](const Waiting& waiting) { return waiting.client == client; };
    m_waiting.erase(std::remove_if(m_waiting.begin(), m_waiting.end(), ofClient), m_waiting.end());
    m_inRead.erase(std::remove_if(m_inRead.begin(), m_inRead.end(), ofClient), m_inRead.end());
    unwatch(client);
}

void ReadScheduler::pollDue()
{
    m_pollDue = true;
    startNext();
}

void ReadScheduler::startNext()
{
    if (m_running != Job::None)
        return;
    const bool someoneWaitsForCard = std::any_of(m_watchers.cbegin(), m_watchers.cend(),
                                                 [](const Watcher& watcher) { return watcher.presence.needsRead(); });
    if (!m_waiting.isEmpty() || (m_pollDue && someoneWaitsForCard)) {
        m_inRead.swap(m_waiting);
        m_waiting.clear();
        m_running = Job::Read;
        QMetaObject::invokeMethod(m_reader, &CardReader::read, Qt::QueuedConnection);
    } else if (m_pollDue) {
        m_running = Job::Probe;
        QMetaObject::invokeMethod(m_reader, &CardReader::probe, Qt::QueuedConnection);
    }
    m_pollDue = false;
}

void ReadScheduler::readDone(const ReadOutcome& outcome)
{
    m_running = Job::None;
    for (const Waiting& waiting : qAsConst(m_inRead))
        emit send(waiting.client, readReply(waiting.request, outcome));
    m_inRead.clear();
    tellWatchers(outcome);
    startNext();
}

void ReadScheduler::probed(int result)
{
    m_running = Job::None;
    ReadOutcome outcome;
    outcome.result = result;
    for (auto it = m_watchers.begin(); it != m_watchers.end(); ++it)
        tellWatcher(it.key(), *it, it->presence.afterCheck(result), outcome);
    startNext();
}

void ReadScheduler::tellWatchers(const ReadOutcome& outcome)
{
    for (auto it = m_watchers.begin(); it != m_watchers.end(); ++it)
        tellWatcher(it.key(), *it, it->presence.afterRead(outcome.result), outcome);
}

void ReadScheduler::tellWatcher(quint64 client, Watcher& watcher, CardPresence::Event event,
                                const ReadOutcome& outcome)
{
    switch (event) {
    case CardPresence::Event::Placed:
        watcher.idCode = outcome.card["record"].toObject()["idCode"];
        emit send(client, cardEvent(watcher.request, outcome));
        break;
    case CardPresence::Event::Removed: emit send(client, removedEvent(watcher.idCode)); break;
    case CardPresence::Event::Failed: emit send(client, watchFailureEvent(outcome.result)); break;
    case CardPresence::Event::None: break;
    }
}
