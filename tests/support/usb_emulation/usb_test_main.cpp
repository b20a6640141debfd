// SPDX-License-Identifier: Apache-2.0
#include <gtest/gtest.h>

#include "emulated_reader.h"

int main(int argc, char** argv)
{
    enterMockEnvironment(argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
