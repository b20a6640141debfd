// SPDX-License-Identifier: Apache-2.0
#include "reader_list.h"

#include <cstdio>

#include "frame.h"
#include "reader_choice.h"
#include "reader_results.h"

namespace {

const char* findAnswer(int result)
{
    switch (result) {
    case reader_result::kOk: return "card found";
    case cardproto::kStatusNoCard: return "no card";
    case reader_result::kTimedOut: return "no answer";
    case reader_result::kBadFrame: return "garbled answer";
    case reader_result::kLineLost: return "line lost";
    default: return "reader status";
    }
}

// The best answer of all readers counts: a card anywhere, else a reader that
// said "no card", else none answered.
int probeStatus(int best, int result)
{
    if (result == reader_result::kOk)
        return probe_status::kCardFound;
    if (result == cardproto::kStatusNoCard && best != probe_status::kCardFound)
        return probe_status::kNoCard;
    return best;
}

}  // namespace

int listReaders(bool probe)
{
    ReaderListing listing;
    if (!listReaders(probe, listing)) {
        std::fprintf(stderr, "pelorin-read: the reader-access library in use reads no readers file\n");
        return probe_status::kNotConfigured;
    }
    if (!listing.problem.empty()) {
        std::fprintf(stderr, "pelorin-read: %s\n", listing.problem.c_str());
        return probe_status::kNotConfigured;
    }
    std::printf("readers file: %s\n", listing.file.c_str());
    int status = probe_status::kNoAnswer;
    for (const ListedReader& reader : listing.readers) {
        const std::string name = reader.where.empty() ? reader.kind : reader.kind + " " + reader.where;
        std::printf("%s: %s", name.c_str(), reader.present ? "present" : "absent");
        if (probe && reader.present) {
            if (!reader.problem.empty()) {
                std::printf(", cannot be opened (%s)", reader.problem.c_str());
            } else {
                std::printf(", %s (%d)", findAnswer(reader.answer), reader.answer);
                status = probeStatus(status, reader.answer);
            }
        }
        std::printf("\n");
    }
    return probe ? status : 0;
}
