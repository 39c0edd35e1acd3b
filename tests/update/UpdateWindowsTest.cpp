// The update's two windows under the test display: the progress window's cycling messages,
// its notification-area icon and Cancel; the notice's place, its slide in and out, OK, and the
// process alert's answer it must keep. Pictures of both go to C:\screenshots.
#include "LiveUpdateFixture.h"

#include "DoEvents.h"
#include "ModMemoryItemsInspected.h"
#include "Screenshot.h"
#include "frmSpywareFoundAlert.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

class UpdateWindows : public LiveUpdateFixture {
  protected:
    UpdateWindows() { CreateDirectoryW(L"C:\\screenshots", nullptr); }

    // Ticks the timer's handler while the timer is on and the notice loaded; the ticks it took.
    int TickUntilOff(ui::Timer& timer, void (frmSignatureUpdated::*tick)(), int limit = 1000) {
        int ticks = 0;
        while (timer.Enabled && notice.Loaded() && ticks < limit) {
            (notice.*tick)();
            ++ticks;
        }
        return ticks;
    }
    void Picture(ui::Form& window, const char* name) {
        window.Refresh();
        ui::DoEvents();
        EXPECT_TRUE(ui::SaveWindowScreenshot(window.Handle(),
                                             std::string("C:\\screenshots\\") + name + ".bmp"));
    }
};

TEST_F(UpdateWindows, ProgressMessagesCycleThroughFifteenStepsWithThePicturesTurnAbout) {
    ASSERT_TRUE(download.Load());
    EXPECT_EQ(download.lblProduct.Caption, Message("MSG_DOWNLOADING"));
    EXPECT_TRUE(download.picUp.Visible);
    EXPECT_FALSE(download.picDown.Visible);
    EXPECT_TRUE(download.tmrBlink.Enabled);
    EXPECT_EQ(download.tmrBlink.Interval, 800);

    for (int tick = 0; tick < 32; ++tick) {
        download.tmrBlink_Timer();
        const int step = tick % 15;
        // The first tick after the load shows picDown, and every tick turns the pictures.
        const bool downShown = tick % 2 == 0;
        const char* expected = downShown ? "MSG_CHECKING" : "MSG_CONNECTING";
        if (step == 0)
            expected = "MSG_CONNECTING2";
        else if ((step >= 2 && step <= 5) || step >= 10)
            expected = "MSG_SENDING";
        else if (step == 6)
            expected = "MSG_SENT";
        else if (step == 8)
            expected = "MSG_RECEIVING";
        EXPECT_EQ(download.lblProduct.Caption, Message(expected)) << "tick " << tick;
        EXPECT_EQ(download.picDown.Visible, downShown) << "tick " << tick;
        EXPECT_NE(download.picUp.Visible, downShown) << "tick " << tick;
    }
    EXPECT_EQ(download.StepCounter(), 32 - 30);
}

TEST_F(UpdateWindows, ProgressIconRestoresTheWindowOnALeftDoubleClickOnly) {
    ASSERT_TRUE(download.Load());
    const HWND window = download.Handle();
    ASSERT_EQ(trayCalls.size(), 3u);
    EXPECT_EQ(trayCalls[0], std::make_pair(static_cast<DWORD>(NIM_DELETE), window));
    EXPECT_EQ(trayCalls[1], std::make_pair(static_cast<DWORD>(NIM_ADD), window));
    EXPECT_EQ(trayCalls[2], std::make_pair(static_cast<DWORD>(NIM_MODIFY), window));
    EXPECT_EQ(std::wstring(tray.Record().szTip), L"Getting latest definitions.");
    EXPECT_TRUE(tray.bRunningInTray);

    // The icon's messages come on the program's own message, the mouse message in lParam.
    for (unsigned message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDBLCLK, WM_MOUSEMOVE}) {
        SendMessageW(window, kTrayCallbackMessage, 1, message);
        EXPECT_FALSE(download.Visible()) << message;
    }
    // A real mouse move over the window is no message of the icon's.
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(515, 1));
    EXPECT_FALSE(download.Visible());
    SendMessageW(window, kTrayCallbackMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(download.Visible());
    EXPECT_TRUE(IsWindowVisible(window));

    // A taskbar made anew gets the icon back.
    trayCalls.clear();
    SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(trayCalls, (decltype(trayCalls){{NIM_ADD, window}}));

    // Without the tray flag, a double-click does nothing.
    download.Hide();
    tray.bRunningInTray = false;
    download.TrayIcon_MouseMessage(WM_LBUTTONDBLCLK);
    EXPECT_FALSE(download.Visible());
}

