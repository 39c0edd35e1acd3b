// The running-process scanners on processes the tests start themselves. Every planted name
// carries the test process's id, so tests running side by side never meet each other's.
#include "DefinitionFile.h"
#include "Exclusions.h"
#include "ManualScanState.h"
#include "ModMemoryItemsInspected.h"
#include "ModuleList95.h"
#include "PlantedProcess.h"
#include "ProcessControl.h"
#include "ScanFixture.h"
#include "ScanMessages.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "ScriptedMessageBoxes.h"
#include "TextRules.h"
#include "VersionInfo.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "modLockdown.h"
#include "modLorvane.h"
#include "xfileExists.h"

#include <windows.h>

namespace {

using namespace ModMemoryItemsInspected;
using TextRules::ToUpper;

class ProcessScan : public ScanFixture {
  protected:
    ProcessScan() {
        LastProcessNames.clear();
        ExeDefinitionList.clear();
        ModuleList95::ExeDefinitionText.clear();
        SetManualScanTest([this] { return scanRunning; });
        SetScanMessageLookup([](const std::string& id) { return "<" + id + ">"; });
        SetProcessAlertWindow([this](const RunningProcessAlert& alert) {
            alerts.push_back(alert);
            AlertAnswered = true;
        });
    }
    ~ProcessScan() override {
        SetManualScanTest(nullptr);
        SetScanMessageLookup(nullptr);
        SetProcessAlertWindow(nullptr);
        ProcessControl::SetTerminateOverride(nullptr);
        ProcessControl::SetPlatformIdOverride(std::nullopt);
        LastProcessNames.clear();
        ModuleList95::ExeDefinitionText.clear();
    }

    // A definition line for the planted program in its own folder.
    static std::string DefinitionOf(const PlantedProcess& planted) {
        return xfileExists::FileNamePart(planted.Path()) + "=Test.Threat|" + planted.Folder();
    }
    const ui::ListView& Running() const { return ScanLists().lvwSpywareFound; }
    int AlertsFor(const PlantedProcess& planted) const {
        int count = 0;
        for (const RunningProcessAlert& alert : alerts)
            count += alert.processId == planted.Id();
        return count;
    }
    int32_t RunningCount() const {
        return TextRules::ToLong(ScanDisplay().lblTotalNoOfRunningItems.Caption, -1);
    }

