// SPDX-License-Identifier: Apache-2.0
// The reader's side of the service. A CardReader lives on a thread of its
// own and does one reader access per slot call; the scheduler never queues
// a second call before the first has answered, so accesses are one at a time.
#pragma once

#include "read_outcome.h"

#include <QObject>

class CardReader : public QObject {
    Q_OBJECT
public slots:
    // One readIDCard; answers with readDone.
    void read();
    // Whether a card lies on the reader, without reading it: READ_OK when
    // one does, READ_NO_DATA when none does, another READ_RESULT when the
    // reader cannot tell. Answers with probed.
    void probe();

signals:
    void readDone(const ReadOutcome& outcome);
    void probed(int result);
};
