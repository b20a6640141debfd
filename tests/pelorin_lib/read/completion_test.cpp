// SPDX-License-Identifier: Apache-2.0
// A read ends with the holder's photo as a bitmap file, whichever form the
// reader delivered it in, and with both card faces as base64 JPEG text.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QTemporaryDir>
#include <cstring>
#include <vector>

#include "libvek2019.h"
#include "read_arguments.h"
#include "read_harness.h"

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray cardPhoto(const char* card)
{
    QJsonObject json = QJsonDocument::fromJson(readFile(fixtureCard(card))).object();
    return readFile(QFileInfo(fixtureCard(card)).dir().filePath(json.value("photo").toString()));
}

quint32 le32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (quint32(p[3]) << 24);
}

void expectPhotoBitmap(const unsigned char* bmp)
{
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(le32(bmp + 2), 38862u);
    EXPECT_EQ(le32(bmp + 10), 54u);
    EXPECT_EQ(le32(bmp + 14), 40u);
    EXPECT_EQ(le32(bmp + 18), 102u);
    EXPECT_EQ(le32(bmp + 22), 126u);
    EXPECT_EQ(bmp[26] | (bmp[27] << 8), 1);
    EXPECT_EQ(bmp[28] | (bmp[29] << 8), 24);
    for (int row = 0; row < 126; ++row) {
        ASSERT_EQ(bmp[54 + row * 308 + 306], 0) << row;
        ASSERT_EQ(bmp[54 + row * 308 + 307], 0) << row;
    }
}

// The bitmap file a raster of unpack must become: same row order, blue and
// red swapped, two zero bytes after each row.
QByteArray expectedBitmapOfPayload(const QByteArray& payload)
{
    std::vector<char> src(payload.begin(), payload.end());
    std::vector<unsigned char> raster(38556 + 16, 0xA5);
    EXPECT_EQ(unpack(src.data(), reinterpret_cast<char*>(raster.data()), 0), 1);
    for (int i = 38556; i < 38556 + 16; ++i)
        EXPECT_EQ(raster[i], 0xA5) << "unpack wrote past the raster";
    QByteArray file(38862, '\0');
    unsigned char* out = reinterpret_cast<unsigned char*>(file.data());
    const unsigned char header[54] = {'B', 'M', 0xCE, 0x97, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                                      102, 0, 0, 0, 126, 0, 0, 0, 1, 0, 24};
    memcpy(out, header, sizeof header);
    for (int row = 0; row < 126; ++row)
        for (int x = 0; x < 102; ++x)
            for (int c = 0; c < 3; ++c)
                out[54 + row * 308 + x * 3 + c] = raster[row * 306 + x * 3 + (2 - c)];
    return file;
}

QSize faceSize(const std::string& base64)
{
    QImage image;
    image.loadFromData(QByteArray::fromBase64(QByteArray::fromStdString(base64)), "JPG");
    return image.size();
}

// The resident card faces follow the screen's physical size; the others are fixed.
QSize residentFaceSize()
{
    qreal perMm = QGuiApplication::primaryScreen()->physicalDotsPerInchX() / 25.4;
    return QSize(int(85.6 * perMm + 2.0), int(54.0 * perMm + 1.0));
}

const unsigned char* headImageOf(ReadArguments& args)
{
    switch (args.idType) {
    case ID_TYPE_CN: return args.cn->idInfoTailCN.headImage;
    case ID_TYPE_HMT: return args.hmt->idInfoTailOther.headImage;
    case ID_TYPE_FOREIGN_NEW: return args.foreignNew->idInfoTailOther.headImage;
    case ID_TYPE_FOREIGN_2017: return args.foreign2017->idInfoTailOther.headImage;
    default: return nullptr;
    }
}

struct KindCase {
    const char* bitmapCard;
    const char* payloadCard;
    ID_TYPE type;
};
const KindCase kKinds[] = {
    {"cn.json", "cn_payload.json", ID_TYPE_CN},
    {"hmt.json", "hmt_payload.json", ID_TYPE_HMT},
    {"fnew.json", "fnew_payload.json", ID_TYPE_FOREIGN_NEW},
    {"f2017.json", "f2017_payload.json", ID_TYPE_FOREIGN_2017},
};

}  // namespace

