// The busy state shared by the long operations, and a scan whose step fails.
#include "BusyState.h"
#include "MainWindowFixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

TEST(BusyState, NestsAndRunsWhatWaitedOnceTheOutermostOperationEnds) {
    std::vector<std::string> ran;
    int owner = 0;
    {
        BusyState::Operation outer;
        {
            BusyState::Operation inner;
            BusyState::WhenIdle(&owner, [&] { ran.push_back("close"); });
            BusyState::WhenIdle(&owner, [&] { ran.push_back("close again"); });
        }
        EXPECT_TRUE(BusyState::IsBusy());
        EXPECT_TRUE(ran.empty());
    }
    EXPECT_FALSE(BusyState::IsBusy());
    EXPECT_EQ(ran, std::vector<std::string>{"close"});
    // Idle: at once.
    BusyState::WhenIdle(&owner, [&] { ran.push_back("now"); });
    EXPECT_EQ(ran.back(), "now");
    // An operation that ends by an exception releases the state as well.
    try {
        BusyState::Operation failing;
        throw std::runtime_error("step failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(BusyState::IsBusy());
}

TEST(BusyState, AStopRequestAsksEachRunningOperationOnceUntilTheOutermostEnds) {
    std::vector<std::string> asked;
    BusyState::RequestStop(); // idle: nothing to stop, and nothing remembered
    EXPECT_FALSE(BusyState::StopRequested());
    {
        BusyState::Operation scan([&] { asked.push_back("scan"); });
        BusyState::Operation silent; // polls StopRequested() instead
        {
            BusyState::Operation failing([&] {
                asked.push_back("failing");
                throw std::runtime_error("stop failed");
            });
            // A stop that ends its own operation at once.
            std::optional<BusyState::Operation> alert;
            alert.emplace([&] {
                asked.push_back("alert");
                alert.reset();
            });
            BusyState::RequestStop();
            BusyState::RequestStop();
            EXPECT_FALSE(alert.has_value());
        }
        EXPECT_TRUE(BusyState::StopRequested());
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"scan", "failing", "alert"}));
    EXPECT_FALSE(BusyState::StopRequested());
    EXPECT_FALSE(BusyState::IsBusy());
}

using ScanFailure = MainWindowFixture;

TEST_F(ScanFailure, AFailingStepGivesTheWindowAndTheShieldsBack) {
    Store("OptionAndSettings", "optMemorySheildOn", "True");
    Store("OptionAndSettings", "optIEHomePageSheildOn", "False");
    RecordSteps();
    form->Steps.ScanRegistry = [] { throw std::runtime_error("registry"); };
    form->optScan[0].SetValue(true);
    form->cmdScanNow_Click();
    EXPECT_TRUE(form->cmdScanNow.Enabled);
    EXPECT_FALSE(form->cmdStop.Enabled);
    EXPECT_TRUE(form->tmrMemoryInspected.Enabled);
    EXPECT_FALSE(form->tmrCheckHomePage.Enabled);
    EXPECT_FALSE(BusyState::IsBusy());
    // A later scan runs again.
    calls.clear();
    form->Steps.ScanRegistry = [this] { calls.push_back("ScanRegistry"); };
    form->cmdScanNow_Click();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "ScanRegistry"), calls.end());
}

TEST_F(ScanFailure, StartAndTheQuickScansDoNothingWhileAnOperationRuns) {
    RecordSteps();
    BusyState::Operation removal;
    form->cmdStatus_Click();
    form->cmdScanNow_Click();
    form->Command3_Click();
    form->cmdMainScan1_Click();
    form->lblStart_Click();
    form->mnuFileItem_Click(0);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(form->frmStatus.Visible);
    bool cancel = false;
    form->Form_QueryUnload(cancel, ui::vbFormControlMenu);
    EXPECT_TRUE(cancel);
}
