// SPDX-License-Identifier: Apache-2.0
#include "record_assembly.h"

#include <cstring>

#include "birth_date.h"
#include "common.h"
#include "dbglog.h"
#include "kvsdecompose.h"
#include "tools.h"

namespace {

template <size_t N>
std::string text(const unsigned char (&field)[N])
{
    return CCommon::unicode2Utf8Str(const_cast<unsigned char*>(field), N);
}

template <size_t N>
std::string countryName(const unsigned char (&field)[N])
{
    return Tools::convertNationCodeToName(text(field));
}

void storeResidentCard(const FetchedCard& card, IDCARD_INFO_ALL_CN& record)
{
    const CardInfoStruct& doc = *card.docInfo;
    ID_TEXT_INFO_CN& t = record.idTextInfoCN;
    t.name = text(doc.sfz_name);
    t.gender = text(doc.sfz_gender);
    t.nation = text(doc.sfz_nation);
    t.idCode = text(doc.sfz_idNumber);
    t.address = text(doc.sfz_address);
    t.validPeriod.start = text(doc.sfz_validDateStart);
    t.validPeriod.end = text(doc.sfz_validDateEnd);
    t.dept = text(doc.sfz_issueOrganization);
    t.birth = splitBirthDate(text(doc.sfz_birthday));

    IDCARD_INFO_TAIL_CN& tail = record.idInfoTailCN;
    memcpy(tail.headImage, card.photo, HEAD_IMAGE_BMP_SIZE);
    memset(tail.fingerFeature, 0, sizeof tail.fingerFeature);
    memcpy(tail.fingerFeature, card.fingerprints, card.fingerprintLength);
    tail.finger_info_type = card.fingerprintLength == 1024 ? TWO_FP_INFO
                            : card.fingerprintLength == 512 ? ONE_FP_INFO
                                                            : NO_FP_INFO;
}

void storeResidencePermit(const FetchedCard& card, IDCARD_INFO_ALL_HMT& record)
{
    const CardInfoStruct& doc = *card.docInfo;
    ID_TEXT_INFO_HMT& t = record.idTextInfoHMT;
    t.name = text(doc.gat_name);
    t.gender = text(doc.gat_gender);
    t.idCode = text(doc.gat_idNumber);
    t.address = text(doc.gat_address);
    t.validPeriod.start = text(doc.gat_validDateStart);
    t.validPeriod.end = text(doc.gat_validDateEnd);
    t.passCheckCode = text(doc.gat_passCheckId);
    t.dept = text(doc.gat_issueOrganization);
    t.birth = splitBirthDate(text(doc.gat_birthday));
    // The card carries its issue count; callers expect to find it here.
    t.changes = text(doc.gat_issuesNumber);
    memcpy(record.idInfoTailOther.headImage, card.photo, HEAD_IMAGE_BMP_SIZE);
}

void storeForeigner2017(const FetchedCard& card, IDCARD_INFO_ALL_FOREIGN_2017& record)
{
    const CardInfoStruct& doc = *card.docInfo;
    ID_TEXT_INFO_FOREIGN_2017& t = record.idTextInfoForeign2017;
    t.nameEN = text(doc.yjzOld_nameEnglish);
    t.gender = text(doc.yjzOld_gender);
    t.idCode = text(doc.yjzOld_idNumber);
    t.nationality = countryName(doc.yjzOld_nationality);
    t.nameCN = text(doc.yjzOld_nameChinese);
    t.validPeriod.start = text(doc.yjzOld_validDateStart);
    t.validPeriod.end = text(doc.yjzOld_validDateEnd);
    t.birth = splitBirthDate(text(doc.yjzOld_birthday));
    memcpy(record.idInfoTailOther.headImage, card.photo, HEAD_IMAGE_BMP_SIZE);
}

void storeForeignerNew(const FetchedCard& card, IDCARD_INFO_ALL_FOREIGN_NEW& record)
{
    const CardInfoStruct& doc = *card.docInfo;
    ID_TEXT_INFO_FOREIGN_NEW& t = record.idTextInfoForeignNew;
    t.nameCN = text(doc.yjz_nameChinese);
    t.gender = text(doc.yjz_gender);
    t.idCode = text(doc.yjz_idNumber);
    t.nationality = countryName(doc.yjz_nationality);
    t.nameEN = text(doc.yjz_nameEnglish);
    t.validPeriod.start = text(doc.yjz_validDateStart);
    t.validPeriod.end = text(doc.yjz_validDateEnd);
    t.changes = text(doc.yjz_renewalNumber);
    t.birth = splitBirthDate(text(doc.yjz_birthday));
    memcpy(record.idInfoTailOther.headImage, card.photo, HEAD_IMAGE_BMP_SIZE);
}

}  // namespace

ID_TYPE idTypeOfCard(int cardType)
{
    switch (cardType) {
    case 1: return ID_TYPE_CN;
    case 2: return ID_TYPE_HMT;
    case 3: return ID_TYPE_FOREIGN_2017;
    case 4: return ID_TYPE_FOREIGN_NEW;
    default: return ID_TYPE_UNKNOWN;
    }
}

READ_RESULT checkFetchedCard(const FetchedCard& card)
{
    ID_TYPE type = idTypeOfCard(card.docInfo->cardType);
    if (type == ID_TYPE_UNKNOWN) {
        safe_write_fmt("unsupported card type: %d\n", card.docInfo->cardType);
        return UNSUPPORT_CARD;
    }
    if (type == ID_TYPE_CN && card.fingerprintLength != 0 && card.fingerprintLength != 512 &&
        card.fingerprintLength != 1024) {
        safe_write_fmt("invalid fingerprint length: %u\n", card.fingerprintLength);
        return PARSE_ERROR;
    }
    return READ_OK;
}

void storeFetchedCard(const FetchedCard& card, const ReadInfo& info)
{
    ID_TYPE type = idTypeOfCard(card.docInfo->cardType);
    *info.pIDType = type;
    switch (type) {
    case ID_TYPE_CN: storeResidentCard(card, *info.pIDAllInfoCN); break;
    case ID_TYPE_HMT: storeResidencePermit(card, *info.pIDAllInfoHMT); break;
    case ID_TYPE_FOREIGN_2017: storeForeigner2017(card, *info.pIDAllInfoForeign2017); break;
    case ID_TYPE_FOREIGN_NEW: storeForeignerNew(card, *info.pIDAllInfoForeignNew); break;
    case ID_TYPE_UNKNOWN: break;
    }
}