TEST(Completion, BitmapPhotosAreKeptAndFacesComposedForEveryKind)
{
    for (const KindCase& kind : kKinds) {
        SimulatorSetting sim(nullptr, fixtureCard(kind.bitmapCard));
        ReadArguments args;
        ASSERT_EQ(args.read(), READ_OK) << kind.bitmapCard;
        ASSERT_EQ(args.idType, kind.type);
        const unsigned char* head = headImageOf(args);
        expectPhotoBitmap(head);
        QByteArray photo = cardPhoto(kind.bitmapCard);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(head), 38862), photo) << kind.bitmapCard;
        QSize expected = kind.type == ID_TYPE_CN ? residentFaceSize() : QSize(494, 312);
        EXPECT_EQ(faceSize(args.front), expected) << kind.bitmapCard;
        EXPECT_EQ(faceSize(args.back), expected) << kind.bitmapCard;
    }
}

TEST(Completion, CompressedPhotosAreDecodedIntoTheBitmapFileForEveryKind)
{
    for (const KindCase& kind : kKinds) {
        SimulatorSetting sim(nullptr, fixtureCard(kind.payloadCard));
        ReadArguments args;
        ASSERT_EQ(args.read(), READ_OK) << kind.payloadCard;
        ASSERT_EQ(args.idType, kind.type);
        const unsigned char* head = headImageOf(args);
        expectPhotoBitmap(head);
        QByteArray payload = cardPhoto(kind.payloadCard);
        ASSERT_EQ(payload.size(), 1024);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(head), 38862), expectedBitmapOfPayload(payload))
            << kind.payloadCard;
        QSize expected = kind.type == ID_TYPE_CN ? residentFaceSize() : QSize(494, 312);
        EXPECT_EQ(faceSize(args.front), expected) << kind.payloadCard;
        EXPECT_EQ(faceSize(args.back), expected) << kind.payloadCard;
    }
}

TEST(Completion, PayloadThatDoesNotDecodeLeavesEverythingAsItWas)
{
    SimulatorSetting sim(nullptr, fixtureCard("cn_badpayload.json"));
    ReadArguments args;
    args.cn->idTextInfoCN.name = "caller";
    memset(args.cn->idInfoTailCN.headImage, 0x33, 38862);
    args.front = "front before";
    args.back = "back before";
    EXPECT_EQ(args.read(), PARSE_ERROR);
    EXPECT_EQ(args.idType, ID_TYPE_UNKNOWN);
    EXPECT_EQ(args.cn->idTextInfoCN.name, "caller");
    EXPECT_EQ(args.cn->idInfoTailCN.headImage[0], 0x33);
    EXPECT_EQ(args.cn->idInfoTailCN.headImage[38861], 0x33);
    EXPECT_EQ(args.front, "front before");
    EXPECT_EQ(args.back, "back before");
    EXPECT_EQ(sim.trace().last(), "close 144");
}

TEST(Completion, ResidencePermitOutsideHongKongMacauTaiwanHasNoBack)
{
    SimulatorSetting sim(nullptr, fixtureCard("hmt_other.json"));
    ReadArguments args;
    args.back = "back before";
    ASSERT_EQ(args.read(), READ_OK);
    EXPECT_EQ(args.idType, ID_TYPE_HMT);
    EXPECT_EQ(args.back, "");
    EXPECT_EQ(faceSize(args.front), QSize(494, 312));
}

TEST(Completion, PhotoOfAnotherLengthPassesTheReaderBufferOn)
{
    QTemporaryDir dir;
    QByteArray odd(100, '\x42');
    QFile photo(dir.filePath("odd.bin"));
    ASSERT_TRUE(photo.open(QIODevice::WriteOnly));
    photo.write(odd);
    photo.close();
    QJsonObject card = QJsonDocument::fromJson(readFile(fixtureCard("hmt.json"))).object();
    card["photo"] = "odd.bin";
    QFile json(dir.filePath("odd.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(QJsonDocument(card).toJson());
    json.close();

    SimulatorSetting sim(nullptr, json.fileName());
    ReadArguments args;
    ASSERT_EQ(args.read(), READ_OK);
    const unsigned char* head = args.hmt->idInfoTailOther.headImage;
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(head), 100), odd);
    for (int i = 100; i < 38862; ++i)
        ASSERT_EQ(head[i], 0) << i;
    EXPECT_EQ(faceSize(args.front), QSize(494, 312));
}
