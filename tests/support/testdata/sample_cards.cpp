// SPDX-License-Identifier: Apache-2.0
#include "sample_cards.h"

#include <QFile>

#include <cstring>

namespace SampleCards {

bool loadPhoto(const char* fileName, unsigned char* headImage)
{
    std::memset(headImage, 0, HEAD_IMAGE_BMP_SIZE);
    QFile file(QStringLiteral(SAMPLE_PHOTO_DIR "/") + QString::fromUtf8(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != HEAD_IMAGE_BMP_SIZE)
        return false;
    std::memcpy(headImage, bytes.constData(), HEAD_IMAGE_BMP_SIZE);
    return true;
}

std::unique_ptr<IDCARD_INFO_ALL_CN> resident()
{
    auto card = std::make_unique<IDCARD_INFO_ALL_CN>();
    ID_TEXT_INFO_CN& t = card->idTextInfoCN;
    t.name = "李婉清";
    t.gender = "女";
    t.nation = "回";
    t.birth = {"1990", "01", "02"};
    t.address = "上海市浦东新区世纪大道1200弄7号602室";
    t.idCode = "310115199001020024";
    t.dept = "上海市公安局浦东分局";
    t.validPeriod = {"20150611", "20350611"};
    loadPhoto("cn_photo.bmp", card->idInfoTailCN.headImage);
    card->idInfoTailCN.finger_info_type = NO_FP_INFO;
    std::memset(card->idInfoTailCN.fingerFeature, 0, FINGER_FEATURE_SIZE);
    return card;
}

namespace {

std::unique_ptr<IDCARD_INFO_ALL_HMT> permit(const char* idCode)
{
    auto card = std::make_unique<IDCARD_INFO_ALL_HMT>();
    ID_TEXT_INFO_HMT& t = card->idTextInfoHMT;
    t.name = "何志强";
    t.gender = "男";
    t.birth = {"1985", "07", "23"};
    t.address = "广东省深圳市福田区福华三路88号";
    t.idCode = idCode;
    t.dept = "深圳市公安局福田分局";
    t.validPeriod = {"20190301", "20240301"};
    t.passCheckCode = "H01234567";
    t.changes = "01";
    loadPhoto("hmt_photo.bmp", card->idInfoTailOther.headImage);
    return card;
}

}  // namespace

std::unique_ptr<IDCARD_INFO_ALL_HMT> hongKongPermit()
{
    return permit("810000198507230014");
}

std::unique_ptr<IDCARD_INFO_ALL_HMT> taiwanPermit()
{
    return permit("830000199203140042");
}

std::unique_ptr<IDCARD_INFO_ALL_FOREIGN_NEW> foreignerNew()
{
    auto card = std::make_unique<IDCARD_INFO_ALL_FOREIGN_NEW>();
    ID_TEXT_INFO_FOREIGN_NEW& t = card->idTextInfoForeignNew;
    t.nameCN = "马克";
    t.gender = "男";
    t.changes = "01";
    t.birth = {"1985", "06", "12"};
    t.nameEN = "MILLER, MARK JAMES";
    t.idCode = "931840198506120019";
    t.validPeriod = {"20230901", "20330901"};
    t.nationality = "USA";
    loadPhoto("fnew_photo.bmp", card->idInfoTailOther.headImage);
    return card;
}

std::unique_ptr<IDCARD_INFO_ALL_FOREIGN_2017> foreigner2017()
{
    auto card = std::make_unique<IDCARD_INFO_ALL_FOREIGN_2017>();
    ID_TEXT_INFO_FOREIGN_2017& t = card->idTextInfoForeign2017;
    t.nameEN = "MACDONALD-FITZGERALD, ALEXANDRA CATHERINE";
    t.gender = "女";
    t.idCode = "CAN110780921012";
    t.nationality = "CAN";
    t.nameCN = "麦雅丽";
    t.validPeriod = {"20170615", "20270615"};
    t.birth = {"1978", "09", "21"};
    t.acceptanceDept = "公安部出入境管理局";
    loadPhoto("f2017_photo.bmp", card->idInfoTailOther.headImage);
    return card;
}

}  // namespace SampleCards
