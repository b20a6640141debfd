// SPDX-License-Identifier: Apache-2.0
#include "iddata.h"

#include <QDebug>
#include <QtGlobal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "birth_date.h"
#include "card_codes.h"
#include "common.h"
#include "libvek2019.h"
#include "photo_bitmap.h"
#include "record_assembly.h"
#include "text_layout.h"
#include "tools.h"

namespace {

namespace rc = cardproto::resident;
namespace rp = cardproto::residencePermit;
namespace f17 = cardproto::foreigner2017;
namespace fnew = cardproto::foreignerNew;

// The card's text is little-endian UTF-16 without a byte-order mark. Naming
// the order keeps a field that starts with FE FF from being read as a mark
// that would switch the rest of the field to big-endian.
constexpr const char* kCardCharset = "UTF-16LE";
constexpr int kFieldBufferSize = 129;
constexpr int kLongestField = kFieldBufferSize - 2;

constexpr int kFpRecordSize = 512;
const char* const kFpFileName = "fp_raw_data.dat";

std::string dottedDate(const std::string& text)
{
    const QString date = QString::fromStdString(text);
    return (date.mid(0, 4) + "." + date.mid(4, 2) + "." + date.mid(6)).toStdString();
}

// A resident card valid without end says so in words instead of a date.
std::string residentValidityEnd(const std::string& text)
{
    static const std::string kNoEnd = "长期";
    if (QString::fromStdString(text).contains(QString::fromStdString(kNoEnd)))
        return kNoEnd;
    return dottedDate(text);
}

// UTF-8 text of the field, at most `limit` bytes, cut at the last whole character.
std::string fieldText(CIdData& parser, unsigned char* block, const cardproto::TextField& field,
                      int limit)
{
    std::vector<char> text(limit + 1, 0);
    parser.DecodeIDBase(block, field.at, field.size, text.data(), limit);
    return text.data();
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
    *pIDType = idTypeOfCard(cardproto::cardKindOfCharacter(character));
    return true;
}

// The fields the resident card and the residence permit share, at the same places.
template <typename ResidentText>
void CIdData::parseResidentText(unsigned char* block, ResidentText* record)
{
    Q_CHECK_PTR(block);
    Q_CHECK_PTR(record);
    const std::string name = fieldText(*this, block, rc::name, 30);
    const std::string genderCode = fieldText(*this, block, rc::gender, 2);
    const std::string birth = fieldText(*this, block, rc::birthDate, 16);
    const std::string address = fieldText(*this, block, rc::address, 100);
    const std::string idCode = fieldText(*this, block, rc::idNumber, 36);
    const std::string dept = fieldText(*this, block, rc::issuer, 30);
    const std::string validStart = fieldText(*this, block, rc::validFrom, 16);
    const std::string validEnd = fieldText(*this, block, rc::validUntil, 16);

    record->name = name;
    record->gender =
        QString::fromUtf16(cardproto::residentGenderWord(std::atoi(genderCode.c_str()))).toStdString();
    record->birth = splitBirthDate(birth);
    record->address = address;
    record->idCode = idCode;
    record->dept = dept;
    record->validPeriod.start = dottedDate(validStart);
    record->validPeriod.end = residentValidityEnd(validEnd);
}

void CIdData::parseChinaIdText(unsigned char* byData, ID_TEXT_INFO_CN* pid_text_info_cn)
{
    parseResidentText(byData, pid_text_info_cn);
    const int ethnic = std::atoi(fieldText(*this, byData, rc::nation, 4).c_str());
    pid_text_info_cn->nation = GetNation(uint16_t(ethnic));
}

void CIdData::parseHMTIDText(unsigned char* byData, ID_TEXT_INFO_HMT* pid_text_info_hmt)
{
    parseResidentText(byData, pid_text_info_hmt);
    qDebug("szID=%s", pid_text_info_hmt->idCode.c_str());
    qDebug("szDept=%s", pid_text_info_hmt->dept.c_str());
    pid_text_info_hmt->passCheckCode = fieldText(*this, byData, rp::passNumber, 18);
    pid_text_info_hmt->changes = fieldText(*this, byData, rp::issueCount, 4);
}

void CIdData::parseForeign2017IDText(unsigned char* byData,
                                     ID_TEXT_INFO_FOREIGN_2017* pid_text_info_foreign_2017)
{
    Q_CHECK_PTR(byData);
    Q_CHECK_PTR(pid_text_info_foreign_2017);
    ID_TEXT_INFO_FOREIGN_2017& record = *pid_text_info_foreign_2017;
    record.nameEN = fieldText(*this, byData, f17::nameEnglish, 120);

    QString genderName;
    if (!parseGender(QString::fromStdString(fieldText(*this, byData, f17::gender, 2)), genderName)) {
        qDebug("gender parse fail!");
        return;
    }
    record.gender = genderName.toStdString();
    record.idCode = fieldText(*this, byData, f17::idNumber, 30);
    record.nationality = fieldText(*this, byData, f17::nationality, 6);
    record.nameCN = fieldText(*this, byData, f17::nameChinese, 30);
    record.validPeriod.start = dottedDate(fieldText(*this, byData, f17::validFrom, 16));
    record.validPeriod.end = dottedDate(fieldText(*this, byData, f17::validUntil, 16));
    record.birth = splitBirthDate(fieldText(*this, byData, f17::birthDate, 16));
}

void CIdData::parseForeignNewIDText(unsigned char* byData,
                                    ID_TEXT_INFO_FOREIGN_NEW* pid_text_info_foreign_new)
{
    Q_CHECK_PTR(byData);
    Q_CHECK_PTR(pid_text_info_foreign_new);
    ID_TEXT_INFO_FOREIGN_NEW& record = *pid_text_info_foreign_new;
    record.nameCN = fieldText(*this, byData, fnew::nameChinese, 30);

    const std::string genderCode = fieldText(*this, byData, fnew::gender, 2);
    qDebug("<so>szSexCode=%s", genderCode.c_str());
    QString genderName;
    if (!parseGender(QString::fromStdString(genderCode), genderName)) {
        qDebug("gender parse fail!");
        return;
    }
    record.gender = genderName.toStdString();
    qDebug() << "genderName = " << genderName;
    qDebug("pid_text_info_foreign_new->gender=%s", record.gender.c_str());

    record.changes = fieldText(*this, byData, fnew::renewalCount, 4);
    const std::string birth = fieldText(*this, byData, fnew::birthDate, 16);
    qDebug("<from so>szBirth=%s", birth.c_str());
    record.birth = splitBirthDate(birth);
    record.nameEN = fieldText(*this, byData, fnew::nameEnglish, 70);
    qDebug("<so>szEnglishName=%s", record.nameEN.c_str());
    record.idCode = fieldText(*this, byData, fnew::idNumber, 36);
    record.validPeriod.start = dottedDate(fieldText(*this, byData, fnew::validFrom, 16));
    record.validPeriod.end = dottedDate(fieldText(*this, byData, fnew::validUntil, 16));

    const std::string code = fieldText(*this, byData, fnew::nationality, 6);
    QString countryName;
    parseNationality(QString::fromStdString(code), countryName);
    record.nationality = countryName.toStdString() + " / " + code;
    qDebug() << "pid_text_info_foreign_new->nationality=" << record.nationality.c_str();
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
