// SPDX-License-Identifier: Apache-2.0
// The reader's behaviour chosen by KVSSIM_SCENARIO.
#pragma once

#include <QByteArray>

struct Scenario {
    enum Kind { Normal, NoReader, NoCard, Retry, AlwaysRetry, ReadError, Block, CardType };
    Kind kind = Normal;
    int value = 0;  // N of retry:N, CODE of read-error:CODE, MS of block:MS, N of card-type:N
};

// An empty text is the normal reader; unknown text returns false.
bool parseScenario(const QByteArray& text, Scenario& scenario);
