// SPDX-License-Identifier: Apache-2.0
#include "iddata.h"

#include <QDebug>
#include <QtGlobal>
#include <cstring>
#include <vector>

#include "card_codes.h"
#include "card_kinds.h"
#include "card_text_decoder.h"
#include "common.h"
#include "libvek2019.h"
#include "photo_bitmap.h"
#include "text_layout.h"
#include "tools.h"

namespace {

// The card's text is little-endian UTF-16 without a byte-order mark. Naming
// the order keeps a field that starts with FE FF from being read as a mark
// that would switch the rest of the field to big-endian.
constexpr const char* kCardCharset = "UTF-16LE";
constexpr int kFieldBufferSize = 129;
constexpr int kLongestField = kFieldBufferSize - 2;

constexpr int kFpRecordSize = 512;
const char* const kFpFileName = "fp_raw_data.dat";

// UTF-8 text of the field, at most `limit` bytes, cut at the last whole character.
std::string fieldText(CIdData& parser, unsigned char* block, const cardproto::TextField& field,
                      int limit)
{
    std::vector<char> text(limit + 1, 0);
    parser.DecodeIDBase(block, field.at, field.size, text.data(), limit);
    return text.data();
}

FieldReader blockReader(CIdData& parser, unsigned char* block)
{
    return [&parser, block](const cardproto::TextField& field, int limit) {
        return fieldText(parser, block, field, limit);
    };
}

}  // namespace

CIdData::CIdData(QByteArray& data, FP_INFO_TYPE fp_type) : m_data(data), m_fp_type(fp_type) {}

void CIdData::DecodeIDBase(unsigned char* pbyCHMsg, int iItemPos, int iItemSize, char* pszDst,
                           int iDstSize)
{
    if (pszDst == nullptr || pbyCHMsg == nullptr)
        return;
    // The source buffer holds the field and a closing zero character; a
    // longer field would overrun it.
    if (iItemSize < 0 || iItemSize > kLongestField || iItemPos < 0)
        return;
    char source[kFieldBufferSize] = {};
    std::memcpy(source, pbyCHMsg + iItemPos, iItemSize);
    CCommon::iconv_ex(kCardCharset, source, iItemSize + 2, "UTF-8", pszDst, iDstSize);
}

bool CIdData::parseIDType(unsigned char* byData, ID_TYPE* pIDType)
{
    if (pIDType == nullptr) {
        qDebug("pIDType parameter invalid!");
        return false;
    }
    if (byData == nullptr) {
        qDebug("byData parameter invalid!");
        return false;
    }
    const QString kind = QString::fromStdString(
        fieldText(*this, byData, cardproto::kKindCharacter, 2));
    const char16_t character = kind.size() == 1 ? char16_t(kind.at(0).unicode()) : u'\0';
    *pIDType = CardKinds::idTypeOfCardType(cardproto::cardKindOfCharacter(character));
    return true;
}

void CIdData::parseChinaIdText(unsigned char* byData, ID_TEXT_INFO_CN* pid_text_info_cn)
{
    Q_CHECK_PTR(byData);
    Q_CHECK_PTR(pid_text_info_cn);
    decodeCardText(blockReader(*this, byData), TextSource::CardBlock, this, *pid_text_info_cn);
}

void CIdData::parseHMTIDText(unsigned char* byData, ID_TEXT_INFO_HMT* pid_text_info_hmt)
{
    Q_CHECK_PTR(byData);
    Q_CHECK_PTR(pid_text_info_hmt);
    decodeCardText(blockReader(*this, byData), TextSource::CardBlock, this, *pid_text_info_hmt);
    qDebug("szID=%s", pid_text_info_hmt->idCode.c_str());
    qDebug("szDept=%s", pid_text_info_hmt->dept.c_str());
}

