// SPDX-License-Identifier: Apache-2.0
// pelorin_kit::checkForCard: the presence check of the card watchers, which
// opens the reader and asks for a card without reading it.
#include "pelorin_kit.h"

#include "kvsdecompose.h"
#include "mps_reader.h"

namespace {

constexpr int kLockWaitMs = 8000;  // as long as a read may take

}  // namespace

int pelorin_kit::checkForCard()
{
    // The read lock keeps the check off the reader while a read, even one
    // whose call has timed out, still uses it.
    if (!CMpsReader::s_mtxRead.tryLock(kLockWaitMs))
        return DEV_IS_BUSY;
    int result = DEV_IS_BUSY;
    if (CMpsReader::getReaderStatus() == DEV_UNINIT) {
        if (KVS_OpenPort(KVS_PORT) != KVS_OK) {
            result = OPEN_DEV_FAIL;
        } else {
            result = KVS_FindIDCard(KVS_PORT) == KVS_OK ? READ_OK : READ_NO_DATA;
            KVS_ClosePort(KVS_PORT);
        }
    }
    CMpsReader::s_mtxRead.unlock();
    return result;
}
