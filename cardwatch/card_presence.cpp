// SPDX-License-Identifier: Apache-2.0
#include "card_presence.h"

#include <pelorin/pelorin_api.h>

CardPresence::Event CardPresence::afterRead(int result)
{
    if (result != READ_OK || m_hasCard)
        return afterCheck(result);
    m_lastFailure = READ_OK;
    m_hasCard = true;
    return Event::Placed;
}

// A check never announces a card: it has not read one.
CardPresence::Event CardPresence::afterCheck(int result)
{
    if (result == READ_OK || result == READ_NO_DATA) {
        m_lastFailure = READ_OK;
        const bool removed = result == READ_NO_DATA && m_hasCard;
        if (removed)
            m_hasCard = false;
        return removed ? Event::Removed : Event::None;
    }
    if (result == m_lastFailure)
        return Event::None;
    m_lastFailure = result;
    return Event::Failed;
}
