// SPDX-License-Identifier: Apache-2.0
#include "card_fields.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

#define KVS_FIELD(f) {#f, offsetof(CardInfoStruct, f), sizeof(CardInfoStruct::f)}
const CardField kFields[] = {
    KVS_FIELD(sfz_name), KVS_FIELD(sfz_gender), KVS_FIELD(sfz_nation), KVS_FIELD(sfz_birthday),
    KVS_FIELD(sfz_address), KVS_FIELD(sfz_idNumber), KVS_FIELD(sfz_issueOrganization),
    KVS_FIELD(sfz_validDateStart), KVS_FIELD(sfz_validDateEnd), KVS_FIELD(sfz_reserved),

    KVS_FIELD(gat_name), KVS_FIELD(gat_gender), KVS_FIELD(gat_reserved1), KVS_FIELD(gat_birthday),
    KVS_FIELD(gat_address), KVS_FIELD(gat_idNumber), KVS_FIELD(gat_issueOrganization),
    KVS_FIELD(gat_validDateStart), KVS_FIELD(gat_validDateEnd), KVS_FIELD(gat_passCheckId),
    KVS_FIELD(gat_issuesNumber), KVS_FIELD(gat_reserved2), KVS_FIELD(gat_cardType),
    KVS_FIELD(gat_reserved3),

    KVS_FIELD(yjzOld_nameEnglish), KVS_FIELD(yjzOld_gender), KVS_FIELD(yjzOld_idNumber),
    KVS_FIELD(yjzOld_nationality), KVS_FIELD(yjzOld_nameChinese), KVS_FIELD(yjzOld_validDateStart),
    KVS_FIELD(yjzOld_validDateEnd), KVS_FIELD(yjzOld_birthday), KVS_FIELD(yjzOld_cardVersion),
    KVS_FIELD(yjzOld_issueOrganization), KVS_FIELD(yjzOld_cardType), KVS_FIELD(yjzOld_reserved),

    KVS_FIELD(yjz_nameChinese), KVS_FIELD(yjz_gender), KVS_FIELD(yjz_renewalNumber),
    KVS_FIELD(yjz_birthday), KVS_FIELD(yjz_nameEnglish), KVS_FIELD(yjz_idNumber), KVS_FIELD(yjz_reserved),
    KVS_FIELD(yjz_validDateStart), KVS_FIELD(yjz_validDateEnd), KVS_FIELD(yjz_nameEnglishAdd),
    KVS_FIELD(yjz_nationality), KVS_FIELD(yjz_cardType), KVS_FIELD(yjz_releatedItems),
    KVS_FIELD(yjz_historicalNumber),

    KVS_FIELD(padding),
};
#undef KVS_FIELD

unsigned char* fieldStart(CardInfoStruct& info, const CardField& field)
{
    return reinterpret_cast<unsigned char*>(&info) + field.offset;
}

}  // namespace

const CardField* findCardField(const QString& name)
{
    for (const CardField& field : kFields)
        if (name == QLatin1String(field.name))
            return &field;
    return nullptr;
}

void writeFieldText(CardInfoStruct& info, const CardField& field, const QString& text)
{
    unsigned char* out = fieldStart(info, field);
    std::memset(out, 0, field.size);
    const size_t units = std::min<size_t>(static_cast<size_t>(text.size()), field.size / 2);
    for (size_t i = 0; i < units; ++i) {
        const ushort unit = text.at(static_cast<int>(i)).unicode();
        out[2 * i] = static_cast<unsigned char>(unit & 0xff);
        out[2 * i + 1] = static_cast<unsigned char>(unit >> 8);
    }
}

void writeFieldBytes(CardInfoStruct& info, const CardField& field, const QByteArray& bytes)
{
    unsigned char* out = fieldStart(info, field);
    std::memset(out, 0, field.size);
    std::memcpy(out, bytes.constData(), std::min<size_t>(static_cast<size_t>(bytes.size()), field.size));
}