void CIdData::parseForeign2017IDText(unsigned char* byData,
                                     ID_TEXT_INFO_FOREIGN_2017* pid_text_info_foreign_2017)
{
    Q_CHECK_PTR(byData);
    Q_CHECK_PTR(pid_text_info_foreign_2017);
    if (!decodeCardText(blockReader(*this, byData), TextSource::CardBlock, this, *pid_text_info_foreign_2017))
        qDebug("gender parse fail!");
}

void CIdData::parseForeignNewIDText(unsigned char* byData,
                                    ID_TEXT_INFO_FOREIGN_NEW* pid_text_info_foreign_new)
{
    Q_CHECK_PTR(byData);
    Q_CHECK_PTR(pid_text_info_foreign_new);
    using cardproto::Conversion;
    ID_TEXT_INFO_FOREIGN_NEW& record = *pid_text_info_foreign_new;
    auto trace = [&record](const cardproto::RecordField<ID_TEXT_INFO_FOREIGN_NEW>& field,
                           const std::string& text, const std::string* value) {
        if (field.conversion == Conversion::GenderCode && value == nullptr) {
            qDebug("<so>szSexCode=%s", text.c_str());
        } else if (field.conversion == Conversion::GenderCode) {
            qDebug() << "genderName = " << QString::fromStdString(*value);
            qDebug("pid_text_info_foreign_new->gender=%s", record.gender.c_str());
        } else if (field.conversion == Conversion::BirthDate && value == nullptr) {
            qDebug("<from so>szBirth=%s", text.c_str());
        } else if (field.target == &ID_TEXT_INFO_FOREIGN_NEW::nameEN && value != nullptr) {
            qDebug("<so>szEnglishName=%s", record.nameEN.c_str());
        } else if (field.conversion == Conversion::NationalityBilingual && value != nullptr) {
            qDebug() << "pid_text_info_foreign_new->nationality=" << record.nationality.c_str();
        }
    };
    if (!decodeCardText<ID_TEXT_INFO_FOREIGN_NEW>(blockReader(*this, byData), TextSource::CardBlock, this,
                                                  record, trace))
        qDebug("gender parse fail!");
}

bool CIdData::parseNationality(QString countryID, QString& nationality)
{
    const std::string name = Tools::convertNationCodeToName(countryID.toStdString());
    if (name.empty())
        return false;
    nationality = QString::fromUtf8(name.c_str());
    qDebug() << "nationality=" << nationality;
    return true;
}

void CIdData::parseIDHeadImage(unsigned char* byData, unsigned char* img_out)
{
    std::vector<unsigned char> raster(PHOTO_RASTER_SIZE, 0);
    if (byData == nullptr || img_out == nullptr ||
        unpack(reinterpret_cast<char*>(byData), reinterpret_cast<char*>(raster.data()), 0) != 1) {
        qDebug("解码头像数据失败!");
        return;
    }
    if (!frameRasterAsPhotoBitmap(raster.data(), img_out))
        qDebug("解析头像数据失败!");
}

void CIdData::saveFpRawDataToFile(FP_INFO_TYPE fp_info_type, unsigned char* byData)
{
    int records = 0;
    switch (fp_info_type) {
    case TWO_FP_INFO:
        qDebug("source id card has two fp data");
        records = 2;
        break;
    case ONE_FP_INFO:
        qDebug("source id card has one fp data");
        records = 1;
        break;
    case NO_FP_INFO:
        qDebug("source id card has no fp data");
        return;
    default:
        return;
    }
    if (byData == nullptr)
        return;
    CCommon::saveByteDataToFile(byData, records * kFpRecordSize, kFpFileName);
}

bool CIdData::parseGender(QString genderCode, QString& genderName) const
{
    // A code that is not a number reads as 0, "unknown".
    const char16_t* word = cardproto::genderWord(genderCode.toInt(nullptr, 10));
    if (word == nullptr)
        return false;
    genderName = QString::fromUtf16(word);
    return true;
}

std::string CIdData::GetNation(uint16_t ethnic) const
{
    return QString::fromUtf16(cardproto::nationName(ethnic)).toStdString();
}
