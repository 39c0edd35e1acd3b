// Repair Now in a real main window under the test display: the Delete Failed window comes up
// with the file that survived. Pictures go to the sandbox's C:\screenshots.
#include "RemovalFixture.h"

#include "AnsiText.h"
#include "BusyState.h"
#include "DoEvents.h"
#include "MachineSettingsStore.h"
#include "Screenshot.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>

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

TEST_F(RemovalUi, AToolTicksTheResultsListAsTheUserDoes) {
    ASSERT_TRUE(form->Load());
    form->Show();
    AddFile(machine.WriteFile("first.exe", "x"), "First Threat");
    AddFile(machine.WriteFile("second.exe", "x"), "Second Threat");
    form->cmdResults_Click();
    form->Refresh();
    const ui::ListView& results = form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    HWND list = form->ControlHandle(results);
    ASSERT_NE(list, nullptr);
    // The check-box state as assistive and automation tools set and read it.
    auto tick = [&](int row, bool checked) {
        LVITEMW item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        return SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    };
    auto shownTicks = [&] {
        std::string ticks;
        for (int row = 0; row < 2; ++row)
            ticks += SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) ==
                             INDEXTOSTATEIMAGEMASK(2)
                         ? '1'
                         : '0';
        return ticks;
    };
    const struct {
        int row;
        bool checked, busy;
        const char* ticks; // the results list's, the removal list's and the native list's
    } steps[] = {
        {1, true, false, "01"}, {0, true, false, "11"},  {1, false, false, "10"},
        {1, true, true, "10"}, // during a scan or a removal the tick is taken back
        {0, false, true, "10"}, {0, false, false, "00"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::to_string(step.row) + (step.checked ? " ticked" : " unticked") +
                     (step.busy ? " while busy" : ""));
        {
            std::optional<BusyState::Operation> operation;
            if (step.busy)
                operation.emplace();
            EXPECT_TRUE(tick(step.row, step.checked));
        }
        EXPECT_EQ(Ticks(results), step.ticks);
        EXPECT_EQ(Ticks(form->lists.lvwFilesToBeDeleted), step.ticks);
        EXPECT_EQ(shownTicks(), step.ticks);
    }
}
