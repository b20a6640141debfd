// SPDX-License-Identifier: Apache-2.0
// Hands the reader one job at a time and routes what it answers. Reads asked
// for while the reader is busy share the next read; a client may have a few
// reads waiting, and is answered at once with an error for more, so that
// whatever it asks for, all its answers together stay well within what it
// may leave unread. While at least one client
// watches, a poll every 500 ms looks for a card: it reads the card for the
// watchers that have not had it yet, and otherwise only checks, without
// reading, whether the card is still there.
#pragma once

#include "card_presence.h"
#include "card_reader.h"
#include "request_handler.h"

#include <QMap>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <QVector>

class ReadScheduler : public QObject {
    Q_OBJECT
public:
    // Reads of one client waiting at a time: as many as a client may send at
    // once by default, and their answers, with photo and faces, take a few
    // hundred kilobytes, far from the 4 MiB a client may leave unread.
    static constexpr int kMaxReadsPerClient = 10;
    // Of those, reads with a copy of the card: a PNG copy alone takes close
    // to a megabyte in base64.
    static constexpr int kMaxCopiesPerClient = 2;

    explicit ReadScheduler(QObject* parent = nullptr);
    // Waits for a read in progress to end.
    ~ReadScheduler() override;

    void requestRead(quint64 client, const Request& request);
    void watch(quint64 client, const Request& request);
    void unwatch(quint64 client);
    // The client is gone: drop its waiting reads and its watch.
    void forget(quint64 client);
    bool isWatching(quint64 client) const { return m_watchers.contains(client); }

signals:
    void send(quint64 client, const QByteArray& message);

private:
    enum class Job { None, Read, Probe };
    struct Waiting {
        quint64 client;
        Request request;
    };
    struct Watcher {
        Request request;
        CardPresence presence;
        QJsonValue idCode;  // of the card announced to it, for its removal
    };

    void startNext();
    void pollDue();
    void readDone(const ReadOutcome& outcome);
    void probed(int result);
    void tellWatchers(const ReadOutcome& outcome);
    void tellWatcher(quint64 client, Watcher& watcher, CardPresence::Event event, const ReadOutcome& outcome);
    int readsWaiting(quint64 client, bool copiesOnly) const;

    QThread m_thread;
    CardReader* m_reader;
    Job m_running = Job::None;
    QVector<Waiting> m_waiting;  // for the next read
    QVector<Waiting> m_inRead;   // served by the read in progress
    QMap<quint64, Watcher> m_watchers;
    QTimer m_pollTimer;
    bool m_pollDue = false;
};
