// Repair Now in a real main window under the test display: the Delete Failed window comes up
// with the file that survived. Pictures go to the sandbox's C:\screenshots.
#include "RemovalFixture.h"

#include "AnsiText.h"
#include "DoEvents.h"
#include "MachineSettingsStore.h"
#include "Screenshot.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

class RemovalUi : public RemovalFixture {
  protected:
    RemovalUi() {
        AsOnALaterStart();
        CreateDirectoryW(L"C:\\screenshots", nullptr);
    }
    ~RemovalUi() override {
        if (form->Loaded())
            form->Unload();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    void Picture(ui::Form& window, const char* name) {
        ui::DoEvents();
        EXPECT_TRUE(ui::SaveWindowScreenshot(window.Handle(),
                                             std::string("C:\\screenshots\\") + name + ".bmp"));
    }
};

TEST_F(RemovalUi, ALockedFileComesUpInDeleteFailed) {
    ASSERT_TRUE(form->Load());
    form->Show();
    EXPECT_TRUE(failed.Loaded());
    EXPECT_FALSE(failed.Visible());
    const std::string locked = machine.WriteFile("locked.exe", "locked");
    AddFile(locked, "Locked Threat");
    AddFile(machine.WriteFile("removed.txt", "x"), "Removed Threat");
    AddFile(machine.WriteFile("kept.txt", "x"), "Kept Threat");
    form->cmdResults_Click();
    form->Refresh();
    HWND list = form->ControlHandle(form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
    Tick(0);
    Tick(1);
    form->Refresh();
    Picture(*form, "results-ticked");

    HANDLE hold = CreateFileW(Utf8ToWide(locked).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    {
        ScriptedMessageBoxes boxes;
        boxes.Expect(IDYES);
        SendMessageW(form->ControlHandle(form->Command4), BM_CLICK, 0, 0);
    }
    CloseHandle(hold);
    form->Refresh();
    failed.Refresh();
    EXPECT_TRUE(IsWindowVisible(failed.Handle()));
    HWND problems = failed.ControlHandle(failed.lstProblem);
    EXPECT_EQ(SendMessageW(problems, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
    Picture(failed, "delete-failed");
    Picture(*form, "results-after-removal");
    SendMessageW(failed.ControlHandle(failed.Command1), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(failed.Handle()));
}
