// SPDX-License-Identifier: Apache-2.0
// Files of card data: the owner's only whatever the umask, all or nothing,
// and never written through a link another account planted.
#include "private_file.h"
#include "umask_test.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QByteArray readAll(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void put(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

using PrivateFile = UmaskTest;

}  // namespace

TEST_F(PrivateFile, OwnersOnlyWhateverTheUmaskAndAllOrNothing)
{
    EXPECT_EQ(writePrivateFile(path("new"), "photo"), PrivateFileResult::Written);
    EXPECT_EQ(modeOf(path("new")), 0600);
    put(path("old"), "an earlier card");
    ASSERT_EQ(modeOf(path("old")), 0644);
    EXPECT_EQ(writePrivateFile(path("old"), "this card"), PrivateFileResult::Written);
    EXPECT_EQ(readAll(path("old")), "this card");
    EXPECT_EQ(modeOf(path("old")), 0600) << "replaced, not written through";

    QString why;
    EXPECT_EQ(writePrivateFile(path("missing/file"), "x", &why), PrivateFileResult::NotOpened);
    EXPECT_EQ(why, "No such file or directory");
    EXPECT_EQ(writePrivateFile(dir.path(), "x", &why), PrivateFileResult::NotOpened);
    // A device is written into, not replaced; a full one reports it.
    EXPECT_EQ(writePrivateFile("/dev/full", "x", &why), PrivateFileResult::NotWritten);
    EXPECT_EQ(why, "No space left on device");
    EXPECT_EQ(writePrivateFile("/dev/null", "x"), PrivateFileResult::Written);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"new", "old"})) << "no temporary left";
}

TEST_F(PrivateFile, OwnLinksAreFollowedPlantedOnesNot)
{
    put(path("target"), "mine");
    ASSERT_EQ(symlink("target", QFile::encodeName(path("own link")).constData()), 0);
    EXPECT_EQ(writePrivateFile(path("own link"), "new card"), PrivateFileResult::Written);
    EXPECT_EQ(readAll(path("target")), "new card");
    EXPECT_TRUE(QFileInfo(path("own link")).isSymLink());

    put(path("victim"), "keep");
    const QByteArray planted = QFile::encodeName(path("planted"));
    ASSERT_EQ(symlink("victim", planted.constData()), 0);
    if (lchown(planted.constData(), 65534, 65534) != 0)
        GTEST_SKIP() << "giving the link to another account needs root";
    EXPECT_EQ(writePrivateFile(path("planted"), "card"), PrivateFileResult::Written);
    EXPECT_EQ(readAll(path("victim")), "keep");
    EXPECT_FALSE(QFileInfo(path("planted")).isSymLink());
    EXPECT_EQ(modeOf(path("planted")), 0600);
}
