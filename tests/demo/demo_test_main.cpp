// SPDX-License-Identifier: Apache-2.0
// GoogleTest main for the demo's widget tests: one QApplication for the whole
// run, on the offscreen platform so no display is needed.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