    bool scanRunning = true;
    std::vector<RunningProcessAlert> alerts;
};

TEST_F(ProcessScan, ScanStopsEachMatchByItsIdAndNothingAlike) {
    PlantedProcess threat(UniqueProcessName("Threat.exe"));
    PlantedProcess similar(UniqueProcessName("Threat2.exe"));
    PlantedProcess elsewhere(UniqueProcessName("Elsewhere.exe"));
    // The two long names share their first 15 characters.
    PlantedProcess longListed(UniqueProcessName("longthreatname01.exe"));
    PlantedProcess longOther(UniqueProcessName("longthreatname01x.exe"));
    WriteDefinitionFile(kExeDefinitionFile,
                        {DefinitionOf(threat), DefinitionOf(longListed),
                         // Listed in another folder: the file name matches in any.
                         xfileExists::FileNamePart(elsewhere.Path()) + "=Test.Threat|[windir]"});
    ScanRunningProcesses();

    EXPECT_TRUE(threat.Ended());
    EXPECT_TRUE(longListed.Ended());
    EXPECT_TRUE(elsewhere.Ended());
    EXPECT_TRUE(similar.Running());
    EXPECT_TRUE(longOther.Running());
    ASSERT_EQ(Running().Count(), 3u);
    std::vector<std::string> details;
    for (const ui::ListItem& row : Running().Items()) {
        EXPECT_EQ(row.Text, "Running Application");
        EXPECT_EQ(row.SmallIcon, ItemFile);
        details.push_back(row.SubItem(1));
    }
    for (const PlantedProcess* stopped : {&threat, &longListed, &elsewhere}) {
        const std::string expected =
            ToUpper(xfileExists::FileNamePart(stopped->Path())) + " was stopped";
        EXPECT_NE(std::find(details.begin(), details.end(), expected), details.end()) << expected;
    }
    EXPECT_EQ(ScanLists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 0u);
    EXPECT_EQ(modGlobals::ItemsFound, 3);
    // One per definition line read and one per listed process.
    EXPECT_GT(RunningCount(), 5);
    EXPECT_EQ(modGlobals::ProcessesInspected, 3 + RunningCount());
    EXPECT_NE(ExeDefinitionList.find("|" + ToUpper(threat.Path()) + "|"), std::string::npos);
}

TEST_F(ProcessScan, DefinitionListTakesThePathsAsWritten) {
    WriteDefinitionFile(kExeDefinitionFile, {"a.exe=Threat A|C:\\Tools\\", "continued line",
                                             "b.exe=Threat B", "c.exe=C|[windir]"});
    ScanRunningProcessesNT();
    EXPECT_EQ(ExeDefinitionList, "|C:\\TOOLS\\A.EXE|C:\\TOOLS\\A.EXE|THREAT B\\B.EXE|" +
                                     ToUpper(modGenDec::GetSpecialFolderPath(0x24)) + "C.EXE|");
}

TEST_F(ProcessScan, ExemptCompaniesExemptNamesAndExclusions) {
    PlantedProcess maker(UniqueProcessName("Maker.exe"), PlantedProcess::Image::MicrosoftCompany);
    PlantedProcess kept(UniqueProcessName("Kept.exe"));
    PlantedProcess helper("quillbarrow.exe");
    WriteDefinitionFile(kExeDefinitionFile,
                        {DefinitionOf(maker), DefinitionOf(kept), DefinitionOf(helper)});
    modGlobals::AddExclusion(xfileExists::FileNamePart(kept.Path()));
    ScanRunningProcesses();

    EXPECT_TRUE(maker.Running());
    EXPECT_TRUE(kept.Running());
    EXPECT_TRUE(helper.Running());
    ASSERT_EQ(Running().Count(), 1u);
    EXPECT_EQ(Running().Item(0).Text, "EXCLUDED");
    EXPECT_EQ(Running().Item(0).SubItem(1), ToUpper(xfileExists::FileNamePart(kept.Path())));
    EXPECT_EQ(Running().Item(0).SmallIcon, ItemExcluded);
    EXPECT_EQ(modGlobals::ItemsFound, 0);
}

TEST_F(ProcessScan, AFailedStopIsReportedAsSuch) {
    PlantedProcess threat(UniqueProcessName("Stubborn.exe"));
    WriteDefinitionFile(kExeDefinitionFile, {DefinitionOf(threat)});
    ProcessControl::SetTerminateOverride([](uint32_t, unsigned) { return false; });
    ScanRunningProcesses();
    EXPECT_TRUE(threat.Running());
    ASSERT_EQ(Running().Count(), 1u);
    EXPECT_EQ(Running().Item(0).SubItem(1),
              ToUpper(xfileExists::FileNamePart(threat.Path())) + " could not be stopped");
    EXPECT_EQ(modGlobals::ItemsFound, 1);
}

TEST_F(ProcessScan, BackgroundPassesAlertAndSkipOnlyWhatACompletedPassSaw) {
    PlantedProcess threat(UniqueProcessName("Watched.exe"));
    WriteDefinitionFile(kExeDefinitionFile, {DefinitionOf(threat)});
    scanRunning = false;

    // A pass cut short by Stop is not remembered.
    modGlobals::StopScanRequested = true;
    ScanRunningProcesses();
    modGlobals::StopScanRequested = false;
    EXPECT_EQ(AlertsFor(threat), 0);
    ScanRunningProcesses();
    ASSERT_EQ(AlertsFor(threat), 1);
    const RunningProcessAlert& alert = alerts.back();
    const std::string upperName = ToUpper(xfileExists::FileNamePart(threat.Path()));
    EXPECT_EQ(alert.lblAlertFileName, upperName);
    EXPECT_EQ(alert.lblAlertCompanyName, "<MSG_NOCOMPANY> " + upperName);
    EXPECT_TRUE(threat.Running());
    EXPECT_EQ(Running().Count(), 0u);
    EXPECT_EQ(modGlobals::ItemsFound, 1);

    // The same processes again: nothing is examined. Other tests start and end programs
    // meanwhile, so a pass may see a changed list; one pass within a few seconds must skip.
    bool skipped = false;
    for (const DWORD start = GetTickCount(); !skipped && GetTickCount() - start < 5000;) {
        const int32_t inspected = modGlobals::ProcessesInspected;
        ScanRunningProcesses();
        skipped = modGlobals::ProcessesInspected == inspected;
    }
    EXPECT_TRUE(skipped);

    // A scan looks whatever the shield saw.
    scanRunning = true;
    ScanRunningProcesses();
    EXPECT_TRUE(threat.Ended());
    ASSERT_EQ(Running().Count(), 1u);
    EXPECT_EQ(Running().Item(0).SubItem(1), upperName + " was stopped");
}

TEST_F(ProcessScan, NeverTakesItselfForAThreat) {
    scanRunning = false; // alerts only: other copies of this program are running too
    PlantedProcess other(UniqueProcessName("Other.exe"));
    WriteDefinitionFile(
        kExeDefinitionFile,
        {xfileExists::FileNamePart(OwnExecutablePath()) + "=Self|C:\\", DefinitionOf(other)});
    ScanRunningProcesses();
    EXPECT_EQ(AlertsFor(other), 1); // the pass did look
    for (const RunningProcessAlert& alert : alerts)
        EXPECT_NE(alert.processId, GetCurrentProcessId());
}

TEST_F(ProcessScan, NinetyPassStopsByTheDefinitionsNameField) {
    ProcessControl::SetPlatformIdOverride(ProcessControl::kPlatformWindows9x);
    PlantedProcess threat(UniqueProcessName("Old.exe"));
    PlantedProcess similar(UniqueProcessName("Old.exe.bak.exe"));
    PlantedProcess maker(UniqueProcessName("OldMaker.exe"),
                         PlantedProcess::Image::MicrosoftCompany);
    PlantedProcess kept(UniqueProcessName("OldKept.exe"));
    WriteDefinitionFile(kExeDefinitionFile, {DefinitionOf(threat), DefinitionOf(maker),
                                             DefinitionOf(kept), "continued line"});
    modGlobals::AddExclusion(xfileExists::FileNamePart(kept.Path()));
    ScanRunningProcesses();

    ASSERT_TRUE(threat.Ended());
    EXPECT_EQ(threat.ExitCode(), static_cast<unsigned long>(STILL_ACTIVE));
    EXPECT_TRUE(similar.Running());
    EXPECT_TRUE(maker.Running());
    EXPECT_TRUE(kept.Running());
    ASSERT_EQ(Running().Count(), 2u);
    const std::string threatDetails =
        ToUpper(xfileExists::FileNamePart(threat.Path())) + " was stopped";
    const std::string keptName = ToUpper(xfileExists::FileNamePart(kept.Path()));
    const bool threatFirst = Running().Item(0).Text == "Running Process";
    const ui::ListItem& stoppedRow = Running().Item(threatFirst ? 0 : 1);
    const ui::ListItem& excludedRow = Running().Item(threatFirst ? 1 : 0);
    EXPECT_EQ(stoppedRow.Text, "Running Process");
    EXPECT_EQ(stoppedRow.SubItem(1), threatDetails);
    EXPECT_EQ(stoppedRow.SmallIcon, ItemFile);
    EXPECT_EQ(excludedRow.Text, "EXCLUDED");
    EXPECT_EQ(excludedRow.SubItem(1), keptName);
    EXPECT_EQ(modGlobals::ItemsFound, 1);
    // Definition lines count, processes do not; the running count grows per process.
    EXPECT_EQ(modGlobals::ProcessesInspected, 4);
    EXPECT_GT(RunningCount(), 4);

    // The definitions stay loaded: a later pass counts their lines without reading them.
    modGlobals::ProcessesInspected = 0;
    WriteDefinitionFile(kExeDefinitionFile, {"changed.exe=Changed"});
    ScanRunningProcesses();
    EXPECT_EQ(modGlobals::ProcessesInspected, 4);
    EXPECT_EQ(Running().Count(), 3u); // kept is still excluded
}

TEST_F(ProcessScan, NinetyShieldAsksToStopOrToKeep) {
    ProcessControl::SetPlatformIdOverride(ProcessControl::kPlatformWindows9x);
    modLorvane::ProgramName = "Tidewater AntiSpyware";
    scanRunning = false;
    ScriptedMessageBoxes boxes;
    PlantedProcess first(UniqueProcessName("AskFirst.exe"));
    const std::string firstName = ToUpper(xfileExists::FileNamePart(first.Path()));
    WriteDefinitionFile(kExeDefinitionFile, {DefinitionOf(first)});
    boxes.Expect(IDNO);
    ScanRunningProcesses();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].prompt,
              "<MSG_FOUND1>" + firstName + "<MSG_FOUND2>" + firstName + "<MSG_FOUND3>");
    EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes.Shown()[0].title, "Tidewater AntiSpyware - Alert");
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(modGlobals::IsExcluded(firstName));
    EXPECT_EQ(modGlobals::ItemsFound, 0);

    // The kept one is now excluded; the next match is stopped on Yes.
    ModuleList95::ExeDefinitionText.clear();
    PlantedProcess second(UniqueProcessName("AskSecond.exe"));
    WriteDefinitionFile(kExeDefinitionFile, {DefinitionOf(first), DefinitionOf(second)});
    boxes.Expect(IDYES);
    ScanRunningProcesses();
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_TRUE(second.Ended());
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(modGlobals::ItemsFound, 1);
    ASSERT_EQ(Running().Count(), 1u);
    EXPECT_EQ(Running().Item(0).Text, "EXCLUDED");
}

