// SPDX-License-Identifier: Apache-2.0
#include "card_read.h"

#include "pelorin_kit.h"

READ_RESULT readCardRecords(CardRead& read)
{
    const READ_RESULT result = readIDCard(&read.idType, &read.cn, &read.foreign2017, &read.foreignNew,
                                          &read.hmt, &read.frontBase64, &read.backBase64);
    if (result == READ_OK)
        read.facesDegraded = pelorin_kit::lastReadFacesDegraded();
    return result;
}
