#include "MainWindowFixture.h"

#include "CommonDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "modGlobals.h"

#include <windows.h>

#include <algorithm>

#include <gtest/gtest.h>

using Calls = std::vector<std::string>;

class ScanDriverTest : public MainWindowFixture {
  protected:
    ScanDriverTest() {
        RecordSteps();
        form->chkMakeLog.SetValue(1); // as the options load it from a fresh store
    }
    ~ScanDriverTest() override {
        ui::SetOpenFileDialogHandler(nullptr);
        ui::SetBrowseForFolderHandler(nullptr);
    }

    void AddDrives(std::initializer_list<const char*> letters) {
        for (const char* letter : letters)
            lists().lvwHardDrives.Add(letter);
    }
    ScanResultLists& lists() { return form->lists; }
    ScanProgressDisplay& display() { return form->display; }
};

TEST_F(ScanDriverTest, SmartScanRunsEveryPhaseInOrderWithTheDefaultOptions) {
    form->optScan[0].SetValue(true);
    lists().lvwSpywareFound.Add("old hit");
    lists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Add("old row");
    modGlobals::ItemsFound = 7;
    form->cmdScanNow_Click();

    EXPECT_EQ(calls,
              (Calls{"ClearDeleteFailedList", "LoadSafetyList", "CheckDefinitionFiles",
                     "ScanCookies", "ScanRunningProcesses", "ScanRegistry", "ScanFileDefinitions",
                     "ScanDirectoryDefinitions", "AssignThreatDescriptions", "MakeReport"}));
    // The previous results are gone and the counters restarted.
    EXPECT_EQ(lists().lvwSpywareFound.Count(), 0u);
    EXPECT_EQ(lists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 0u);
    EXPECT_EQ(display().lblSoftwareFound.Caption, "0");
    EXPECT_EQ(display().lblStatus.Caption, "MSG_SCAN_COMPLETED");
    EXPECT_EQ(display().pb1.Value(), 100);
    EXPECT_EQ(display().pb2.Value(), 100);
    EXPECT_NE(Stored("Settings", "lblLastScan"), "<none>");
    EXPECT_EQ(Stored("Settings", "lblLastScan"), form->ScanEndTime);
    // Idle again: Start on, Pause and Stop off, the results button back.
    EXPECT_TRUE(form->cmdScanNow.Enabled);
    EXPECT_TRUE(form->cmdScan.Enabled);
    EXPECT_FALSE(form->cmdPause.Enabled);
    EXPECT_FALSE(form->cmdStop.Enabled);
    EXPECT_TRUE(form->cmdRemove.Visible);
    EXPECT_TRUE(form->tmrTimeOut.Enabled);
    EXPECT_FALSE(form->tmrScheduler.Enabled);
    EXPECT_TRUE(form->tmrMemoryInspected.Enabled);
    EXPECT_TRUE(form->tmrCheckHomePage.Enabled);
}

TEST_F(ScanDriverTest, SmartScanSkipsThePhasesTheOptionsSwitchOff) {
    Store("OptionAndSettings", "chkScanCookies", "2"); // only the number 1 runs cookies
    Store("OptionAndSettings", "chkSweepMemory", "0");
    Store("OptionAndSettings", "chkScanRegistry", "False");
    std::string memoryText, registryText;
    form->Steps.ScanFileDefinitions = [&] {
        memoryText = display().lblMemoryInspected.Caption;
        registryText = display().lblRegistryInspected.Caption;
        calls.push_back("ScanFileDefinitions");
    };
    form->optScan[0].SetValue(true);
    form->cmdScanNow_Click();

    EXPECT_EQ(calls, (Calls{"ClearDeleteFailedList", "LoadSafetyList", "CheckDefinitionFiles",
                            "ScanFileDefinitions", "ScanDirectoryDefinitions",
                            "AssignThreatDescriptions", "MakeReport"}));
    EXPECT_EQ(memoryText, "MSG_NOTSELECED");
    EXPECT_EQ(registryText, "MSG_NOTSELECED");
    // The completion's counter refresh writes the counts over the texts.
    EXPECT_EQ(display().lblMemoryInspected.Caption, "0");
}

