// SPDX-License-Identifier: Apache-2.0
// When a card was placed on the reader and when it was taken away, decided
// from successive looks at the reader: a read while no card has been
// announced, a presence check (no read) while one has. The card service's
// watch, pelorin-read --watch and the C interface's watch all decide here.
#pragma once

class CardPresence {
public:
    enum class Event {
        None,     // nothing to tell
        Placed,   // announce the card just read
        Removed,  // the announced card was taken away
        Failed,   // the reader failed in a new way: report the result
    };
    // Time between two looks at the reader.
    static constexpr int kLookIntervalMs = 500;

    // Whether the next look must read the card or may only check that the
    // announced one is still there.
    bool needsRead() const { return !m_hasCard; }
    // Results are READ_RESULT values; READ_OK of a check means a card is there.
    Event afterRead(int result);
    Event afterCheck(int result);

private:
    bool m_hasCard = false;
    int m_lastFailure = 0;  // reported already; a reader that keeps failing so is told once
};
