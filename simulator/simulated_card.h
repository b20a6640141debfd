// SPDX-License-Identifier: Apache-2.0
// One card as the simulated reader presents it.
#pragma once

#include "kvsdecompose.h"

#include <QByteArray>

constexpr int kMaxPhotoBytes = 38862;       // the caller's photo buffer
constexpr int kMaxFingerprintBytes = 1024;  // the caller's fingerprint buffer

struct SimulatedCard {
    CardInfoStruct info{};
    QByteArray photo;         // at most kMaxPhotoBytes
    QByteArray fingerprints;  // at most kMaxFingerprintBytes
};
