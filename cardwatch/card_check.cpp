// SPDX-License-Identifier: Apache-2.0
#include "card_check.h"

#include <kvsdecompose.h>
#include <pelorin/mps_reader.h>

namespace {

constexpr int kLockWaitMs = 8000;  // as long as a read may take

}  // namespace

int checkForCard()
{
    // The library's read lock keeps the check off the reader while a read,
    // even one whose call has timed out, still uses it.
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
