// SPDX-License-Identifier: Apache-2.0
#include "card_look.h"

#include "card_check.h"

CardPresence::Event lookAtReader(CardPresence& presence, const std::function<int()>& read, int& result)
{
    result = checkForCard();
    if (result != READ_OK || !presence.needsRead())
        return presence.afterCheck(result);
    result = read();
    return presence.afterRead(result);
}
