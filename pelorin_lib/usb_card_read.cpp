// SPDX-License-Identifier: Apache-2.0
// pelorin_kit::readCardOverUsb: a card read over the direct USB path, from
// the reader's data frame to the record of the card's kind.
#include "pelorin_kit.h"

#include "data_frame.h"
#include "iddata.h"
#include "usbidreader.h"

#include <algorithm>
#include <cstring>

namespace {

unsigned char* headImageOf(ID_TYPE kind, const ReadInfo& read)
{
    switch (kind) {
    case ID_TYPE_CN: return read.pIDAllInfoCN->idInfoTailCN.headImage;
    case ID_TYPE_HMT: return read.pIDAllInfoHMT->idInfoTailOther.headImage;
    case ID_TYPE_FOREIGN_NEW: return read.pIDAllInfoForeignNew->idInfoTailOther.headImage;
    case ID_TYPE_FOREIGN_2017: return read.pIDAllInfoForeign2017->idInfoTailOther.headImage;
    case ID_TYPE_UNKNOWN: break;
    }
    return nullptr;
}

void parseText(CIdData& parser, unsigned char* text, ID_TYPE kind, const ReadInfo& read)
{
    switch (kind) {
    case ID_TYPE_CN: parser.parseChinaIdText(text, &read.pIDAllInfoCN->idTextInfoCN); break;
    case ID_TYPE_HMT: parser.parseHMTIDText(text, &read.pIDAllInfoHMT->idTextInfoHMT); break;
    case ID_TYPE_FOREIGN_NEW:
        parser.parseForeignNewIDText(text, &read.pIDAllInfoForeignNew->idTextInfoForeignNew);
        break;
    case ID_TYPE_FOREIGN_2017:
        parser.parseForeign2017IDText(text, &read.pIDAllInfoForeign2017->idTextInfoForeign2017);
        break;
    case ID_TYPE_UNKNOWN: break;
    }
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
    ID_TYPE kind = ID_TYPE_UNKNOWN;
    parser.parseIDType(text, &kind);
    *read.pIDType = kind;
    parseText(parser, text, kind, read);
    parser.parseIDHeadImage(const_cast<unsigned char*>(blocks.photo), headImageOf(kind, read));

    fingerprints = QByteArray(reinterpret_cast<const char*>(blocks.fingerprints), int(blocks.fingerprintLength));
    fpType = fetchedType;
    if (kind == ID_TYPE_CN) {
        IDCARD_INFO_TAIL_CN& tail = read.pIDAllInfoCN->idInfoTailCN;
        tail.finger_info_type = fetchedType;
        std::memcpy(tail.fingerFeature, blocks.fingerprints,
                    std::min(blocks.fingerprintLength, size_t(FINGER_FEATURE_SIZE)));
    }
    return READ_OK;
}
