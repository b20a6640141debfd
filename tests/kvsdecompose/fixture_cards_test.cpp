// The sample card files under tests/fixtures/cards: each opens, carries what
// the tests of other parts rely on, and has a valid drawn photo.
#include "simulator_fixture.h"

#include "sample_fingerprints.h"
#include "sample_looks.h"

#include <QFile>

#include <cstddef>

namespace {

const QString kFixtures = QStringLiteral(CARD_FIXTURES_DIR);

struct FixtureCard {
    const char* file;
    int cardType;
    size_t fieldOffset;  // one field that makes the card what it is
    size_t fieldSize;
    const char* fieldText;
    unsigned fingerprintLength;
};

#define FIELD(f) offsetof(CardInfoStruct, f), sizeof(CardInfoStruct::f)
const FixtureCard kCards[] = {
    {"cn", 1, FIELD(sfz_birthday), "19900102", 1024},
    {"cn_fp512", 1, FIELD(sfz_gender), "女", 512},
    {"cn_nofp", 1, FIELD(sfz_nation), "回", 0},
    {"cn_birth6", 1, FIELD(sfz_birthday), "199001", 1024},
    {"cn_nobirth", 1, FIELD(sfz_birthday), "", 1024},
    {"hmt", 2, FIELD(gat_issuesNumber), "01", 0},
    {"hmt_tw", 2, FIELD(gat_idNumber), "830000199203140042", 0},
    {"hmt_other", 2, FIELD(gat_idNumber), "110101198507230010", 0},
    {"fnew", 4, FIELD(yjz_nationality), "USA", 0},
    {"fnew_unknown_country", 4, FIELD(yjz_nationality), "XYZ", 0},
    {"fnew_female", 4, FIELD(yjz_gender), "女", 0},
    {"fnew_nogender", 4, FIELD(yjz_gender), "", 0},
    {"f2017", 3, FIELD(yjzOld_nationality), "CAN", 0},
};
#undef FIELD

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
        EXPECT_EQ(fieldText(record + card.fieldOffset, card.fieldSize), card.fieldText);
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

}  // namespace
