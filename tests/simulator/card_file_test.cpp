// SPDX-License-Identifier: Apache-2.0
// Card files: text encoding, truncation, exact bytes, photo and fingerprint
// lengths, and clean refusal of files that cannot be used.
#include "simulator_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>

namespace {

class CardFile : public SimulatorTest {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QDir(m_dir.path()).mkpath(QFileInfo(path(name)).path());
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Writes the card file and presents it on the next open.
    void useCard(const QByteArray& json, const QString& name = QStringLiteral("card.json"))
    {
        writeFile(name, json);
        setSimulatorVariable("KVSSIM_CARD", path(name));
    }

    ReadOutcome readCard(const QByteArray& json)
    {
        useCard(json);
        return openAndRead();
    }

    QTemporaryDir m_dir;
};

std::vector<unsigned char> bytesOf(const unsigned char* field, size_t size)
{
    return std::vector<unsigned char>(field, field + size);
}

TEST_F(CardFile, TextIsWrittenAsUcs2LittleEndianAndZeroFilled)
{
    const ReadOutcome out = readCard(R"({"cardType": 1, "fields": {"sfz_name": "张三", "sfz_birthday": "19900102"}})");
    ASSERT_EQ(out.result, KVS_OK);
    EXPECT_EQ(out.info.cardType, 1);
    std::vector<unsigned char> name(30, 0);
    name[0] = 0x20, name[1] = 0x5F, name[2] = 0x09, name[3] = 0x4E;  // U+5F20 U+4E09
    EXPECT_EQ(bytesOf(out.info.sfz_name, 30), name);
    EXPECT_EQ(fieldText(out.info.sfz_birthday, 16), "19900102");
    EXPECT_EQ(fieldText(out.info.sfz_gender, 6), "") << "fields not named stay zero";
}

TEST_F(CardFile, TooLongTextIsCutToTheWholeUnitsThatFit)
{
    const std::string english(61, 'E');
    const ReadOutcome out = readCard(QByteArray(R"({"cardType": 3, "fields": {"sfz_gender": "ABCD",
        "gat_passCheckId": "H01234567", "yjzOld_nameEnglish": ")") + english.c_str() + R"("}})");
    ASSERT_EQ(out.result, KVS_OK);
    EXPECT_EQ(fieldText(out.info.sfz_gender, 6), "ABC");
    EXPECT_EQ(fieldText(out.info.gat_passCheckId, 18), "H01234567") << "exact fit, no terminator";
    EXPECT_EQ(fieldText(out.info.yjzOld_nameEnglish, 120), std::string(60, 'E'));
    EXPECT_EQ(out.info.yjzOld_gender[0], 0) << "nothing spills into the next field";
}

TEST_F(CardFile, HexBytesAreWrittenExactlyAndWinOverText)
{
    const ReadOutcome out = readCard(R"({"cardType": 2,
        "fields": {"gat_name": "X", "gat_gender": "男"},
        "fieldsHex": {"gat_name": "41 00 00 00 4200", "gat_issuesNumber": "3031 3233", "padding": "ffFF"}})");
    ASSERT_EQ(out.result, KVS_OK);
    std::vector<unsigned char> name(30, 0);
    name[0] = 0x41, name[4] = 0x42;
    EXPECT_EQ(bytesOf(out.info.gat_name, 30), name);
    EXPECT_EQ(bytesOf(out.info.gat_issuesNumber, 4), (std::vector<unsigned char>{0x30, 0x31, 0x32, 0x33}));
    EXPECT_EQ(bytesOf(out.info.padding, 2), (std::vector<unsigned char>{0xff, 0xff}));
    EXPECT_EQ(fieldText(out.info.gat_gender, 6), "男");
}

TEST_F(CardFile, PhotoAndFingerprintsOfAnyAllowedLengthAreHandedOverWithTheirLengths)
{
    struct Case {
        int photoBytes;
        int fingerprintBytes;
    };
    for (const Case c : {Case{1024, 512}, Case{100, 0}, Case{38862, 1024}}) {
        SCOPED_TRACE(c.photoBytes);
        QByteArray photo(c.photoBytes, 0);
        for (int i = 0; i < photo.size(); ++i)
            photo[i] = static_cast<char>(i * 7 + 1);
        writeFile(QStringLiteral("pics/photo.bin"), photo);
        writeFile(QStringLiteral("pics/fp.bin"), QByteArray(c.fingerprintBytes, '\x5a'));
        // Side files are found beside the card file, wherever the process runs.
        const ReadOutcome out = readCard(
            R"({"cardType": 1, "photo": "pics/photo.bin", "fingerprints": "pics/fp.bin"})");
        ASSERT_EQ(out.result, KVS_OK);
        EXPECT_EQ(out.photoLength, static_cast<unsigned>(c.photoBytes));
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(out.photo.data()), c.photoBytes), photo);
        EXPECT_EQ(out.fingerprintLength, static_cast<unsigned>(c.fingerprintBytes));
        EXPECT_EQ(std::count(out.fingerprints.begin(), out.fingerprints.end(), 0x5a), c.fingerprintBytes);
        KVS_ClosePort(KVS_PORT);
    }
}

