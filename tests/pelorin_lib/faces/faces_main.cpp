// SPDX-License-Identifier: Apache-2.0
#include <gtest/gtest.h>

#include <QGuiApplication>

// Run under with_xvfb.sh: the screen's 96 dots per inch fix every pixel figure.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