// The scan goes by an option the way its box shows it: a stored number, or, for a text that is
// no number (which the options' load leaves the box alone for), the box itself.
TEST_F(ScanDriverTest, SmartScanReadsEachOptionAsItsBoxShowsIt) {
    const struct {
        const char* stored;
        int box;
        bool processes, registry, cookies;
    } rows[] = {
        {"1", 0, true, true, true},      {"0", 1, false, false, false},
        {"2", 0, true, true, false},     {"True", 0, false, false, false},
        {"True", 1, true, true, true},   {"False", 1, true, true, true},
        {"nan", 0, false, false, false}, {"inf", 1, true, true, true},
    };
    for (const auto& row : rows) {
        for (const char* key : {"chkSweepMemory", "chkScanRegistry", "chkScanCookies"})
            Store("OptionAndSettings", key, row.stored);
        for (ui::CheckBox* box :
             {&form->chkSweepMemory, &form->chkScanRegistry, &form->chkScanCookies}) {
            box->Click = nullptr;
            box->SetValue(row.box);
        }
        calls.clear();
        form->optScan[0].SetValue(true);
        form->cmdScanNow_Click();
        auto ran = [this](const char* step) {
            return std::find(calls.begin(), calls.end(), step) != calls.end();
        };
        const std::string name =
            std::string(row.stored) + " with the box at " + std::to_string(row.box);
        EXPECT_EQ(ran("ScanRunningProcesses"), row.processes) << name;
        EXPECT_EQ(ran("ScanRegistry"), row.registry) << name;
        EXPECT_EQ(ran("ScanCookies"), row.cookies) << name;
    }
}

TEST_F(ScanDriverTest, PhaseTextsAndPrefixFollowTheRunningPhase) {
    std::vector<std::string> prefixes;
    int refreshCountAtStart = -1;
    form->Steps.ScanCookies = [&](int32_t& count) {
        refreshCountAtStart = ProgressRefreshCount;
        count = 3;
        prefixes.push_back(modGlobals::ScanPhasePrefix);
    };
    form->Steps.ScanRunningProcesses = [&] { prefixes.push_back(modGlobals::ScanPhasePrefix); };
    form->Steps.ScanRegistry = [&] { prefixes.push_back(modGlobals::ScanPhasePrefix); };
    form->Steps.ScanFileDefinitions = [&] { prefixes.push_back(modGlobals::ScanPhasePrefix); };
    modGlobals::DefinitionCount = 200;
    modGlobals::CookieDefinitionCount = 50;
    ProgressRefreshCount = 17; // progress calls between scans
    form->optScan[0].SetValue(true);
    form->cmdScanNow_Click();
    EXPECT_EQ(prefixes,
              (Calls{"MSG_COOKIES: ", "MSG_MEMORY: ", "MSG_REGISTRY: ", "MSG_SPYWARE: "}));
    EXPECT_EQ(form->CookieFileCount, 3);
    // The throttle restarts with the scan: its 25th call is the first shown.
    EXPECT_EQ(refreshCountAtStart, 0);
}

TEST_F(ScanDriverTest, StopDuringTheSecondDriveEndsTheFullScanWithoutRemoving) {
    AddDrives({"A", "B", "C"});
    lists().lvwHardDrives.Item(1).Checked = false; // unticked drives are walked too
    form->Steps.ScanDrive = [&](const std::string& root) {
        calls.push_back("ScanDrive " + root);
        if (root == "B:\\")
            modGlobals::StopScanRequested = true;
    };
    modGlobals::AutoRemoveAfterScan = true;
    form->optScan[1].SetValue(true);
    form->cmdScanNow_Click();

    EXPECT_EQ(calls, (Calls{"ClearDeleteFailedList", "LoadSafetyList", "LoadDefinitions",
                            "CheckDefinitionFiles", "ScanDrive A:\\", "ScanDrive B:\\",
                            "AssignThreatDescriptions", "MakeReport"}));
    EXPECT_EQ(display().lblStatus.Caption, "MSG_SCAN_CANCELLED");
    EXPECT_EQ(display().lblPercentageCompleted.Caption, "0% MSG_COMPLETED");
    EXPECT_FALSE(form->frmResults.Visible);
    // A cancelled scan leaves no stop request behind for the shields.
    EXPECT_FALSE(modGlobals::StopScanRequested);
}

TEST_F(ScanDriverTest, FullScanWalksEveryDriveThenProcessesAndRegistry) {
    AddDrives({"C", "D"});
    form->optScan[1].SetValue(true);
    form->cmdScanNow_Click();
    EXPECT_EQ(calls, (Calls{"ClearDeleteFailedList", "LoadSafetyList", "LoadDefinitions",
                            "CheckDefinitionFiles", "ScanDrive C:\\", "ScanDrive D:\\",
                            "ScanRunningProcesses", "ScanRegistry", "AssignThreatDescriptions",
                            "MakeReport"}));
    EXPECT_EQ(display().lblStatus.Caption, "MSG_SCAN_COMPLETED");
}

