// Closing the main window in a real window under the test display: a close during a scan or
// another long operation asks it to stop and is carried out once it has unwound, the end of the
// session does not wait, the secondary windows go in their order, and a website window on the
// screen keeps the program going until it closes.
#include "ShownMainWindow.h"

#include "BusyState.h"
#include "clsLanguages.h"
#include "modGlobals.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A window of a later part of the program, known to the main window by its name only.
class OtherWindow : public ui::Form {
  public:
    OtherWindow(std::string name, std::vector<std::string>& unloaded)
        : ui::Form(std::move(name)), unloaded_(unloaded) {
        BorderStyle = ui::FormBorder::None;
        ShowInTaskbar = false;
        Width = Height = 600;
    }

  protected:
    void Form_Unload(bool&) override { unloaded_.push_back(Name); }

  private:
    std::vector<std::string>& unloaded_;
};

} // namespace

class MainWindowClose : public ShownMainWindow {
  protected:
    void SetUp() override {
        ShownMainWindow::SetUp();
        RecordSteps();
        form->Links.RemoveTrayIcon = [this] { calls.push_back("RemoveTrayIcon"); };
        // Start-up wrote "False"; a "True" shows whether the close writes it again.
        Store("OptionAndSettings", "RESTART", "True");
        form->cmdScan_Click();
        form->optScan[0].SetValue(true);
        form->Refresh();
    }

    // Start as the user presses it, so the scan runs inside the window's own handler.
    void PressStart() { SendMessageW(form->ControlHandle(form->cmdScanNow), BM_CLICK, 0, 0); }
    bool Called(const std::string& name) const {
        return std::find(calls.begin(), calls.end(), name) != calls.end();
    }
};

TEST_F(MainWindowClose, ACloseDuringAScanStopsItAndIsCarriedOutOnceItHasUnwound) {
    bool stopAsked = false, loadedMeanwhile = false;
    form->Steps.ScanRegistry = [&] {
        SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
        stopAsked = modGlobals::StopScanRequested;
        loadedMeanwhile = form->Loaded();
    };
    PressStart();
    EXPECT_TRUE(stopAsked);
    EXPECT_TRUE(loadedMeanwhile);
    // The scan ended as Stop ends it: cancelled, not recorded as the last scan.
    EXPECT_EQ(form->display.lblStatus.Caption, Lang.getMessages("MSG_SCAN_CANCELLED"));
    EXPECT_EQ(Stored("Settings", "lblLastScan"), "<none>");
    EXPECT_FALSE(modGlobals::StopScanRequested);
    // Then the close, with the run-state values.
    EXPECT_FALSE(form->Loaded());
    EXPECT_EQ(Stored("OptionAndSettings", "RESTART"), "False");
    EXPECT_EQ(Stored("OptionAndSettings", "STATUS"), "STOPPED");
    EXPECT_TRUE(Called("RemoveTrayIcon"));
    EXPECT_TRUE(TakeQuitRequest());
}

TEST_F(MainWindowClose, EveryRoadAsksARunningOperationToStopOnceAndClosesWhenItEnds) {
    int stops = 0;
    {
        BusyState::Operation update([&] { ++stops; });
        form->mnuFileItem_Click(8);
        SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
        form->Unload();
        EXPECT_EQ(stops, 1);
        EXPECT_TRUE(BusyState::StopRequested());
        // A pass of the process shield would end too.
        EXPECT_TRUE(modGlobals::StopScanRequested);
        EXPECT_TRUE(form->Loaded());
        EXPECT_EQ(Stored("OptionAndSettings", "RESTART"), "True");
        EXPECT_FALSE(TakeQuitRequest());
    }
    EXPECT_FALSE(BusyState::StopRequested());
    EXPECT_FALSE(form->Loaded());
    EXPECT_EQ(Stored("OptionAndSettings", "RESTART"), "False");
    EXPECT_TRUE(TakeQuitRequest());
}

TEST_F(MainWindowClose, TheHiddenXLabelWaitsForARunningOperationToo) {
    int stops = 0;
    {
        BusyState::Operation removal([&] { ++stops; });
        form->lblHide_Click();
        EXPECT_EQ(stops, 1);
        EXPECT_TRUE(form->Visible());
    }
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(Stored("Settings", "Max"), "0");
    EXPECT_EQ(Stored("OptionAndSettings", "RESTART"), "True");
    EXPECT_TRUE(TakeQuitRequest());
    form->lblHide_MouseMove();
    EXPECT_TRUE(form->lblHide.FontItalic);
}

