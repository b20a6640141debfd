// SPDX-License-Identifier: Apache-2.0
// One card read through the C interface, with everything its accessors hand
// out prepared once at read time.
#pragma once

#include "card_read.h"

#include <QByteArray>

#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct CardResult {
    std::unique_ptr<CardRead> read;
    std::string json;
    // The JSON record's texts, nested parts named "birth.year" and so on.
    std::vector<std::pair<std::string, std::string>> texts;
    QByteArray front;
    QByteArray back;
    // The copies handed out, kept until the card is freed: each call makes
    // one, and the pointers to the earlier ones stay valid.
    std::list<QByteArray> copies;

    // The text of a field, or null when the card has no field of that name.
    const std::string* text(const char* field) const;
};

// read must hold a card of a known kind.
std::unique_ptr<CardResult> makeCardResult(std::unique_ptr<CardRead> read);
