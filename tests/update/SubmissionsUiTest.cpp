// The file-name submission in the real main window under the test display: Enter typed in the
// name box submits at once, although the window's dialog manager would take Enter for itself.
// The page's picture goes to the sandbox's C:\screenshots.
#include "LiveUpdateFixture.h"

#include "AnsiText.h"
#include "DoEvents.h"
#include "MachineSettingsStore.h"
#include "Screenshot.h"
#include "Submissions.h"
#include "modLockdown.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

std::string NativeText(HWND control) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    return WideToUtf8(text);
}

class SubmissionsUi : public LiveUpdateFixture {
  protected:
    SubmissionsUi() {
        AsOnALaterStart();
        submissions.Connect();
        CreateDirectoryW(L"C:\\screenshots", nullptr);
    }
    ~SubmissionsUi() override {
        if (form->Loaded())
            form->Unload();
        // The main window's unload ends the program's loop; the tests go on.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    Submissions submissions{*form};
};

TEST_F(SubmissionsUi, EnterInTheNameBoxSubmitsFromTheAutoUpdatePage) {
    Serve("/asp/getData.asp", Text("Added"));
    ASSERT_TRUE(form->Load());
    form->Show();
    form->cmdSettings_Click();
    form->TabStrip1.SetSelectedIndex(3);
    form->Refresh();
    HWND box = form->ControlHandle(form->txtFilename);
    ASSERT_TRUE(IsWindowVisible(box));
    SetWindowTextW(box, L"abc.exe");
    ASSERT_EQ(form->txtFilename.Text(), "abc.exe");
    SetFocus(box);

    MSG enter = {box, WM_KEYDOWN, VK_RETURN, 1, 0, {}};
    ui::DispatchUiMessage(enter);
    const DWORD start = GetTickCount();
    while (server.Requests().empty() && GetTickCount() - start < 5000) {
        ui::DoEvents();
        Sleep(5);
    }
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].Query.at("data"), modLockdown::ScrambleString("abc.exe") + "|");
    form->Refresh();
    EXPECT_EQ(NativeText(form->ControlHandle(form->Label26)),
              "Results: abc.exe " + Message("MSG_RESULTS_THANK"));
    EXPECT_EQ(NativeText(box), "");
    ui::DoEvents();
    EXPECT_TRUE(ui::SaveWindowScreenshot(form->Handle(), "C:\\screenshots\\submission.bmp"));
}

} // namespace
