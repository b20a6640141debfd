// SPDX-License-Identifier: Apache-2.0
// Shared set-up of the simulator tests: a clean environment, a closed port,
// and helpers to read a card and look at what came back.
#pragma once

#include "kvsdecompose.h"
#include "reader_results.h"

#include <gtest/gtest.h>

#include <QString>

#include <string>
#include <vector>

struct ReadOutcome {
    int result = 0;
    CardInfoStruct info{};
    std::vector<unsigned char> photo = std::vector<unsigned char>(38862, 0);
    unsigned int photoLength = 0;
    std::vector<unsigned char> fingerprints = std::vector<unsigned char>(1024, 0);
    unsigned int fingerprintLength = 0;
};

class SimulatorTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Open, find and read in one go, as the reader session does.
    ReadOutcome openAndRead();
    ReadOutcome read();
};

void setSimulatorVariable(const char* name, const QString& value);

// The units of a text field up to the first zero unit, as UTF-8.
std::string fieldText(const unsigned char* field, size_t bytes);

// Empty when `bytes` is a valid 102 x 126 24-bit photo bitmap with a drawn
// picture; otherwise what is wrong with it.
std::string photoBitmapProblem(const unsigned char* bytes, size_t length);
