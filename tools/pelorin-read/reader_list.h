// SPDX-License-Identifier: Apache-2.0
// pelorin-read --list-readers and --probe: the readers of the reader
// library's readers file, whether each is there, and what each one that is
// there answers to find card.
#pragma once

// Exit statuses of --probe (--list-readers gives 0 or kNotConfigured), so a
// script can tell the cases apart.
namespace probe_status {
constexpr int kCardFound = 0;      // a reader has a card on it
constexpr int kNoCard = 4;         // a reader answered; none has a card
constexpr int kNoAnswer = 5;       // no configured reader is there and answered
constexpr int kNotConfigured = 6;  // no readers file, or one that is malformed or names no reader
}  // namespace probe_status

// Prints one line a reader on standard output; returns the exit status.
int listReaders(bool probe);
