// The Schedule page in a real window under the test display: the pickers show 24-hour time
// and the day first, hold no value when the schedule needs none, and the user's untick of a
// picker reaches the page.
#include "MainWindowFixture.h"

#include "AnsiText.h"
#include "DateText.h"
#include "DoEvents.h"
#include "MachineSettingsStore.h"
#include "SchedulePanel.h"
#include "Screenshot.h"
#include "TestMoments.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

namespace {

std::string NativeText(HWND control) {
    wchar_t text[128] = {};
    GetWindowTextW(control, text, 128);
    return WideToUtf8(text);
}

DWORD NativeTime(HWND picker, SYSTEMTIME& time) {
    return static_cast<DWORD>(
        SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)));
}

} // namespace

class ScheduleUi : public MainWindowFixture {
  protected:
    ScheduleUi() {
        AsOnALaterStart();
        scheduler.Connect();
        CreateDirectoryW(L"C:\\screenshots", nullptr);
    }
    ~ScheduleUi() override {
        if (form->Loaded())
            form->Unload();
        // The main window's unload ends the program's loop; the tests go on.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    HWND Native(const ui::Control& control) const { return form->ControlHandle(control); }

    SchedulePanel scheduler{*form};
};

TEST_F(ScheduleUi, PickersShowTheStoredScheduleIn24HourTimeAndCanHoldNoValue) {
    Store("OptionAndSettings", "chkAutomaticScanYesOrNo", "1");
    Store("OptionAndSettings", "Day", "8");
    Store("OptionAndSettings", "Time", DateText::ToText(Moment(9, 14, 5, 6)));
    Store("OptionAndSettings", "Date", DateText::ToText(Moment(9, 0, 0, 0)));
    ASSERT_TRUE(form->Load());
    form->Show();
    form->mnuSettingsItem_Click(2);
    form->Refresh();

    HWND date = Native(form->dtpScheduleDate), time = Native(form->dtpScheduleTime);
    ASSERT_TRUE(IsWindowVisible(time));
    EXPECT_TRUE(GetWindowLongW(time, GWL_STYLE) & DTS_SHOWNONE);
    EXPECT_EQ(NativeText(time), "14:05:06");
    EXPECT_EQ(NativeText(date), "09/12/2024");
    SYSTEMTIME shown{};
    EXPECT_EQ(NativeTime(time, shown), static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(shown.wHour, 14);
    ui::DoEvents();
    EXPECT_TRUE(ui::SaveWindowScreenshot(form->Handle(), "C:\\screenshots\\schedule-pickers.bmp"));

    // A weekly schedule needs no date: the native picker holds none either.
    form->cmbDays.SetListIndex(0);
    form->Refresh();
    EXPECT_FALSE(form->dtpScheduleDate.HasValue());
    EXPECT_EQ(NativeTime(date, shown), static_cast<DWORD>(GDT_NONE));
    EXPECT_FALSE(IsWindowEnabled(date));

    // The user takes the time away with the picker's own tick box.
    form->CmdProceed.Enabled = false;
    form->Refresh();
    HWND tick = FindWindowExW(time, nullptr, L"Button", nullptr);
    if (tick) {
        SendMessageW(tick, BM_CLICK, 0, 0);
    } else {
        // Pickers that draw the tick box themselves take the click at their left edge.
        RECT area;
        GetClientRect(time, &area);
        const LPARAM at = MAKELPARAM(6, (area.bottom - area.top) / 2);
        SendMessageW(time, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(time, WM_LBUTTONUP, 0, at);
    }
    form->Refresh();
    EXPECT_FALSE(form->dtpScheduleTime.HasValue());
    EXPECT_EQ(NativeTime(time, shown), static_cast<DWORD>(GDT_NONE));
    EXPECT_TRUE(form->CmdProceed.Enabled);

    // Code gives it a value again: the native picker shows it, still without AM or PM.
    form->dtpScheduleTime.SetValue(Moment(9, 23, 59, 0));
    form->Refresh();
    EXPECT_EQ(NativeTime(time, shown), static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(NativeText(time), "23:59:00");
}
