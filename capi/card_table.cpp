// SPDX-License-Identifier: Apache-2.0
#include "card_table.h"

#include <pthread.h>

CardTable& CardTable::instance()
{
    // Never destroyed: a host may still free cards while the process exits.
    static CardTable* const table = [] {
        static CardTable* made = new CardTable;
        // A child forked while another thread held the lock would wait for it
        // for ever when it frees the cards it inherited (Python does at exit):
        // the fork waits for the lock instead, and both sides release it.
        const auto release = [] { made->m_mutex.unlock(); };
        pthread_atfork([] { made->m_mutex.lock(); }, release, release);
        return made;
    }();
    return *table;
}

pelorin_card* CardTable::add(std::unique_ptr<CardResult> card)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::uintptr_t newKey = ++m_lastKey;
    m_cards.emplace(newKey, std::move(card));
    return reinterpret_cast<pelorin_card*>(newKey);
}

bool CardTable::remove(const pelorin_card* handle)
{
    std::unique_ptr<CardResult> card;  // destroyed after the lock is released
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_cards.find(key(handle));
    if (it == m_cards.end())
        return false;
    card = std::move(it->second);
    m_cards.erase(it);
    return true;
}
