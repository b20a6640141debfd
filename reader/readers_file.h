// SPDX-License-Identifier: Apache-2.0
// Which readers file the library reads at each open, first that applies:
//  1. the one chosen for this process (pelorin_use_readers() of the C
//     interface, through chooseReadersFile);
//  2. the file PELORIN_READERS names, when it is set and not empty;
//  3. pelorin-readers.conf beside the library's own file, when there is one:
//     a build tree's names the simulated reader, an installed library has
//     none beside it;
//  4. /etc/pelorin/readers.conf.
#pragma once

#include <string>

constexpr const char* kSystemReadersFile = "/etc/pelorin/readers.conf";
constexpr const char* kReadersFileVariable = "PELORIN_READERS";
constexpr const char* kBesideLibraryReadersFile = "pelorin-readers.conf";

// The readers file in use now.
std::string readersFile();

// Chooses the readers file for this process; empty goes back to the others.
// A relative path is taken from the current directory of this call.
void chooseReadersFile(const std::string& path);
