// SPDX-License-Identifier: Apache-2.0
// Gender as the foreigner card pages show it: Chinese and English side by side.
#pragma once

#include <QString>

#include <string>

// "男 / M" or "女 / F"; a null QString for any other text, in which case
// the page keeps what it showed before.
QString bilingualGender(const std::string &gender);