TEST_F(MainWindowClose, TheEndOfTheSessionDoesNotWaitForARunningScan) {
    LRESULT allowed = FALSE;
    std::string restartAfterQuery, restartAfterCancelledEnd, restart, status, width;
    bool stopAsked = false, loadedMeanwhile = false;
    form->Steps.ScanRegistry = [&] {
        allowed = SendMessageW(form->Handle(), WM_QUERYENDSESSION, 0, 0);
        restartAfterQuery = Stored("OptionAndSettings", "RESTART");
        // Another program held the session back: nothing happens.
        SendMessageW(form->Handle(), WM_ENDSESSION, FALSE, 0);
        restartAfterCancelledEnd = Stored("OptionAndSettings", "RESTART");
        SendMessageW(form->Handle(), WM_ENDSESSION, TRUE, 0);
        restart = Stored("OptionAndSettings", "RESTART");
        status = Stored("OptionAndSettings", "STATUS");
        width = Stored("Settings", "FoundCol21");
        stopAsked = modGlobals::StopScanRequested;
        loadedMeanwhile = form->Loaded();
    };
    PressStart();
    EXPECT_EQ(allowed, TRUE);
    EXPECT_EQ(restartAfterQuery, "True");
    EXPECT_EQ(restartAfterCancelledEnd, "True");
    EXPECT_EQ(restart, "False");
    EXPECT_EQ(status, "STOPPED");
    EXPECT_EQ(width,
              std::to_string(
                  form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.ColumnHeaders[0].Width));
    EXPECT_TRUE(stopAsked);
    EXPECT_TRUE(loadedMeanwhile);
    EXPECT_TRUE(Called("RemoveTrayIcon"));
    EXPECT_TRUE(TakeQuitRequest());
}

TEST_F(MainWindowClose, AtTheEndOfAnIdleSessionTheWindowCloses) {
    SendMessageW(form->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(form->Loaded());
    EXPECT_EQ(Stored("OptionAndSettings", "STATUS"), "STOPPED");
    EXPECT_TRUE(TakeQuitRequest());
}

TEST_F(MainWindowClose, TheSecondaryWindowsGoInTheirOrder) {
    const std::vector<std::string> order = {
        "Form8",        "frmAbout",  "frmDownload",         "frmHomePageChangedAlert",
        "frmMenuPopUp", "frmReport", "frmSignatureUpdated", "frmSpywareFoundAlert",
        "frmHidden",    "frmDelete"};
    std::vector<std::string> unloaded;
    std::vector<std::unique_ptr<OtherWindow>> windows;
    // Loaded in another order, and one the close leaves alone.
    for (auto name = order.rbegin(); name != order.rend(); ++name)
        windows.push_back(std::make_unique<OtherWindow>(*name, unloaded));
    windows.push_back(std::make_unique<OtherWindow>("frmLanguages", unloaded));
    for (auto& window : windows)
        ASSERT_TRUE(window->Load());
    windows[3]->Show();

    form->mnuFileItem_Click(8);
    EXPECT_EQ(unloaded, order);
    EXPECT_TRUE(windows.back()->Loaded());
    EXPECT_TRUE(TakeQuitRequest());
    windows.back()->Unload();
}

TEST_F(MainWindowClose, AWebsiteWindowOnTheScreenKeepsTheProgramGoingUntilItCloses) {
    std::vector<std::string> unloaded;
    OtherWindow website("frmWebsite", unloaded);
    ASSERT_TRUE(website.Load());
    // Loaded but not showing, it holds nothing up.
    form->mnuFileItem_Click(8);
    EXPECT_TRUE(TakeQuitRequest());

    ASSERT_TRUE(form->Load());
    form->Show();
    website.Show();
    form->mnuFileItem_Click(8);
    EXPECT_FALSE(form->Loaded());
    EXPECT_EQ(Stored("Settings", "Max"), "0");
    EXPECT_FALSE(TakeQuitRequest());
    EXPECT_TRUE(website.Loaded());
    website.Unload();
    EXPECT_TRUE(TakeQuitRequest());
}