TEST_F(ProcessScan, OtherPlatformsScanNothing) {
    PlantedProcess threat(UniqueProcessName("Other.exe"));
    WriteDefinitionFile(kExeDefinitionFile, {DefinitionOf(threat)});
    ProcessControl::SetPlatformIdOverride(3);
    ScanRunningProcesses();
    EXPECT_TRUE(threat.Running());
    EXPECT_EQ(modGlobals::ProcessesInspected, 0);
}

TEST(ProcessScanRules, ExemptCompaniesAndSystemPaths) {
    EXPECT_TRUE(IsExemptCompany("  microsoft CORPORATION ", false));
    EXPECT_TRUE(IsExemptCompany("Sun Microsystems, Inc.", true));
    EXPECT_FALSE(IsExemptCompany("Sun Microsystems, Inc.", false));
    EXPECT_FALSE(IsExemptCompany("Microsoft", true));
    EXPECT_FALSE(IsExemptCompany("", true));

    const std::string system = modGenDec::GetSystemDirectoryText();
    EXPECT_EQ(NormalizeSystem32Path("\\SystemRoot\\System32\\smss.exe"), system + "\\smss.exe");
    EXPECT_EQ(NormalizeSystem32Path("C:\\system32\\old\\System32\\x.exe"), system + "\\x.exe");
    EXPECT_EQ(NormalizeSystem32Path("C:\\Tools\\x.exe"), "C:\\Tools\\x.exe");
}

