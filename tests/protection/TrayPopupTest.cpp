// The main window in the tray and its popup, in real windows under the test display: the
// slide as the test ticks the popup's timers, "Minimize" with a tray that refuses the icon, the
// icon's messages, the popup's three items, and a picture of the popup.
#include "MainWindowFixture.h"

#include "TrayPanel.h"
#include "clsTray.h"
#include "frmMenuPopUp.h"

#include "DoEvents.h"
#include "MachineSettingsStore.h"
#include "Screenshot.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A 1024 x 768 screen with a 30-pixel taskbar: the popup starts at 14.5 x (768 - 30) twips.
constexpr PopupScreen kScreen{30, 1024, 768, 768 * 15};
constexpr int kStartTop = 11136 - 435;
// 14.5 x 768, less the popup's 1950 twips and 100 more.
constexpr int kTargetTop = 11136 - 2050;

class TrayPopupTest : public MainWindowFixture {
  protected:
    TrayPopupTest() {
        AsOnALaterStart();
        tray.NotifyIcon = [this](DWORD message, NOTIFYICONDATAW& record) {
            messages.push_back(message);
            last = record;
            return trayTakesIcons;
        };
        popup.Screen = [] { return kScreen; };
        panel.Connect();
    }
    ~TrayPopupTest() override {
        popup.Unload();
        if (form->Loaded())
            form->Unload();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    void ShowMainWindow() {
        ASSERT_TRUE(form->Load());
        form->Show();
        ASSERT_TRUE(IsWindowVisible(form->Handle()));
    }
    // Ticks a timer as its window would, while it is on; returns the ticks it took.
    int TickUntilOff(ui::Timer& timer, void (frmMenuPopUp::*tick)(), int limit = 200) {
        int ticks = 0;
        while (timer.Enabled && popup.Loaded() && ticks < limit) {
            (popup.*tick)();
            ++ticks;
        }
        return ticks;
    }
    bool Sent(DWORD message) const {
        return std::find(messages.begin(), messages.end(), message) != messages.end();
    }

    clsTray tray;
    frmMenuPopUp popup{*form, tray};
    TrayPanel panel{*form, popup, tray};
    bool trayTakesIcons = true;
    std::vector<DWORD> messages;
    NOTIFYICONDATAW last{};
};

} // namespace

