// SPDX-License-Identifier: Apache-2.0
// pelorin_kit::readCardOverUsb: a card read over the direct USB path, from
// the reader's data frame to the record of the card's kind.
#include "pelorin_kit.h"

#include "card_kinds.h"
#include "data_frame.h"
#include "iddata.h"
#include "usbidreader.h"

#include <algorithm>
#include <cstring>

namespace {

// Only the resident card's record has room for fingerprints.
void storeFingerprints(IDCARD_INFO_ALL_CN& record, FP_INFO_TYPE type,
                       const cardproto::DataFrameBlocks& blocks)
{
    IDCARD_INFO_TAIL_CN& tail = record.idInfoTailCN;
    tail.finger_info_type = type;
    std::memcpy(tail.fingerFeature, blocks.fingerprints,
                std::min(blocks.fingerprintLength, size_t(FINGER_FEATURE_SIZE)));
}

template <typename Record>
void storeFingerprints(Record&, FP_INFO_TYPE, const cardproto::DataFrameBlocks&)
{
}

}  // namespace

READ_RESULT pelorin_kit::readCardOverUsb(unsigned short vid, unsigned short pid, const ReadInfo& read,
                                         QByteArray& fingerprints, FP_INFO_TYPE& fpType)
{
    CUsbIdReader reader(vid, pid);
    QByteArray frame;
    FP_INFO_TYPE fetchedType = NO_FP_INFO;
    if (reader.getLibUsbInitErrorType() != DEV_INIT_OK || !reader.fetch_data(frame, fetchedType))
        return reader.getLibUsbInitErrorType();

    // fetch_data hands on only frames that passed the data frame checks.
    const cardproto::DataFrameBlocks blocks = cardproto::sliceDataFrame(
        reinterpret_cast<const uint8_t*>(frame.constData()), size_t(frame.size()));
    // CIdData's parsers take the blocks as writable bytes; they only read them.
    auto* text = const_cast<unsigned char*>(blocks.text);
    CIdData parser(frame, fetchedType);
    ID_TYPE type = ID_TYPE_UNKNOWN;
    parser.parseIDType(text, &type);
    *read.pIDType = type;
    CardKinds::visitRecord(type, read, [&](auto kind, auto& record) {
        (parser.*kind.parseText)(text, &(record.*kind.text));
        parser.parseIDHeadImage(const_cast<unsigned char*>(blocks.photo), kind.headImage(record));
        storeFingerprints(record, fetchedType, blocks);
    });

    fingerprints = QByteArray(reinterpret_cast<const char*>(blocks.fingerprints), int(blocks.fingerprintLength));
    fpType = fetchedType;
    return READ_OK;
}
