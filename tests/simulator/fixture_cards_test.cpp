// SPDX-License-Identifier: Apache-2.0
// The sample card files under tests/fixtures/cards: each opens, carries what
// the tests of other parts rely on, and has a valid drawn photo or a
// compressed one that decodes to a likeness of the drawing.
#include "simulator_fixture.h"

#include "PhotoEncoder.h"
#include "builtin_photo_payload.h"
#include "libvek2019.h"
#include "sample_fingerprints.h"
#include "sample_looks.h"
#include "text_layout.h"

#include <QFile>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

const QString kFixtures = QStringLiteral(PELORIN_FIXTURES_DIR "/cards");

struct FixtureCard {
    const char* file;
    int cardType;
    const char* fieldName;  // one field that makes the card what it is
    const char* fieldText;
    unsigned fingerprintLength;
};

const FixtureCard kCards[] = {
    {"cn", 1, "sfz_birthday", "19900102", 1024},
    {"cn_fp512", 1, "sfz_gender", "女", 512},
    {"cn_nofp", 1, "sfz_nation", "回", 0},
    {"cn_birth6", 1, "sfz_birthday", "199001", 1024},
    {"cn_nobirth", 1, "sfz_birthday", "", 1024},
    {"cn_mistyped", 1, "sfz_idNumber", "310115199001020034", 1024},  // one digit off
    {"hmt", 2, "gat_issuesNumber", "01", 0},
    {"hmt_tw", 2, "gat_idNumber", "830000199203140042", 0},
    {"hmt_other", 2, "gat_idNumber", "110101198507230010", 0},
    {"fnew", 4, "yjz_nationality", "USA", 0},
    {"fnew_unknown_country", 4, "yjz_nationality", "XYZ", 0},
    {"fnew_female", 4, "yjz_gender", "女", 0},
    {"fnew_nogender", 4, "yjz_gender", "", 0},
    {"f2017", 3, "yjzOld_nationality", "CAN", 0},
};

class FixtureCards : public SimulatorTest {};

TEST_F(FixtureCards, EachOpensWithItsKindDistinctiveFieldPhotoAndFingerprints)
{
    for (const FixtureCard& card : kCards) {
        SCOPED_TRACE(card.file);
        setSimulatorVariable("KVSSIM_CARD", kFixtures + "/" + card.file + ".json");
        const ReadOutcome out = openAndRead();
        ASSERT_EQ(out.result, KVS_OK);
        EXPECT_EQ(out.info.cardType, card.cardType);
        const auto* record = reinterpret_cast<const unsigned char*>(&out.info);
        const cardproto::TextField* field = cardproto::cardInfoFieldNamed(card.fieldName);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(fieldText(record + field->recordAt, field->recordSize), card.fieldText);
        EXPECT_EQ(photoBitmapProblem(out.photo.data(), out.photoLength), "");
        EXPECT_EQ(out.fingerprintLength, card.fingerprintLength);
        KVS_ClosePort(KVS_PORT);
    }
}

TEST_F(FixtureCards, KindSpecificFieldsAreFilled)
{
    setSimulatorVariable("KVSSIM_CARD", kFixtures + "/hmt.json");
    ReadOutcome out = openAndRead();
    EXPECT_EQ(fieldText(out.info.gat_idNumber, 36).substr(0, 2), "81");
    EXPECT_FALSE(fieldText(out.info.gat_passCheckId, 18).empty());

    setSimulatorVariable("KVSSIM_CARD", kFixtures + "/fnew.json");
    out = openAndRead();
    EXPECT_FALSE(fieldText(out.info.yjz_nameEnglish, 70).empty());
    EXPECT_FALSE(fieldText(out.info.yjz_nameChinese, 30).empty());
    EXPECT_FALSE(fieldText(out.info.yjz_renewalNumber, 4).empty());

    setSimulatorVariable("KVSSIM_CARD", kFixtures + "/f2017.json");
    out = openAndRead();
    EXPECT_GT(fieldText(out.info.yjzOld_nameEnglish, 120).size(), 35u) << "a long English name";
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray toBytes(const std::vector<uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<int>(v.size()));
}

// The committed photos and fingerprint blocks are the generator's output; a
// change of the drawing code must come with regenerated files.
TEST_F(FixtureCards, CommittedSideFilesMatchTheGenerator)
{
    QByteArrayList photos;
    for (const kvssample::NamedLook& card : kvssample::fixtureLooks()) {
        SCOPED_TRACE(card.name);
        const QByteArray photo = fileBytes(kFixtures + "/" + QString::fromStdString(card.name) + "_photo.bmp");
        EXPECT_EQ(photo, toBytes(kvssample::drawPortraitBitmap(card.look)));
        EXPECT_FALSE(photos.contains(photo)) << "every card has its own picture";
        photos.append(photo);
    }
    const QByteArray fingerprints = fileBytes(kFixtures + "/cn_fp.bin");
    EXPECT_EQ(fingerprints,
              toBytes(kvssample::fingerprintBytes(kvssample::kFixtureFingerprintSeed, kvssample::kFingerprintBytes)));
    EXPECT_EQ(fileBytes(kFixtures + "/cn_fp512.bin"), fingerprints.left(512));
}

QByteArray payloadOf(const kvssample::FaceLook& look)
{
    return toBytes(Encode_Photo(kvssample::drawPortraitRgb(look)));
}

