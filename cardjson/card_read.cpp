// SPDX-License-Identifier: Apache-2.0
#include "card_read.h"

#include "card_kinds.h"
#include "pelorin_kit.h"

READ_RESULT readCardRecords(CardRead& read)
{
    const ReadInfo records = read.records();
    const READ_RESULT result =
        readIDCard(records.pIDType, records.pIDAllInfoCN, records.pIDAllInfoForeign2017,
                   records.pIDAllInfoForeignNew, records.pIDAllInfoHMT, records.pFrontBase64,
                   records.pBackBase64);
    if (result == READ_OK)
        read.facesDegraded = pelorin_kit::lastReadFacesDegraded();
    return result;
}

unsigned char* CardRead::headImage()
{
    return CardKinds::visitRecord(idType, records(),
                                  [](auto kind, auto& record) { return kind.headImage(record); });
}

ReadInfo CardRead::records() const
{
    // ReadInfo holds writable addresses; callers of the const form only read through them.
    auto& self = const_cast<CardRead&>(*this);
    return {&self.idType, &self.cn,          &self.foreign2017, &self.foreignNew,
            &self.hmt,    &self.frontBase64, &self.backBase64};
}