TEST_F(CardFile, OmittedPhotoAndFingerprintsHaveLengthZero)
{
    const ReadOutcome out = readCard(R"({"cardType": 4})");
    ASSERT_EQ(out.result, KVS_OK);
    EXPECT_EQ(out.info.cardType, 4);
    EXPECT_EQ(out.photoLength, 0u);
    EXPECT_EQ(out.fingerprintLength, 0u);
}

struct Malformed {
    const char* what;
    const char* json;       // null: no card file at all
    const char* complaint;  // expected in the message
};

TEST_F(CardFile, UnusableFilesFailTheOpenWithOneLineNamingFileAndProblem)
{
    writeFile(QStringLiteral("big.bmp"), QByteArray(38863, 'x'));
    writeFile(QStringLiteral("big.fp"), QByteArray(1025, 'x'));
    QDir(m_dir.path()).mkdir(QStringLiteral("folder"));
    const Malformed cases[] = {
        {"missing file", nullptr, "does not exist"},
        {"bad JSON", R"({"cardType": 1,)", "not valid JSON"},
        {"not an object", R"([1, 2])", "not a JSON object"},
        {"unknown key", R"({"cardType": 1, "photos": "a.bmp"})", "unknown key \"photos\""},
        {"unknown field", R"({"cardType": 1, "fields": {"sfz_nickname": "x"}})", "sfz_nickname"},
        {"cardType as field", R"({"cardType": 1, "fields": {"cardType": "1"}})", "unknown field name"},
        {"field not text", R"({"cardType": 1, "fields": {"sfz_name": 5}})", "must be a string"},
        {"fields not object", R"({"cardType": 1, "fields": "x"})", "must be an object"},
        {"no cardType", R"({"fields": {}})", "\"cardType\" is missing"},
        {"fractional cardType", R"({"cardType": 1.5})", "whole number"},
        {"cardType text", R"({"cardType": "1"})", "whole number"},
        {"odd hex", R"({"cardType": 1, "fieldsHex": {"sfz_gender": "414"}})", "not hex bytes"},
        {"not hex", R"({"cardType": 1, "fieldsHex": {"sfz_gender": "zz"}})", "not hex bytes"},
        {"hex too long", R"({"cardType": 1, "fieldsHex": {"sfz_gender": "00112233445566"}})", "7 bytes"},
        {"missing photo", R"({"cardType": 1, "photo": "nowhere.bmp"})", "photo file \"nowhere.bmp\" does not exist"},
        {"photo too long", R"({"cardType": 1, "photo": "big.bmp"})", "longer than 38862 bytes"},
        {"fingerprints too long", R"({"cardType": 1, "fingerprints": "big.fp"})", "longer than 1024 bytes"},
        {"photo is a folder", R"({"cardType": 1, "photo": "folder"})", "cannot be read"},
        {"photo not a name", R"({"cardType": 1, "photo": 12})", "must be a file name"},
    };
    for (const Malformed& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.json)
            useCard(c.json);
        else
            setSimulatorVariable("KVSSIM_CARD", path(QStringLiteral("absent.json")));
        testing::internal::CaptureStderr();
        EXPECT_EQ(KVS_OpenPort(KVS_PORT), reader_result::kNoReader);
        const std::string message = testing::internal::GetCapturedStderr();
        const std::string cardPath = c.json ? path(QStringLiteral("card.json")).toStdString()
                                            : path(QStringLiteral("absent.json")).toStdString();
        EXPECT_NE(message.find("(last: card file " + cardPath + ": "), std::string::npos) << message;
        EXPECT_NE(message.find(c.complaint), std::string::npos) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_EQ(KVS_FindIDCard(KVS_PORT), reader_result::kPortNotOpen) << "the port stays closed";
    }
}

TEST_F(CardFile, EndlessCardFileIsRefusedRatherThanRead)
{
    setenv("KVSSIM_CARD", "/dev/zero", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(KVS_OpenPort(KVS_PORT), reader_result::kNoReader);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("longer than"), std::string::npos);
}

}  // namespace
