// SPDX-License-Identifier: Apache-2.0
// The live cards of the C interface, reached through handles that are keys
// of this table and never addresses: a freed or made-up handle finds nothing
// instead of touching memory.
#pragma once

#include "card_result.h"

#include <pelorin/pelorin_c.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

class CardTable {
public:
    static CardTable& instance();

    pelorin_card* add(std::unique_ptr<CardResult> card);
    bool remove(const pelorin_card* handle);

    // Calls use(card) under the table's lock, so no other thread can free
    // the card meanwhile; PELORIN_BAD_CARD for a handle of no live card.
    template <typename Use>
    int use(const pelorin_card* handle, Use use)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_cards.find(key(handle));
        if (it == m_cards.end())
            return PELORIN_BAD_CARD;
        return use(*it->second);
    }

private:
    static std::uintptr_t key(const pelorin_card* handle)
    {
        return reinterpret_cast<std::uintptr_t>(handle);
    }

    std::mutex m_mutex;
    std::map<std::uintptr_t, std::unique_ptr<CardResult>> m_cards;
    std::uintptr_t m_lastKey = 0;  // keys are never reused, so a stale handle stays dead
};
