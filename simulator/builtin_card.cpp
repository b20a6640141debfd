// SPDX-License-Identifier: Apache-2.0
#include "builtin_card.h"

#include "builtin_photo_payload.h"
#include "card_info_fields.h"
#include "sample_fingerprints.h"

#include <QString>
#include <utility>

namespace {

constexpr uint32_t kFingerprintSeed = 0x424c544e;  // "BLTN"

// An invented person; the identity number carries a valid check digit.
const std::pair<const char*, const char*> kTexts[] = {
    {"sfz_name", "陈思远"},
    {"sfz_gender", "男"},
    {"sfz_nation", "汉"},
    {"sfz_birthday", "19880315"},
    {"sfz_address", "北京市海淀区学院路38号院5号楼2单元301室"},
    {"sfz_idNumber", "110108198803151231"},
    {"sfz_issueOrganization", "北京市公安局海淀分局"},
    {"sfz_validDateStart", "20160520"},
    {"sfz_validDateEnd", "20360520"},
};

QByteArray toByteArray(const std::vector<uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
}

}  // namespace

SimulatedCard builtinCard()
{
    SimulatedCard card;
    card.info.cardType = 1;
    for (const auto& [name, text] : kTexts)
        if (const cardproto::TextField* field = cardproto::cardInfoFieldNamed(name))
            cardproto::writeFieldText(card.info, *field, QString::fromUtf8(text).toStdU16String());
    // Delivered compressed, as a reader may, so a plain read goes through the decoder.
    card.photo = QByteArray(reinterpret_cast<const char*>(kBuiltinPhotoPayload), kBuiltinPhotoPayloadBytes);
    card.fingerprints = toByteArray(kvssample::fingerprintBytes(kFingerprintSeed, kMaxFingerprintBytes));
    return card;
}
