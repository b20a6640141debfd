#include "iddata.h"

#include <QDebug>
#include <QtGlobal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "birth_date.h"
#include "common.h"
#include "libvek2019.h"
#include "photo_bitmap.h"

namespace {

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

std::string CIdData::decodeField(unsigned char* block, int pos, int size, int limit)
{
    std::vector<char> text(limit + 1, 0);
    DecodeIDBase(block, pos, size, text.data(), limit);
    return text.data();
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
    const std::string kind = decodeField(byData, 248, 2, 2);
    if (kind == "Y")
        *pIDType = ID_TYPE_FOREIGN_NEW;
    else if (kind == "I")
        *pIDType = ID_TYPE_FOREIGN_2017;
    else if (kind == "J")
        *pIDType = ID_TYPE_HMT;
    else
        *pIDType = ID_TYPE_CN;
    return true;
}

// The fields the resident card and the residence permit share, at the same places.
template <typename ResidentText>
void CIdData::parseResidentText(unsigned char* block, ResidentText* record)
{
    Q_CHECK_PTR(block);
    Q_CHECK_PTR(record);
    const std::string name = decodeField(block, 0, 30, 30);
    const std::string genderCode = decodeField(block, 30, 2, 2);
    const std::string birth = decodeField(block, 36, 16, 16);
    const std::string address = decodeField(block, 52, 70, 100);
    const std::string idCode = decodeField(block, 122, 36, 36);
    const std::string dept = decodeField(block, 158, 30, 30);
    const std::string validStart = decodeField(block, 188, 16, 16);
    const std::string validEnd = decodeField(block, 204, 16, 16);

    record->name = name;
    record->gender = std::atoi(genderCode.c_str()) == 1 ? "男" : "女";
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
    const int ethnic = std::atoi(decodeField(byData, 32, 4, 4).c_str());
    pid_text_info_cn->nation = GetNation(uint16_t(ethnic));
}

void CIdData::parseHMTIDText(unsigned char* byData, ID_TEXT_INFO_HMT* pid_text_info_hmt)
{
    parseResidentText(byData, pid_text_info_hmt);
    qDebug("szID=%s", pid_text_info_hmt->idCode.c_str());
    qDebug("szDept=%s", pid_text_info_hmt->dept.c_str());
    pid_text_info_hmt->passCheckCode = decodeField(byData, 220, 18, 18);
    pid_text_info_hmt->changes = decodeField(byData, 238, 4, 4);
}

void CIdData::parseForeign2017IDText(unsigned char* byData,
                                     ID_TEXT_INFO_FOREIGN_2017* pid_text_info_foreign_2017)
{
    Q_CHECK_PTR(byData);
    Q_CHECK_PTR(pid_text_info_foreign_2017);
    ID_TEXT_INFO_FOREIGN_2017& record = *pid_text_info_foreign_2017;
    record.nameEN = decodeField(byData, 0, 120, 120);

    QString genderName;
    if (!parseGender(QString::fromStdString(decodeField(byData, 120, 2, 2)), genderName)) {
        qDebug("gender parse fail!");
        return;
    }
    record.gender = genderName.toStdString();
    record.idCode = decodeField(byData, 122, 30, 30);
    record.nationality = decodeField(byData, 152, 6, 6);
    record.nameCN = decodeField(byData, 158, 30, 30);
    record.validPeriod.start = dottedDate(decodeField(byData, 188, 16, 16));
    record.validPeriod.end = dottedDate(decodeField(byData, 204, 16, 16));
    record.birth = splitBirthDate(decodeField(byData, 220, 16, 16));
}

void CIdData::parseForeignNewIDText(unsigned char* byData,
                                    ID_TEXT_INFO_FOREIGN_NEW* pid_text_info_foreign_new)
{
    Q_CHECK_PTR(byData);
    Q_CHECK_PTR(pid_text_info_foreign_new);
    ID_TEXT_INFO_FOREIGN_NEW& record = *pid_text_info_foreign_new;
    record.nameCN = decodeField(byData, 0, 30, 30);

    const std::string genderCode = decodeField(byData, 30, 2, 2);
    qDebug("<so>szSexCode=%s", genderCode.c_str());
    QString genderName;
    if (!parseGender(QString::fromStdString(genderCode), genderName)) {
        qDebug("gender parse fail!");
        return;
    }
    record.gender = genderName.toStdString();
    qDebug() << "genderName = " << genderName;
    qDebug("pid_text_info_foreign_new->gender=%s", record.gender.c_str());

    record.changes = decodeField(byData, 32, 4, 4);
    const std::string birth = decodeField(byData, 36, 16, 16);
    qDebug("<from so>szBirth=%s", birth.c_str());
    record.birth = splitBirthDate(birth);
    record.nameEN = decodeField(byData, 52, 70, 70);
    qDebug("<so>szEnglishName=%s", record.nameEN.c_str());
    record.idCode = decodeField(byData, 122, 36, 36);
    record.validPeriod.start = dottedDate(decodeField(byData, 188, 16, 16));
    record.validPeriod.end = dottedDate(decodeField(byData, 204, 16, 16));

    const std::string code = decodeField(byData, 242, 6, 6);
    QString countryName;
    parseNationality(QString::fromStdString(code), countryName);
    record.nationality = countryName.toStdString() + " / " + code;
    qDebug() << "pid_text_info_foreign_new->nationality=" << record.nationality.c_str();
}

bool CIdData::parseNationality(QString countryID, QString& nationality)
{
    const std::string code = countryID.toStdString();
    for (const auto& row : COUNTRY_CODE_LIST) {
        if (row[1] == code) {
            nationality = QString::fromUtf8(row[2].c_str());
            qDebug() << "nationality=" << nationality;
            return true;
        }
    }
    return false;
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
    switch (genderCode.toInt(nullptr, 10)) {
    case 0: genderName = QStringLiteral("未知"); return true;
    case 1: genderName = QStringLiteral("男"); return true;
    case 2: genderName = QStringLiteral("女"); return true;
    case 9: genderName = QStringLiteral("未说明"); return true;
    default: return false;
    }
}
std::string CIdData::GetNation(uint16_t ethnic) const
{
    switch (ethnic) {
    case 1: return "汉";
    case 2: return "蒙古";
    case 3: return "回";
    case 4: return "藏";
    case 5: return "维吾尔";
    case 6: return "苗";
    case 7: return "彝";
    case 8: return "壮";
    case 9: return "布依";
    case 10: return "朝鲜";
    case 11: return "满";
    case 12: return "侗";
    case 13: return "瑶";
    case 14: return "白";
    case 15: return "土家";
    case 16: return "哈尼";
    case 17: return "哈萨克";
    case 18: return "傣";
    case 19: return "黎";
    case 20: return "傈僳";
    case 21: return "佤";
    case 22: return "畲";
    case 23: return "高山";
    case 24: return "拉祜";
    case 25: return "水";
    case 26: return "东乡";
    case 27: return "纳西";
    case 28: return "景颇";
    case 29: return "柯尔克孜";
    case 30: return "土";
    case 31: return "达斡尔";
    case 32: return "仫佬";
    case 33: return "羌";
    case 34: return "布朗";
    case 35: return "撒拉";
    case 36: return "毛南";
    case 37: return "仡佬";
    case 38: return "锡伯";
    case 39: return "阿昌";
    case 40: return "普米";
    case 41: return "塔吉克";
    case 42: return "怒";
    case 43: return "乌孜别克";
    case 44: return "俄罗斯";
    case 45: return "鄂温克";
    case 46: return "德昂";
    case 47: return "保安";
    case 48: return "裕固";
    case 49: return "京";
    case 50: return "塔塔尔";
    case 51: return "独龙";
    case 52: return "鄂伦春";
    case 53: return "赫哲";
    case 54: return "门巴";
    case 55: return "珞巴";
    case 56: return "基诺";
    case 97: return "其他";
    case 98: return "外国血统中国籍人士";
    default: return "";
    }
}
