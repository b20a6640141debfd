// SPDX-License-Identifier: Apache-2.0
// The C interface's watch: cards placed on the reader and taken away.
#include <pelorin/pelorin_c.h>

#include "cancellation.h"
#include "card_look.h"
#include "gui_thread.h"

#include <new>

static_assert(PELORIN_WATCH_INTERVAL_MS == CardPresence::kLookIntervalMs,
              "C callers pace their looks as the other watchers do");

struct pelorin_watch {
    CardPresence presence;
};

extern "C" {

int pelorin_watch_new(pelorin_watch** watch)
{
    if (watch == nullptr)
        return PELORIN_NULL_ARGUMENT;
    *watch = new (std::nothrow) pelorin_watch;
    return *watch != nullptr ? PELORIN_OK : PELORIN_UNKNOWN_ERROR;
}

int pelorin_watch_free(pelorin_watch* watch)
{
    delete watch;
    return PELORIN_OK;
}

int pelorin_watch_look(pelorin_watch* watch, int* event, pelorin_card** card)
{
    if (watch == nullptr || event == nullptr || card == nullptr)
        return PELORIN_NULL_ARGUMENT;
    *event = PELORIN_WATCH_NOTHING;
    *card = nullptr;
    // The same rules for the checks as for the reads they lead to.
    const int access = readerAccess();
    if (access != PELORIN_OK)
        return access;
    return withoutCancellation([watch, event, card] {
        try {
            int result = PELORIN_OK;
            switch (lookAtReader(watch->presence, [card] { return pelorin_read(card); }, result)) {
            case CardPresence::Event::Placed: *event = PELORIN_WATCH_PLACED; return PELORIN_OK;
            case CardPresence::Event::Removed: *event = PELORIN_WATCH_REMOVED; return PELORIN_OK;
            case CardPresence::Event::Failed: *event = PELORIN_WATCH_FAILED; return result;
            case CardPresence::Event::None: return PELORIN_OK;
            }
            return PELORIN_OK;
        } catch (...) {
            return PELORIN_UNKNOWN_ERROR;  // out of memory: nothing may unwind into C
        }
    });
}

}  // extern "C"
