// SPDX-License-Identifier: Apache-2.0
// Which reader-access library this process uses: the simulated reader beside
// libpelorin, the library for real readers, or the vendor's.
#pragma once

#include <QString>

// The canonical path of the file that provides KVS_OpenPort; empty when
// none is loaded.
QString readerLibraryPath();
