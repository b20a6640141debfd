// SPDX-License-Identifier: Apache-2.0
// Tests of files that must be their owner's only, run under the usual umask
// 022, with which a plain new file would be readable by all.
#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

// The permission bits of a file (not following a link); -1 when it is missing.
inline int modeOf(const QString& fileName)
{
    struct stat status {};
    return lstat(QFile::encodeName(fileName).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

// A test with a folder of its own, under umask 022.
class UmaskTest : public ::testing::Test {
protected:
    void SetUp() override { m_umask = umask(022); }
    void TearDown() override { umask(m_umask); }
    QString path(const char* name) const { return dir.filePath(name); }

    QTemporaryDir dir;

private:
    mode_t m_umask = 0;
};