TEST_F(UpdateWindows, CancelClosesTheProgressWindowAndALaterStatusLoadsItHidden) {
    download.Show();
    ASSERT_TRUE(download.Loaded());
    download.Command1.Click();
    EXPECT_FALSE(download.Loaded());
    EXPECT_EQ(trayCalls.back().first, static_cast<DWORD>(NIM_DELETE));

    download.ShowStatus("Applying new updates...");
    EXPECT_TRUE(download.Loaded());
    EXPECT_FALSE(download.Visible());
    EXPECT_EQ(download.txtStatus.Text(), "Applying new updates...");
    EXPECT_EQ(trayCalls.back().first, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(download.StepCounter(), 0);
}

TEST_F(UpdateWindows, NoticeSlidesUpRestsSevenSecondsAndSlidesOutThenCloses) {
    ASSERT_TRUE(notice.Load());
    EXPECT_TRUE(notice.Visible());
    // 1024 x 768 pixels, a taskbar of 30: heights 14.5 twips to a pixel, widths 14.7.
    const int start = 11136 - 435;
    EXPECT_EQ(notice.Top, start);
    EXPECT_EQ(notice.Left, (1024 - 4200 / 15) * 147 / 10);
    EXPECT_EQ(notice.TargetTop(), 11136 - (notice.Height + 100));
    EXPECT_TRUE(notice.tmrPopupSignatureUpdate.Enabled);
    EXPECT_FALSE(notice.tmrEnablePopDownTimer.Enabled);
    EXPECT_FALSE(notice.tmrPopDown.Enabled);
    EXPECT_EQ(notice.tmrPopupSignatureUpdate.Interval, 10);
    EXPECT_EQ(notice.tmrEnablePopDownTimer.Interval, 7000);
    EXPECT_EQ(notice.tmrPopDown.Interval, 10);

    // 20 twips a tick up to the rest, and one more tick finds it there.
    const int steps = (start - notice.TargetTop() + 19) / 20;
    EXPECT_EQ(TickUntilOff(notice.tmrPopupSignatureUpdate,
                           &frmSignatureUpdated::tmrPopupSignatureUpdate_Timer),
              steps + 1);
    const int rest = start - 20 * steps;
    EXPECT_EQ(notice.Top, rest);
    EXPECT_TRUE(notice.tmrEnablePopDownTimer.Enabled);
    EXPECT_EQ(TickUntilOff(notice.tmrEnablePopDownTimer,
                           &frmSignatureUpdated::tmrEnablePopDownTimer_Timer),
              1);
    EXPECT_TRUE(notice.tmrPopDown.Enabled);

    // 40 twips a tick until the top passes 11167, then it closes as by OK.
    const int down = (11167 - rest) / 40 + 1;
    for (int tick = 1; tick < down; ++tick)
        notice.tmrPopDown_Timer();
    EXPECT_TRUE(notice.Loaded());
    EXPECT_EQ(Stored("OptionAndSettings", "SHOW"), "<none>");
    notice.tmrPopDown_Timer();
    EXPECT_FALSE(notice.Loaded());
    EXPECT_EQ(Stored("OptionAndSettings", "SHOW"), "false");
    EXPECT_EQ(trayCalls.back().first, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(UpdateWindows, NoticeOnATallScreenClosesAtItsFirstSlideOutTick) {
    notice.Screen = [] { return PopupScreen{0, 1600, 1000, 1000 * 15}; };
    ASSERT_TRUE(notice.Load());
    EXPECT_GT(notice.TargetTop(), 11167);
    notice.tmrEnablePopDownTimer_Timer();
    notice.tmrPopDown_Timer();
    EXPECT_FALSE(notice.Loaded());
}

TEST_F(UpdateWindows, OkAndTheUsersCloseEndTheNoticeAndTakeAwayTheProgressIcon) {
    notice.Show();
    notice.cmdUpdateSuccesfullOK.Click();
    EXPECT_FALSE(notice.Loaded());
    EXPECT_FALSE(notice.tmrPopupSignatureUpdate.Enabled);
    EXPECT_EQ(Stored("OptionAndSettings", "SHOW"), "false");
    // The progress window left no icon, and it is asked to go all the same.
    EXPECT_EQ(trayCalls.back().first, static_cast<DWORD>(NIM_DELETE));

    Store("OptionAndSettings", "SHOW", "True");
    notice.Show();
    SendMessageW(notice.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(notice.Loaded());
    EXPECT_EQ(Stored("OptionAndSettings", "SHOW"), "false");
}

TEST_F(UpdateWindows, NoticeKeepsTheAnswerOfAWaitingProcessAlert) {
    using ModMemoryItemsInspected::AlertAnswered;
    AlertAnswered = true;
    notice.Show();
    EXPECT_FALSE(AlertAnswered);
    notice.Unload();

    frmSpywareFoundAlert& alert = SpywareFoundAlertWindow();
    alert.ShowAlert({"SOMEONE", "THREAT.EXE", 0});
    ASSERT_TRUE(alert.Waiting());
    // The user answers; before the scanner has seen it, a notice comes up.
    AlertAnswered = true;
    notice.Show();
    EXPECT_TRUE(AlertAnswered);
    alert.Dismiss();
    EXPECT_FALSE(alert.Waiting());
}

TEST_F(UpdateWindows, PicturesOfBothWindows) {
    download.Show();
    download.txtStatus.SetText("Downloaded 2048 bytes.");
    download.tmrBlink_Timer();
    Picture(download, "update-progress");

    notice.Screen = ReadPopupScreen;
    notice.Show();
    notice.lblUpdateInfo.Caption = Message("MSG_UPDATED_DEFS");
    TickUntilOff(notice.tmrPopupSignatureUpdate,
                 &frmSignatureUpdated::tmrPopupSignatureUpdate_Timer);
    Picture(notice, "update-notice");
}

} // namespace
