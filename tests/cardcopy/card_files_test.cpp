// SPDX-License-Identifier: Apache-2.0
#include "card_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

TEST(CardFiles, MissingOrBrokenFacesWriteNoFile)
{
    QTemporaryDir dir;
    CardFileNames options;
    options.frontFile = dir.filePath("front.jpg");
    options.backFile = dir.filePath("back.jpg");
    auto read = std::make_unique<CardRead>();
    read->idType = ID_TYPE_HMT;
    read->backBase64 = "not*base64";

    bool allWritten = false;
    const QJsonObject files = writeCardFiles(options, *read, allWritten);
    EXPECT_TRUE(allWritten);
    EXPECT_EQ(files.value("front").toString().toStdString(), "not available");
    EXPECT_EQ(files.value("back").toString().toStdString(), "not available: the face is not valid base64");
    EXPECT_FALSE(files.contains("photo"));
    EXPECT_FALSE(QFile::exists(options.frontFile));
    EXPECT_FALSE(QFile::exists(options.backFile));
}

TEST(CardFiles, WritesPhotoOfTheCardsKindAndDecodedFace)
{
    QTemporaryDir dir;
    CardFileNames options;
    options.photoFile = dir.filePath("photo.bmp");
    options.frontFile = dir.filePath("front.jpg");
    auto read = std::make_unique<CardRead>();
    read->idType = ID_TYPE_FOREIGN_2017;
    read->foreign2017.idInfoTailOther.headImage[0] = 'B';
    read->foreign2017.idInfoTailOther.headImage[HEAD_IMAGE_BMP_SIZE - 1] = 0x7f;
    read->cn.idInfoTailCN.headImage[0] = 'X';  // another kind's record: not written
    read->frontBase64 = QByteArray("\xff\xd8\xff\xd9").toBase64().toStdString();

    bool allWritten = false;
    const QJsonObject files = writeCardFiles(options, *read, allWritten);
    EXPECT_TRUE(allWritten);
    QFile photo(options.photoFile);
    ASSERT_TRUE(photo.open(QIODevice::ReadOnly));
    const QByteArray bitmap = photo.readAll();
    ASSERT_EQ(bitmap.size(), HEAD_IMAGE_BMP_SIZE);
    EXPECT_EQ(bitmap.front(), 'B');
    EXPECT_EQ(bitmap.back(), 0x7f);
    QFile front(options.frontFile);
    ASSERT_TRUE(front.open(QIODevice::ReadOnly));
    EXPECT_EQ(front.readAll(), QByteArray("\xff\xd8\xff\xd9"));
    EXPECT_EQ(files.value("front").toString(), options.frontFile);
}
