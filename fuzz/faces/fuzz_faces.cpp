// SPDX-License-Identifier: Apache-2.0
// Input: the 38862 photo bytes (shorter input is zero-filled), then text fields
// separated by newlines: name, gender, month, day, address, identity number,
// nationality, English name, validity start, validity end. Every front face and
// the permit's back is composed from them on the offscreen platform.
#include <QByteArray>
#include <QGuiApplication>
#include <QList>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <pelorin/makecardimg.h>

namespace {

std::string field(const QList<QByteArray>& fields, int index)
{
    return index < fields.size() ? fields.at(index).toStdString() : std::string();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const size_t photoBytes = size < HEAD_IMAGE_BMP_SIZE ? size : HEAD_IMAGE_BMP_SIZE;
    const QList<QByteArray> fields =
        QByteArray(reinterpret_cast<const char*>(data) + photoBytes, int(size - photoBytes)).split('\n');

    auto cn = std::make_unique<IDCARD_INFO_ALL_CN>();
    std::memset(cn->idInfoTailCN.headImage, 0, HEAD_IMAGE_BMP_SIZE);
    std::memcpy(cn->idInfoTailCN.headImage, data, photoBytes);
    ID_TEXT_INFO_CN& c = cn->idTextInfoCN;
    c.name = field(fields, 0);
    c.gender = field(fields, 1);
    c.birth = {field(fields, 2), field(fields, 2), field(fields, 3)};
    c.address = field(fields, 4);
    c.idCode = field(fields, 5);
    c.validPeriod = {field(fields, 8), field(fields, 9)};
    MakeCardImg::makeIDCardCNFrontBase64(cn.get());
    MakeCardImg::makeIDCardCNBackBase64(cn.get());

    auto hmt = std::make_unique<IDCARD_INFO_ALL_HMT>();
    std::memcpy(hmt->idInfoTailOther.headImage, cn->idInfoTailCN.headImage, HEAD_IMAGE_BMP_SIZE);
    ID_TEXT_INFO_HMT& h = hmt->idTextInfoHMT;
    h.name = c.name;
    h.birth = c.birth;
    h.address = c.address;
    h.idCode = c.idCode;
    h.validPeriod = c.validPeriod;
    MakeCardImg::makeIDCardHmtFrontBase64(hmt.get());
    MakeCardImg::makeIDCardHmtBackBase64(hmt.get());

    auto f2017 = std::make_unique<IDCARD_INFO_ALL_FOREIGN_2017>();
    std::memcpy(f2017->idInfoTailOther.headImage, cn->idInfoTailCN.headImage, HEAD_IMAGE_BMP_SIZE);
    ID_TEXT_INFO_FOREIGN_2017& f = f2017->idTextInfoForeign2017;
    f.nameEN = field(fields, 7);
    f.nameCN = c.name;
    f.gender = c.gender;
    f.birth = c.birth;
    f.nationality = field(fields, 6);
    f.validPeriod = c.validPeriod;
    f.idCode = c.idCode;
    MakeCardImg::makeIDCardF2017FrontBase64(f2017.get());
    return 0;
}
