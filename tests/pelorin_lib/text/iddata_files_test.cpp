// SPDX-License-Identifier: Apache-2.0
// The fingerprint file and the photo bitmap that CIdData writes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <vector>

#include "qt_message_capture.h"
#include <pelorin/iddata.h>

namespace {

class IdDataFiles : public ::testing::Test {
protected:
    IdDataFiles() : m_previousDir(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~IdDataFiles() override { QDir::setCurrent(m_previousDir); }

    static QByteArray fpFile()
    {
        QFile file("fp_raw_data.dat");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void putFpFile(const QByteArray& bytes)
    {
        QFile file("fp_raw_data.dat");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray frame;
    CIdData parser{frame, TWO_FP_INFO};
    QtMessageCapture debug;
    std::vector<unsigned char> block = std::vector<unsigned char>(1024);

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
};

TEST_F(IdDataFiles, FingerprintCountDecidesTheBytesWritten)
{
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<unsigned char>(i * 13);
    const QByteArray all(reinterpret_cast<const char*>(block.data()), 1024);

    putFpFile(QByteArray(2000, 'x'));
    // A holder's fingerprints are the owner's only, under the usual umask too.
    const mode_t umaskBefore = umask(022);
    parser.saveFpRawDataToFile(TWO_FP_INFO, block.data());
    umask(umaskBefore);
    EXPECT_EQ(fpFile(), all);
    struct stat status {};
    ASSERT_EQ(stat("fp_raw_data.dat", &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    parser.saveFpRawDataToFile(ONE_FP_INFO, block.data());
    EXPECT_EQ(fpFile(), all.left(512));
    EXPECT_TRUE(debug.has("source id card has two fp data"));
    EXPECT_TRUE(debug.has("source id card has one fp data"));
}

TEST_F(IdDataFiles, NoFingerprintsLeaveAnExistingFileAlone)
{
    putFpFile("earlier card");
    parser.saveFpRawDataToFile(NO_FP_INFO, block.data());
    parser.saveFpRawDataToFile(static_cast<FP_INFO_TYPE>(7), block.data());
    EXPECT_EQ(fpFile(), "earlier card");
    EXPECT_EQ(debug.lines(), QStringList({"source id card has no fp data"}));
}

TEST_F(IdDataFiles, UndecodablePhotoLeavesTheDestinationAlone)
{
    std::vector<unsigned char> image(HEAD_IMAGE_BMP_SIZE, 0x5A);
    parser.parseIDHeadImage(block.data(), image.data());
    EXPECT_EQ(image, std::vector<unsigned char>(HEAD_IMAGE_BMP_SIZE, 0x5A));
    EXPECT_TRUE(debug.has(QString::fromUtf8("解码头像数据失败!")));
}

}  // namespace
