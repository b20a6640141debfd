// SPDX-License-Identifier: Apache-2.0
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <pelorin/pelorin_api.h>

TEST(GuiApp, InitTwiceCreatesOneApplicationAndUninitRemovesIt)
{
    guiUninit();  // without guiInit: nothing to do
    EXPECT_FALSE(gHasInited);
    EXPECT_EQ(theApp, nullptr);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);

    guiInit();
    ASSERT_TRUE(gHasInited);
    QGuiApplication* first = theApp;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(QCoreApplication::instance(), first);
    EXPECT_EQ(QCoreApplication::arguments(), QStringList{"dummy_app_name"});
    EXPECT_TRUE(gHasRegisterSignal);

    guiInit();
    EXPECT_EQ(theApp, first);

    guiUninit();
    EXPECT_FALSE(gHasInited);
    EXPECT_EQ(theApp, nullptr);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);

    guiInit();  // a new object after uninit
    EXPECT_NE(theApp, nullptr);
    guiUninit();
}

TEST(GuiApp, EntryPointsAreExportedUnderPlainNames)
{
    for (const char* name : {"readIDCard", "getSDKVersion", "guiInit", "guiUninit", "gHasInited",
                             "gHasRegisterSignal", "theApp", "COUNTRY_CODE_LIST"})
        EXPECT_NE(dlsym(RTLD_DEFAULT, name), nullptr) << name;
}

TEST(GuiApp, VersionText)
{
    EXPECT_EQ(getSDKVersion(), "version:" PELORIN_VERSION);
}