TEST(ProcessScanRules, SubmissionListFiltersAndScrambles) {
    using modLockdown::ScrambleString;
    EXPECT_EQ(
        SubmissionProcessList({"System", "System Idle Process", "winlogon.exe", "services.exe",
                               "svchost.exe", "explorer.exe", "firefox.exe", "iexplore.exe"}),
        "");
    EXPECT_EQ(SubmissionProcessList({"explorer.exe", "EXPLORER.EXE", "tool.exe"}),
              ScrambleString("EXPLORER.EXE") + "|" + ScrambleString("tool.exe"));
    EXPECT_EQ(SubmissionProcessList({}), "");

    const std::string name = UniqueProcessName("Submitted.exe");
    PlantedProcess planted(name);
    const std::vector<std::string> pieces = TextRules::Split(ListRunningProcessesWMI(), "|");
    EXPECT_NE(std::find(pieces.begin(), pieces.end(), ScrambleString(name)), pieces.end());
    EXPECT_EQ(std::find(pieces.begin(), pieces.end(), ScrambleString("services.exe")),
              pieces.end());
}

} // namespace

TEST_F(ProcessScan, AScanWhoseStopFailedLeavesTheShieldAlerting) {
    PlantedProcess threat(UniqueProcessName("Stubborn.exe"));
    WriteDefinitionFile(kExeDefinitionFile, {DefinitionOf(threat)});
    ProcessControl::SetTerminateOverride([](uint32_t, unsigned) { return false; });
    ScanRunningProcesses();
    ProcessControl::SetTerminateOverride(nullptr);
    ASSERT_TRUE(threat.Running());
    // The scan saw the same list, yet the shield's next pass still examines it.
    scanRunning = false;
    ScanRunningProcesses();
    EXPECT_EQ(AlertsFor(threat), 1);
}