TEST_F(TrayPopupTest, SlidesInRestsSixIdleSecondsAndSlidesOut) {
    ASSERT_TRUE(popup.Load());
    EXPECT_TRUE(popup.Visible());
    EXPECT_EQ(popup.Top, kStartTop);
    // (1024 - 200 pixels of the popup's width) x 14.7, whole part.
    EXPECT_EQ(popup.Left, 12112);
    EXPECT_EQ(popup.TargetTop(), kTargetTop);
    EXPECT_TRUE(popup.tmrMenuPopup.Enabled);
    EXPECT_FALSE(popup.TmrEnablePopDown.Enabled);
    EXPECT_FALSE(popup.tmrPopDown.Enabled);
    EXPECT_EQ(popup.tmrMenuPopup.Interval, 1);
    EXPECT_EQ(popup.TmrEnablePopDown.Interval, 1000);
    EXPECT_EQ(popup.tmrPopDown.Interval, 10);

    // 80 twips a tick: 21 steps reach the rest, and one more tick sees it there.
    EXPECT_EQ(TickUntilOff(popup.tmrMenuPopup, &frmMenuPopUp::tmrMenuPopup_Timer), 22);
    EXPECT_EQ(popup.Top, kStartTop - 21 * 80);
    EXPECT_TRUE(popup.TmrEnablePopDown.Enabled);

    // A mouse move over the popup starts the idle count again.
    for (int tick = 0; tick < 5; ++tick)
        popup.TmrEnablePopDown_Timer();
    EXPECT_EQ(popup.IdleTicks(), 5);
    SendMessageW(popup.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(popup.IdleTicks(), 0);
    EXPECT_EQ(TickUntilOff(popup.TmrEnablePopDown, &frmMenuPopUp::TmrEnablePopDown_Timer), 6);
    EXPECT_EQ(popup.IdleTicks(), 0);
    EXPECT_TRUE(popup.tmrPopDown.Enabled);
    EXPECT_FALSE(popup.tmrMenuPopup.Enabled);

    // 100 twips a tick until the top passes the screen's height less 2000 twips.
    for (int tick = 0; tick < 4; ++tick)
        popup.tmrPopDown_Timer();
    EXPECT_TRUE(popup.Loaded());
    EXPECT_EQ(popup.Top, kStartTop - 21 * 80 + 400);
    popup.tmrPopDown_Timer();
    EXPECT_FALSE(popup.Loaded());
    EXPECT_GT(kStartTop - 21 * 80 + 500, kScreen.screenHeight - 2000);
}

TEST_F(TrayPopupTest, AHiddenPopupShowsAgainAtItsNextSlideTick) {
    ASSERT_TRUE(popup.Load());
    popup.Hide();
    popup.tmrMenuPopup_Timer();
    EXPECT_TRUE(popup.Visible());
    EXPECT_TRUE(IsWindowVisible(popup.Handle()));
    popup.lblMenuClose_Click();
    EXPECT_FALSE(popup.tmrMenuPopup.Enabled);
    EXPECT_FALSE(popup.TmrEnablePopDown.Enabled);
    EXPECT_TRUE(popup.tmrPopDown.Enabled);
    popup.Top = kTargetTop;
    popup.Hide();
    popup.tmrPopDown_Timer();
    EXPECT_TRUE(popup.Visible());
}

TEST_F(TrayPopupTest, ItsItemsAreEnabledAsTheMainWindowWasWhenItLoaded) {
    ShowMainWindow();
    const struct {
        bool result, options, mainShown;
        bool exitEnabled, showEnabled;
    } rows[] = {
        {false, false, false, false, true},
        {true, false, false, true, true},
        {false, true, true, true, false},
        {true, true, true, true, false},
    };
    for (const auto& row : rows) {
        form->lblResult.Enabled = row.result;
        form->lblOptions.Enabled = row.options;
        if (row.mainShown)
            form->Show();
        else
            form->Hide();
        ASSERT_TRUE(popup.Load());
        EXPECT_EQ(popup.mnuClose.Enabled, row.exitEnabled);
        EXPECT_EQ(popup.mnuMaxmimaize.Enabled, row.showEnabled);
        EXPECT_EQ(popup.lblName.Caption, kTestProduct);
        EXPECT_EQ(popup.Caption, kTestProduct);
        // Not looked at again while it stays.
        form->lblResult.Enabled = form->lblOptions.Enabled = !row.exitEnabled;
        popup.Load();
        EXPECT_EQ(popup.mnuClose.Enabled, row.exitEnabled);
        popup.Unload();
    }
}

TEST_F(TrayPopupTest, MinimizeSendsTheWindowToTheTray) {
    ShowMainWindow();
    SendMessageW(form->ControlHandle(form->Command5), BM_CLICK, 0, 0);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(form->WindowState(), ui::vbMinimized);
    EXPECT_TRUE(tray.bRunningInTray);
    EXPECT_EQ(messages, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
    EXPECT_EQ(std::wstring(last.szTip), std::wstring(kTestProduct.begin(), kTestProduct.end()));
    EXPECT_EQ(last.hWnd, form->Handle());
    EXPECT_TRUE(popup.Loaded());
    EXPECT_TRUE(popup.Visible());
    EXPECT_TRUE(popup.mnuMaxmimaize.Enabled);
    EXPECT_EQ(Stored("Settings", "Minimized"), "Yes");
}

TEST_F(TrayPopupTest, MinimizeKeepsTheWindowWhenTheTrayRefusesTheIcon) {
    ShowMainWindow();
    trayTakesIcons = false;
    form->mnuFileItem_Click(6);
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(IsIconic(form->Handle()));
    EXPECT_EQ(form->WindowState(), ui::vbNormal);
    EXPECT_FALSE(tray.bRunningInTray);
    EXPECT_EQ(messages, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
    EXPECT_FALSE(popup.Loaded());
    EXPECT_EQ(Stored("Settings", "Minimized"), "No");
}

TEST_F(TrayPopupTest, StartUpSendsTheWindowToTheTrayWhenItWasLeftThere) {
    Store("Settings", "Minimized", "Yes");
    ASSERT_TRUE(form->Load());
    EXPECT_TRUE(form->StartedInTray);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(tray.bRunningInTray);
    EXPECT_TRUE(popup.Visible());
}

TEST_F(TrayPopupTest, OnlyTheIconsOwnMessagesReachTheTrayHandler) {
    ShowMainWindow();
    HWND main = form->Handle();
    // A real mouse move at x = 513 pixels is no button-down on the icon.
    SendMessageW(main, WM_MOUSEMOVE, 0, MAKELPARAM(513, 40));
    SendMessageW(main, WM_MOUSEMOVE, 0, MAKELPARAM(516, 40));
    EXPECT_FALSE(popup.Loaded());

    // A double-click restores the window and loads a popup that was not there, hidden.
    panel.Command5_Click();
    popup.Unload();
    SendMessageW(main, kTrayCallbackMessage, 1, WM_RBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(popup.Loaded());
    EXPECT_FALSE(popup.Visible());
    EXPECT_EQ(Stored("Settings", "Minimized"), "No");

    panel.Command5_Click();
    popup.Unload();
    for (unsigned idle : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONDOWN}) {
        SendMessageW(main, kTrayCallbackMessage, 1, idle);
        EXPECT_FALSE(popup.Loaded()) << idle;
    }
    SendMessageW(main, kTrayCallbackMessage, 1, WM_RBUTTONDOWN);
    EXPECT_TRUE(popup.Loaded());
    EXPECT_TRUE(IsWindowVisible(popup.Handle()));
    EXPECT_FALSE(form->Visible());

    // A double-click hides the popup again; the icon stays.
    SendMessageW(main, kTrayCallbackMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(form->WindowState(), ui::vbNormal);
    EXPECT_FALSE(popup.Visible());
    EXPECT_FALSE(Sent(NIM_DELETE));

    // Minimised again, the icon is still there: shown, and the window goes.
    tray.NotifyIcon = [this](DWORD message, NOTIFYICONDATAW&) {
        messages.push_back(message);
        return message == NIM_MODIFY;
    };
    panel.Command5_Click();
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(tray.bRunningInTray);
}

// Explorer restarted: the shell tells every top-level window by its registered message.
TEST_F(TrayPopupTest, ANewTaskbarGetsTheMainWindowsIconBack) {
    ShowMainWindow();
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    const struct {
        const char* name;
        bool minimize, restore, takes;
        std::vector<DWORD> sent;
        bool shown;
    } rows[] = {
        {"never sent to the tray", false, false, true, {}, true},
        {"in the tray", true, false, true, {NIM_ADD}, false},
        {"restored from the tray, with its icon", true, true, true, {NIM_ADD}, true},
        {"a taskbar that takes no icon gives the window back",
         true,
         false,
         false,
         {NIM_ADD, NIM_MODIFY},
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        tray.RemoveIcon(*form);
        form->SetWindowState(ui::vbNormal);
        form->Show();
        trayTakesIcons = true;
        if (row.minimize)
            panel.Command5_Click();
        if (row.restore)
            panel.TrayIcon_MouseMessage(WM_LBUTTONDBLCLK);
        messages.clear();
        trayTakesIcons = row.takes;
        SendMessageW(form->Handle(), taskbarCreated, 0, 0);
        EXPECT_EQ(messages, row.sent);
        if (!row.sent.empty()) {
            EXPECT_EQ(last.hWnd, form->Handle());
            EXPECT_EQ(last.uID, 1u);
            EXPECT_EQ(last.uCallbackMessage, kTrayCallbackMessage);
            EXPECT_EQ(std::wstring(last.szTip),
                      std::wstring(kTestProduct.begin(), kTestProduct.end()));
        }
        EXPECT_EQ(form->Visible(), row.shown);
        EXPECT_EQ(IsWindowVisible(form->Handle()) != FALSE, row.shown);
        EXPECT_EQ(form->WindowState(), row.shown ? ui::vbNormal : ui::vbMinimized);
        EXPECT_EQ(tray.bRunningInTray, row.minimize);
    }
}

TEST_F(TrayPopupTest, ShowProgramRestoresTheWindowAndClosesTheMenu) {
    ShowMainWindow();
    panel.Command5_Click();
    SendMessageW(popup.Handle(), WM_COMMAND,
                 MAKEWPARAM(popup.CommandId(popup.mnuMaxmimaize), STN_CLICKED),
                 reinterpret_cast<LPARAM>(popup.ControlHandle(popup.mnuMaxmimaize)));
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(form->WindowState(), ui::vbNormal);
    EXPECT_TRUE(popup.tmrPopDown.Enabled);
    EXPECT_FALSE(popup.tmrMenuPopup.Enabled);
    EXPECT_EQ(Stored("Settings", "Minimized"), "No");
    popup.lblMenuClose_MouseMove();
    EXPECT_TRUE(popup.lblMenuClose.FontItalic);
}

TEST_F(TrayPopupTest, TheCloseBoxTakesTheIconAway) {
    ShowMainWindow();
    panel.Command5_Click();
    panel.TrayIcon_MouseMessage(WM_LBUTTONDBLCLK);
    messages.clear();
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->Loaded());
    EXPECT_EQ(messages, std::vector<DWORD>{NIM_DELETE});
    EXPECT_FALSE(tray.bRunningInTray);
}

TEST_F(TrayPopupTest, ExitProgramStopsAndClosesWithoutAQuestion) {
    ShowMainWindow();
    panel.Command5_Click();
    EXPECT_EQ(Stored("OptionAndSettings", "STATUS"), "RUNNING");
    HWND main = form->Handle();
    popup.mnuClose_Click();
    EXPECT_EQ(Stored("OptionAndSettings", "RESTART"), "False");
    EXPECT_EQ(Stored("OptionAndSettings", "STATUS"), "STOPPED");
    ASSERT_TRUE(Sent(NIM_DELETE));
    EXPECT_EQ(last.hWnd, main);
    EXPECT_FALSE(tray.bRunningInTray);
    EXPECT_FALSE(form->Loaded());
    EXPECT_TRUE(popup.tmrPopDown.Enabled);
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(TrayPopupTest, PictureOfThePopup) {
    CreateDirectoryW(L"C:\\screenshots", nullptr);
    // Where the test display really has room for it.
    popup.Screen = ReadPopupScreen;
    form->lblOptions.Enabled = false; // "Exit Program" stays enabled through lblResult
    ASSERT_TRUE(popup.Load());
    TickUntilOff(popup.tmrMenuPopup, &frmMenuPopUp::tmrMenuPopup_Timer, 1000);
    popup.TmrEnablePopDown.Enabled = false;
    popup.Refresh();
    ui::DoEvents();
    EXPECT_TRUE(IsWindowVisible(popup.Handle()));
    RECT rect{};
    GetWindowRect(popup.Handle(), &rect);
    EXPECT_LE(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_LE(rect.right, GetSystemMetrics(SM_CXSCREEN) + 1);
    EXPECT_TRUE(ui::SaveWindowScreenshot(popup.Handle(), "C:\\screenshots\\tray-popup.bmp"));
}
