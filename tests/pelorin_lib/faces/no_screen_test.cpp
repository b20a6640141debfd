// SPDX-License-Identifier: Apache-2.0
// A host without any GUI application object: no screen to measure.
#include <gtest/gtest.h>

#include "read_harness.h"
#include <pelorin/tools.h>

TEST(NoScreen, ScaleFallsBackTo96DotsPerInchWithOneLogLine)
{
    LogTail log;
    EXPECT_DOUBLE_EQ(Tools::getmm2Pixel(), 96.0 / 25.4);
    EXPECT_DOUBLE_EQ(Tools::getPixelHeightFromPoint(9), 12.0);
    const QStringList lines = log.messages();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith("<getmm2Pixel>] no primary screen, taking 96 dots per inch"))
        << qPrintable(lines[0]);
}
