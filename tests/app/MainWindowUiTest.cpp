// The main window as the user sees it: a real window under the test display, clicked through
// its pages by messages. Each page's picture is kept in the sandbox's C:\screenshots.
#include "MainWindowFixture.h"

#include "AnsiText.h"
#include "DoEvents.h"
#include "MachineSettingsStore.h"
#include "Screenshot.h"
#include "clsLanguages.h"
#include "modLorvane.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

namespace {

std::string NativeText(HWND control) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    return WideToUtf8(text);
}

} // namespace

class MainWindowUi : public MainWindowFixture {
  protected:
    MainWindowUi() {
        AsOnALaterStart();
        CreateDirectoryW(L"C:\\screenshots", nullptr);
    }
    ~MainWindowUi() override {
        if (form->Loaded())
            form->Unload();
        // The main window's unload ends the program's loop; the tests go on.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    HWND Native(const ui::Control& control) const { return form->ControlHandle(control); }
    void Click(const ui::Control& button) {
        SendMessageW(Native(button), BM_CLICK, 0, 0);
        form->Refresh();
    }
    void Picture(const char* page) {
        ui::DoEvents();
        EXPECT_TRUE(ui::SaveWindowScreenshot(form->Handle(),
                                             std::string("C:\\screenshots\\") + page + ".bmp"));
    }
};

TEST_F(MainWindowUi, TheFourPagesShowTheModelsState) {
    ASSERT_TRUE(form->Load());
    form->Show();
    form->Refresh();
    EXPECT_EQ(NativeText(form->Handle()), Lang.getMessages("MSG_CAPTION"));
    EXPECT_TRUE(IsWindowVisible(Native(form->frmStatus)));
    EXPECT_EQ(NativeText(Native(form->lblDefVersion)), "3/16/2006 12:00:00 AM PST");
    EXPECT_EQ(NativeText(Native(form->lblLastScan)), "Never");
    EXPECT_FALSE(IsWindowVisible(Native(form->lblDefRemoved)));
    Picture("status");

    Click(form->cmdScan);
    EXPECT_FALSE(IsWindowVisible(Native(form->frmStatus)));
    EXPECT_TRUE(IsWindowVisible(Native(form->cmdScanNow)));
    EXPECT_FALSE(IsWindowEnabled(Native(form->cmdStop)));
    EXPECT_EQ(SendMessageW(Native(form->optScan[0]), BM_GETCHECK, 0, 0), BST_CHECKED);
    Picture("scan");

    Click(form->cmdResults);
    EXPECT_TRUE(IsWindowVisible(Native(form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved)));
    EXPECT_FALSE(IsWindowVisible(Native(form->cmdScanNow)));
    Picture("results");

    Click(form->cmdSettings);
    HWND sweep = Native(form->chkSweepMemory);
    EXPECT_TRUE(IsWindowVisible(sweep));
    EXPECT_EQ(SendMessageW(sweep, BM_GETCHECK, 0, 0), BST_CHECKED);
    // A user's click on an option saves it at once.
    Click(form->chkSweepMemory);
    EXPECT_EQ(form->chkSweepMemory.Value(), 0);
    EXPECT_EQ(Stored("OptionAndSettings", "chkSweepMemory"), "0");
    Picture("options");

    // The tab strip switches the option pages.
    NMHDR change = {Native(form->TabStrip1), form->CommandId(form->TabStrip1),
                    static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(Native(form->TabStrip1), TCM_SETCURSEL, 2, 0);
    SendMessageW(form->Handle(), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    form->Refresh();
    EXPECT_EQ(form->TabStrip1.SelectedIndex(), 2);
    EXPECT_TRUE(IsWindowVisible(Native(form->cmbDays)));
    EXPECT_FALSE(IsWindowVisible(sweep));
    Picture("schedule");
}