const QByteArray kBuiltinPayload(reinterpret_cast<const char*>(kBuiltinPhotoPayload), kBuiltinPhotoPayloadBytes);

TEST_F(FixtureCards, CommittedPayloadsMatchTheEncoder)
{
    for (const kvssample::NamedLook& card : kvssample::fixtureLooks()) {
        SCOPED_TRACE(card.name);
        EXPECT_EQ(fileBytes(kFixtures + "/" + QString::fromStdString(card.name) + "_payload.bin"),
                  payloadOf(card.look));
    }
    EXPECT_EQ(kBuiltinPayload, payloadOf(kvssample::builtinLook()));
}

// The payload cards are their bitmap twins with the photo swapped.
TEST_F(FixtureCards, PayloadCardsAreTheBitmapCardsWithACompressedPhoto)
{
    for (const char* name : {"cn", "hmt", "fnew", "f2017"}) {
        SCOPED_TRACE(name);
        setSimulatorVariable("KVSSIM_CARD", kFixtures + "/" + name + ".json");
        const ReadOutcome bitmapCard = openAndRead();
        KVS_ClosePort(KVS_PORT);
        setSimulatorVariable("KVSSIM_CARD", kFixtures + "/" + name + "_payload.json");
        const ReadOutcome payloadCard = openAndRead();
        KVS_ClosePort(KVS_PORT);
        ASSERT_EQ(payloadCard.result, KVS_OK);
        EXPECT_EQ(std::memcmp(&payloadCard.info, &bitmapCard.info, sizeof(CardInfoStruct)), 0);
        EXPECT_EQ(payloadCard.fingerprints, bitmapCard.fingerprints);
        EXPECT_EQ(payloadCard.fingerprintLength, bitmapCard.fingerprintLength);
        ASSERT_EQ(payloadCard.photoLength, 1024u);
        const QByteArray payload = fileBytes(kFixtures + "/" + name + "_payload.bin");
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(payloadCard.photo.data()), 1024), payload);
    }
}

constexpr int kRasterBytes = 102 * 126 * 3;

// Mean absolute difference per channel (red, green, blue) between a decoded
// raster (bottom row first, red-green-blue) and a bitmap file (bottom row
// first, blue-green-red, rows padded to 308 bytes).
std::array<double, 3> meanDifference(const std::vector<char>& raster, const std::vector<uint8_t>& bitmap)
{
    std::array<double, 3> sum{};
    for (int row = 0; row < 126; ++row)
        for (int x = 0; x < 102; ++x)
            for (int channel = 0; channel < 3; ++channel) {
                const int decoded = static_cast<uint8_t>(raster[(row * 102 + x) * 3 + channel]);
                const int drawn = bitmap[54 + row * 308 + x * 3 + (2 - channel)];
                sum[channel] += std::abs(decoded - drawn);
            }
    for (double& s : sum)
        s /= 102 * 126;
    return sum;
}

TEST_F(FixtureCards, PayloadsDecodeToALikenessOfTheDrawnPortrait)
{
    std::vector<std::pair<std::string, kvssample::FaceLook>> looks;
    for (const kvssample::NamedLook& card : kvssample::fixtureLooks())
        looks.emplace_back(card.name, card.look);
    looks.emplace_back("builtin", kvssample::builtinLook());
    for (const auto& [name, look] : looks) {
        SCOPED_TRACE(name);
        QByteArray payload = name == "builtin" ? kBuiltinPayload
                                               : fileBytes(kFixtures + "/" + QString::fromStdString(name) + "_payload.bin");
        ASSERT_EQ(payload.size(), 1024);
        std::vector<char> raster(kRasterBytes, 0);
        ASSERT_EQ(unpack(payload.data(), raster.data(), 0), 1);
        const std::array<double, 3> mean = meanDifference(raster, kvssample::drawPortraitBitmap(look));
        std::printf("%s: mean absolute difference r %.2f g %.2f b %.2f\n", name.c_str(), mean[0], mean[1], mean[2]);
        for (double m : mean)
            EXPECT_LT(m, 10.0);  // measured: at most 6.8
    }
}

TEST_F(FixtureCards, BadPayloadDiffersOnlyInTheSegmentMarkAndIsRefused)
{
    QByteArray good = fileBytes(kFixtures + "/cn_payload.bin");
    QByteArray bad = fileBytes(kFixtures + "/cn_badpayload.bin");
    ASSERT_EQ(bad.size(), 1024);
    ASSERT_EQ(good.size(), 1024);
    for (int i = 0; i < 1024; ++i)
        EXPECT_EQ(bad[i] == good[i], i != 16) << "byte " << i;

    std::vector<char> raster(kRasterBytes, 0x5a);
    EXPECT_EQ(unpack(bad.data(), raster.data(), 0), 0);
    EXPECT_EQ(std::count(raster.begin(), raster.end(), 0x5a), kRasterBytes) << "a refused payload writes nothing";
    EXPECT_EQ(unpack(good.data(), raster.data(), 0), 1);

    setSimulatorVariable("KVSSIM_CARD", kFixtures + "/cn_badpayload.json");
    const ReadOutcome out = openAndRead();
    EXPECT_EQ(out.result, KVS_OK) << "the reader passes the payload on; refusing it is the decoder's job";
    EXPECT_EQ(out.photoLength, 1024u);
}

}  // namespace
