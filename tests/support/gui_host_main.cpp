// SPDX-License-Identifier: Apache-2.0
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>

#include <pelorin/pelorin_api.h>

// The suite is a host without an application object of its own, as an
// integrator's service would be: it calls guiInit first.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    guiInit();
    int result = RUN_ALL_TESTS();
    guiUninit();
    return result;
}
