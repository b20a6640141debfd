// SPDX-License-Identifier: Apache-2.0
// The simulated reader: a card of a card file, or the built-in card, that
// behaves as KVSSIM_SCENARIO or KVSSIM_SCENARIO_FILE say (see README.md).
// The reader-access library opens one for a "simulated" line of the readers file.
#pragma once

#include "open_reader.h"
#include "scenario.h"
#include "simulated_card.h"

#include <memory>
#include <string>

class SimulatedReader : public OpenReader {
public:
    // Opens the reader with the card of `cardFile` (empty: the card file
    // KVSSIM_CARD names, else the built-in card) and the scenario the
    // environment sets now. Null with the reason in `problem` for the
    // scenario no-reader, a scenario not understood or a card file that
    // cannot be used.
    static std::unique_ptr<SimulatedReader> open(const std::string& cardFile, std::string& problem);
    // Whether it would open as far as a look tells: no no-reader scenario,
    // and the card file it would present exists.
    static bool present(const std::string& cardFile);

    int findCard() override;
    int readCard(CardInfoStruct& info, unsigned char* photo, unsigned int& photoLength,
                 unsigned char* fingerprints, unsigned int& fingerprintLength) override;

private:
    SimulatedReader(const Scenario& scenario, const SimulatedCard& card);

    const Scenario m_scenario;
    const SimulatedCard m_card;
    int m_retriesLeft;
};
