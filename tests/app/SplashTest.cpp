#include "MainWindowFixture.h"

#include "MachineSettingsStore.h"
#include "frmSplash.h"

#include <gtest/gtest.h>

class SplashTest : public MainWindowFixture {
  protected:
    SplashTest() {
        Store("Settings", "Language", "English");
        Store("Settings", "showHelp", "0");
        SaveMachineSetting(kTestProduct, "Settings", "FirstTime", "Yes");
        MainWindow().Links.PrevInstance = [] { return false; };
    }
    ~SplashTest() override {
        if (MainWindow().Loaded())
            MainWindow().Unload();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        MainWindow().Links = MainWindowLinks();
    }
};

TEST_F(SplashTest, TheSeventyFifthTickBringsUpTheMainWindowOnce) {
    frmSplash splash;
    splash.Timer2.Enabled = true;
    for (int tick = 1; tick < 75; ++tick)
        splash.Timer2_Timer();
    EXPECT_FALSE(MainWindow().Loaded());
    splash.Timer2_Timer();
    EXPECT_TRUE(MainWindow().Loaded());
    EXPECT_TRUE(MainWindow().Visible());
    EXPECT_FALSE(splash.Timer2.Enabled);
    EXPECT_FALSE(splash.Visible());
}

TEST_F(SplashTest, AMainWindowSentToTheTrayIsNotShown) {
    Store("Settings", "Minimized", "Yes");
    bool sent = false;
    MainWindow().Links.SendToTray = [&] { sent = true; };
    frmSplash splash;
    for (int tick = 0; tick < 75; ++tick)
        splash.Timer2_Timer();
    EXPECT_TRUE(sent);
    EXPECT_TRUE(MainWindow().Loaded());
    EXPECT_FALSE(MainWindow().Visible());
}