TEST_F(ScanDriverTest, AutomaticRemovalRunsBeforeTheTimersDescriptionsAndReport) {
    bool timeOutDuringRemoval = true;
    form->Links.RunRemoval = [&] {
        calls.push_back("RunRemoval");
        timeOutDuringRemoval = form->tmrTimeOut.Enabled;
    };
    modGlobals::AutoRemoveAfterScan = true;
    form->chkSendData.SetValue(1);
    form->optScan[0].SetValue(true);
    form->cmdScanNow_Click();
    // The empty results page sends the process names, then every row is ticked and removed.
    EXPECT_EQ(Calls(calls.end() - 5, calls.end()),
              (Calls{"SendProcessData", "SelectAllResults", "RunRemoval",
                     "AssignThreatDescriptions", "MakeReport"}));
    EXPECT_FALSE(timeOutDuringRemoval);
    EXPECT_TRUE(form->frmResults.Visible);
}

TEST_F(ScanDriverTest, NoReportWithoutTheLogOption) {
    form->chkMakeLog.SetValue(0);
    form->optScan[0].SetValue(true);
    form->cmdScanNow_Click();
    EXPECT_EQ(calls.back(), "AssignThreatDescriptions");
}

TEST_F(ScanDriverTest, ACancelledFileDialogCancelsTheScanWithEmptyLists) {
    ui::SetOpenFileDialogHandler([] { return std::string(); });
    form->optScan[2].SetValue(true);
    form->cmdScanNow_Click();
    EXPECT_EQ(calls,
              (Calls{"ClearDeleteFailedList", "LoadSafetyList", "AssignThreatDescriptions"}));
    EXPECT_EQ(display().lblStatus.Caption, "MSG_SCAN_CANCELLED");
    EXPECT_EQ(Stored("Settings", "lblLastScan"), "<none>");
}

TEST_F(ScanDriverTest, FileAndFolderScansGetTheChosenPath) {
    ui::SetOpenFileDialogHandler([] { return std::string("C:\\x\\a.exe"); });
    ui::SetBrowseForFolderHandler([] { return std::string("C:\\some folder"); });
    form->optScan[2].SetValue(true);
    form->cmdScanNow_Click();
    EXPECT_EQ(display().lblPercentageCompleted.Caption, "Scanning C:\\x\\a.exe...");
    calls.clear();
    form->optScan[3].SetValue(true);
    form->cmdScanNow_Click();
    EXPECT_EQ(calls, (Calls{"ClearDeleteFailedList", "LoadSafetyList", "LoadDefinitions",
                            "CheckDefinitionFiles", "ScanFolderFiles C:\\some folder\\",
                            "AssignThreatDescriptions", "MakeReport"}));
}

TEST_F(ScanDriverTest, MissingDefinitionsEndTheModeWithAMessage) {
    ScriptedMessageBoxes boxes;
    boxes.Expect(IDOK);
    form->Steps.CheckDefinitionFiles = [] { return false; };
    form->optScan[0].SetValue(true);
    form->cmdScanNow_Click();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].prompt, "MSG_MISSING");
    EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_ICONINFORMATION));
    // Nothing was scanned, so nothing is reported.
    EXPECT_EQ(calls,
              (Calls{"ClearDeleteFailedList", "LoadSafetyList", "AssignThreatDescriptions"}));
    EXPECT_EQ(display().lblStatus.Caption, "MSG_MISSINGFILES");
}

