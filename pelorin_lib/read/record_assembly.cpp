// SPDX-License-Identifier: Apache-2.0
#include "record_assembly.h"

#include <cstring>

#include "card_kinds.h"
#include "card_text_decoder.h"
#include "common.h"
#include "dbglog.h"
#include "kvsdecompose.h"

namespace {

// The text records as the reader-access library's CardInfoStruct holds them.
template <typename Text>
void decodeText(const CardInfoStruct& doc, Text& text)
{
    auto* record = reinterpret_cast<unsigned char*>(const_cast<CardInfoStruct*>(&doc));
    const FieldReader read = [record](const cardproto::TextField& field, int) {
        return CCommon::unicode2Utf8Str(record + field.recordAt, field.recordSize);
    };
    decodeCardText(read, TextSource::ReaderRecord, nullptr, text);
}

void store(const FetchedCard& card, IDCARD_INFO_ALL_CN& record)
{
    decodeText(*card.docInfo, record.idTextInfoCN);
    IDCARD_INFO_TAIL_CN& tail = record.idInfoTailCN;
    memcpy(tail.headImage, card.photo, HEAD_IMAGE_BMP_SIZE);
    memset(tail.fingerFeature, 0, sizeof tail.fingerFeature);
    memcpy(tail.fingerFeature, card.fingerprints, card.fingerprintLength);
    tail.finger_info_type = card.fingerprintLength == 1024 ? TWO_FP_INFO
                            : card.fingerprintLength == 512 ? ONE_FP_INFO
                                                            : NO_FP_INFO;
}

// The permit and foreigner cards: the text and the photo.
template <typename Record>
void store(const FetchedCard& card, Record& record)
{
    decodeText(*card.docInfo, record.*CardKinds::Kind<Record>::text);
    memcpy(record.idInfoTailOther.headImage, card.photo, HEAD_IMAGE_BMP_SIZE);
}

}  // namespace

READ_RESULT checkFetchedCard(const FetchedCard& card)
{
    const ID_TYPE type = CardKinds::idTypeOfCardType(card.docInfo->cardType);
    if (type == ID_TYPE_UNKNOWN) {
        safe_write_fmt("unsupported card type: %d\n", card.docInfo->cardType);
        return UNSUPPORT_CARD;
    }
    const bool hasFingerprints = CardKinds::visitKind(type, [](auto kind) { return kind.hasFingerprints; });
    if (hasFingerprints && card.fingerprintLength != 0 && card.fingerprintLength != 512 &&
        card.fingerprintLength != 1024) {
        safe_write_fmt("invalid fingerprint length: %u\n", card.fingerprintLength);
        return PARSE_ERROR;
    }
    return READ_OK;
}

void storeFetchedCard(const FetchedCard& card, const ReadInfo& info)
{
    const ID_TYPE type = CardKinds::idTypeOfCardType(card.docInfo->cardType);
    *info.pIDType = type;
    CardKinds::visitRecord(type, info, [&](auto, auto& record) { store(card, record); });
}
