// SPDX-License-Identifier: Apache-2.0
#include "reader_list.h"

#include <cstdio>

#include "frame.h"
#include "reader_open.h"
#include "reader_results.h"
#include "reader_session.h"

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
    const std::string file = readersFile();
    std::vector<ConfiguredReader> readers;
    std::string problem;
    if (!loadReaders(file, readers, problem)) {
        std::fprintf(stderr, "pelorin-read: %s\n", problem.c_str());
        return probe_status::kNotConfigured;
    }
    std::printf("readers file: %s\n", file.c_str());
    int status = probe_status::kNoAnswer;
    for (const ConfiguredReader& reader : readers) {
        const bool present = reader.present();
        std::printf("%s: %s", reader.describe().c_str(), present ? "present" : "absent");
        if (probe && present) {
            std::unique_ptr<ReaderLine> line = openReader(reader, problem);
            if (!line) {
                std::printf(", cannot be opened (%s)", problem.c_str());
            } else {
                const int result = ReaderSession(std::move(line)).findCard();
                std::printf(", %s (%d)", findAnswer(result), result);
                status = probeStatus(status, result);
            }
        }
        std::printf("\n");
    }
    return probe ? status : 0;
}