// Only a scan that ran to its end is the last scan; one that never ran shows no full bars.
TEST_F(ScanDriverTest, OnlyACompletedScanStoresTheLastScanTimes) {
    const struct {
        const char* name;
        bool definitionsThere;
        bool stop;
        bool fileChosen;
        const char* status;
        double bars; // pb1 and pb2, which the scan before left full
        bool stored;
    } rows[] = {
        {"completed", true, false, true, "MSG_SCAN_COMPLETED", 100, true},
        {"stopped", true, true, true, "MSG_SCAN_CANCELLED", 0, false},
        {"no file chosen", true, false, false, "MSG_SCAN_CANCELLED", 0, false},
        {"definitions missing", false, false, true, "MSG_MISSINGFILES", 0, false},
    };
    ScriptedMessageBoxes boxes;
    form->optScanAllSelectedHardDrive.SetValue(true);
    for (const auto& row : rows) {
        for (const char* key : {"lblLastScan", "lblLastFullScan"})
            Store("Settings", key, "before");
        display().pb1.SetValue(100);
        display().pb2.SetValue(100);
        if (!row.definitionsThere)
            boxes.Expect(IDOK);
        form->Steps.CheckDefinitionFiles = [&] { return row.definitionsThere; };
        form->Steps.ScanFolderExecutables = [&](const std::string&) {
            modGlobals::StopScanRequested = row.stop;
        };
        ui::SetOpenFileDialogHandler(
            [&] { return std::string(row.fileChosen ? "C:\\x\\a.exe" : ""); });
        form->optScan[2].SetValue(true);
        form->cmdScanNow_Click();
        EXPECT_EQ(display().lblStatus.Caption, row.status) << row.name;
        EXPECT_EQ(display().pb1.Value(), row.bars) << row.name;
        EXPECT_EQ(display().pb2.Value(), row.bars) << row.name;
        const std::string stored = row.stored ? form->ScanEndTime : "before";
        EXPECT_EQ(Stored("Settings", "lblLastScan"), stored) << row.name;
        EXPECT_EQ(Stored("Settings", "lblLastFullScan"), stored) << row.name;
    }
    EXPECT_EQ(boxes.Pending(), 0u);
}

TEST_F(ScanDriverTest, LastFullScanFollowsTheOptionNotTheMode) {
    form->optScanOnlyKnownSoftwares.SetValue(true);
    form->optScan[0].SetValue(true);
    form->cmdScanNow_Click();
    EXPECT_EQ(Stored("Settings", "lblLastFullScan"), "<none>");
    form->optScanAllSelectedHardDrive.SetValue(true);
    form->cmdScanNow_Click();
    EXPECT_EQ(Stored("Settings", "lblLastFullScan"), form->ScanEndTime);
}

TEST_F(ScanDriverTest, StopAsksAndSetsTheFlagOnlyDuringAScan) {
    ScriptedMessageBoxes boxes;
    form->cmdStop_Click(); // idle: nothing to stop, nothing asked
    EXPECT_TRUE(boxes.Shown().empty());

    form->Steps.ScanRegistry = [&] {
        boxes.Expect(IDNO);
        form->cmdStop_Click();
        EXPECT_FALSE(modGlobals::StopScanRequested);
        boxes.Expect(IDYES);
        form->lblStop_Click();
        EXPECT_TRUE(modGlobals::StopScanRequested);
    };
    form->optScan[0].SetValue(true);
    form->cmdScanNow_Click();
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].prompt, "MSG_STOP");
    EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes.Shown()[1].prompt, "MSG_SURE");
    EXPECT_EQ(display().lblStatus.Caption, "MSG_SCAN_CANCELLED");
}

TEST_F(ScanDriverTest, PauseHoldsTheButtonsOffWhileItsBoxIsOpen) {
    ScriptedMessageBoxes boxes;
    bool buttonsDuringBox = true;
    ui::SetMessageBoxHandler([&](const ui::MessageBoxRequest& request) {
        buttonsDuringBox = form->cmdPause.Enabled || form->cmdStop.Enabled;
        EXPECT_EQ(request.prompt, "MSG_PAUSED");
        return IDOK;
    });
    form->cmdPause.Enabled = form->cmdStop.Enabled = true;
    form->cmdPause_Click();
    EXPECT_FALSE(buttonsDuringBox);
    EXPECT_TRUE(form->cmdPause.Enabled);
    EXPECT_TRUE(form->cmdStop.Enabled);
}

TEST_F(ScanDriverTest, ADriveTickStoresEveryDrive) {
    AddDrives({"C", "D"});
    lists().lvwHardDrives.UserCheck(0, true);
    EXPECT_EQ(Stored("Drives", "C"), "True");
    EXPECT_EQ(Stored("Drives", "D"), "False");
}

TEST_F(ScanDriverTest, StartFromOutsideDoesNothingWhileAScanRuns) {
    int scans = 0;
    form->Steps.ScanRegistry = [&] {
        ++scans;
        form->lblStart_Click();
        form->cmdScanNow_Click();
    };
    form->optScan[0].SetValue(true);
    form->lblStart_Click();
    EXPECT_EQ(scans, 1);
    EXPECT_TRUE(form->frmScan.Visible);
}
