// The scan driver: every scan, from the Start button, the quick-scan buttons, the scheduler or
// the tray, runs through cmdScanNow_Click.
#include "FrmMain.h"

#include "BusyState.h"
#include "CommonDialogs.h"
#include "DateText.h"
#include "DoEvents.h"
#include "MessageBox.h"
#include "PanelSwitching.h"
#include "ScanMessages.h"
#include "SettingsStore.h"
#include "TextRules.h"
#include "modGlobals.h"

#include <windows.h>

using modGlobals::StopScanRequested;

namespace {

std::string Msg(const std::string& id) {
    return ScanMessage(id);
}

void SetPhase(ScanProgressDisplay& display, const std::string& id) {
    display.lblPercentageCompleted.Caption = Msg(id);
    modGlobals::ScanPhasePrefix = display.lblPercentageCompleted.Caption + ": ";
}

// A scan option as its box shows it: the stored number, or, when the stored text is no number
// (which the options' load leaves the box alone for), the box's own value.
long StoredOption(const std::string& key, const ui::CheckBox& box) {
    return TextRules::ToLong(GetProgramSetting("OptionAndSettings", key, "1"), box.Value());
}

void RestoreDefaultCursor() {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

} // namespace

void FrmMain::cmdScanNow_Click() {
    if (ScanRunning() || BusyState::IsBusy())
        return;
    BusyState::Operation busy;
    try {
        StartScanSequence();
        RunChosenMode();
        CompleteScan();
    } catch (...) {
        RecoverFromFailedScan();
    }
}

void FrmMain::RecoverFromFailedScan() {
    StopScanRequested = false;
    ShowScanRunning(false);
    cmdRemove.Visible = cmdRemove.Enabled = true;
    cmdResults.Enabled = cmdSettings.Enabled = true;
    if (scanSuspendedTimers_) {
        scanSuspendedTimers_ = false;
        modGenDec::EnableShieldTimers(*this, true);
        tmrTimeOut.Enabled = true;
    }
}

void FrmMain::StartScanSequence() {
    tmrScroll.Enabled = false;
    RunLink(Links.ClearDeleteFailedList);
    cmdRemove.Visible = false;
    cmdResults.Enabled = false;
    cmdSettings.Enabled = false;
    modGenDec::ShowPanel(*this, false, false, false, true);
    modGenDec::EnableShieldTimers(*this, false);
    scanSuspendedTimers_ = true;
    ShowScanRunning(true);
    for (ui::Label* label :
         {&display.lblRegistryInspected, &display.lblFilesFolderInspected,
          &display.lblMemoryInspected, &display.lblSoftwareFound,
          &display.lblRemovePicSoftwareFound, &display.lbltracesFound,
          &display.lblPercentageCompleted, &display.lblStatus, &display.lblTotalNoOfRunningItems})
        label->Caption = "0";
    modGlobals::ProcessesInspected = modGlobals::RegistryItemsInspected =
        modGlobals::FilesFoldersInspected = modGlobals::ItemsFound = 0;
    ProgressRefreshCount = 0;
    for (ui::ListView* list :
         {&lists.lvwSpywareFound, &lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved,
          &lists.lvwFilesToBeDeleted, &lists.lvwFileNotFounds, &lists.lvwRegistryToBeDeleted,
          &lists.lvwCookiesToDelete})
        list->Clear();
    StopScanRequested = false;
    nothingChosen_ = definitionsMissing_ = false;
    ScanStartTime = DateText::NowText();
    Steps.LoadSafetyList();
}

void FrmMain::ShowScanRunning(bool running) {
    for (ui::Control* control : std::initializer_list<ui::Control*>{&cmdScanNow, &cmdScan, &cmdLog,
                                                                    &cmdUpdate, &cmdStatus})
        control->Enabled = !running;
    cmdStop.Enabled = cmdPause.Enabled = running;
}

void FrmMain::RunChosenMode() {
    if (optScan[0].Value()) {
        SmartScan();
    } else if (optScan[1].Value()) {
        Steps.LoadDefinitions();
        FullSystemScan();
    } else if (optScan[2].Value()) {
        const std::string path = ui::ShowOpenFileDialog(Handle());
        if (path.empty()) {
            nothingChosen_ = true;
            return;
        }
        Steps.LoadDefinitions();
        FileScan(path);
    } else if (optScan[3].Value()) {
        std::string path = ui::BrowseForFolder(Handle());
        if (path.empty()) {
            nothingChosen_ = true;
            return;
        }
        if (!TextRules::EndsWith(path, "\\"))
            path += "\\";
        Steps.LoadDefinitions();
        FolderScan(path);
    }
}

bool FrmMain::BeginMode() {
    if (!Steps.CheckDefinitionFiles()) {
        ui::MsgBox(Msg("MSG_MISSING"), MB_ICONINFORMATION);
        definitionsMissing_ = true;
        return false;
    }
    display.pbgMain.Visible = false;
    for (ui::ProgressBar* bar : {&display.pbgMain, &display.pb1, &display.pb2}) {
        bar->SetMax(100);
        bar->SetValue(0);
    }
    CookieFileCount = 0;
    return true;
}

namespace {

void ScanComplete() {
    UpdateScanProgress("Scan Complete", 100, 100);
}

} // namespace

void FrmMain::SetOverallShare() {
    if (modGlobals::DefinitionCount != 0)
        display.pb2.SetValue(static_cast<double>(modGlobals::CookieDefinitionCount) /
                             modGlobals::DefinitionCount * 100);
}

void FrmMain::RunProcessAndRegistryPhases() {
    if (StoredOption("chkSweepMemory", chkSweepMemory) != 0) {
        SetPhase(display, "MSG_MEMORY");
        Steps.ScanRunningProcesses();
    } else {
        display.lblMemoryInspected.Caption = Msg("MSG_NOTSELECED");
    }
    SetPhase(display, "MSG_REGISTRY");
    display.pb1.SetValue(0);
    SetOverallShare();
    if (StoredOption("chkScanRegistry", chkScanRegistry) != 0)
        Steps.ScanRegistry();
    else
        display.lblRegistryInspected.Caption = Msg("MSG_NOTSELECED");
}

void FrmMain::SmartScan() {
    if (!BeginMode())
        return;
    if (StoredOption("chkScanCookies", chkScanCookies) == 1) {
        SetPhase(display, "MSG_COOKIES");
        Steps.ScanCookies(CookieFileCount);
        display.pb1.SetValue(100);
        SetOverallShare();
        display.lblStatus.Caption = Msg("MSG_COOKIES_FINISHED");
    }
    RunProcessAndRegistryPhases();
    display.pbgMain.SetMax(100);
    SetPhase(display, "MSG_SPYWARE");
    display.pbgMain.SetValue(0);
    Steps.ScanFileDefinitions();
    Steps.ScanDirectoryDefinitions();
    display.pbgMain.SetMax(100);
    ScanComplete();
}

void FrmMain::FullSystemScan() {
    if (!BeginMode())
        return;
    display.lblPercentageCompleted.Caption = "Scanning your Hard Disk...";
    const size_t drives = lists.lvwHardDrives.Count();
    for (size_t i = 0; i < drives && i < lists.lvwHardDrives.Count(); ++i) {
        if (StopScanRequested)
            return;
        display.pbgMain.SetValue(0);
        Steps.ScanDrive(lists.lvwHardDrives.Items()[i].Text + ":\\");
        ui::DoEvents();
    }
    display.pbgMain.SetValue(0);
    display.pbgMain.SetMax(100);
    CookieFileCount = 0;
    RunProcessAndRegistryPhases();
    ScanComplete();
}

void FrmMain::FolderScan(const std::string& path) {
    if (!BeginMode())
        return;
    display.lblPercentageCompleted.Caption = "Scanning " + path + "...";
    if (StopScanRequested)
        return;
    display.pbgMain.SetValue(0);
    Steps.ScanFolderFiles(path);
    ui::DoEvents();
    display.pbgMain.SetValue(0);
    display.pbgMain.SetMax(100);
    CookieFileCount = 0;
    ScanComplete();
}

void FrmMain::FileScan(const std::string& path) {
    if (!BeginMode())
        return;
    display.lblPercentageCompleted.Caption = "Scanning " + path + "...";
    Steps.ScanFolderExecutables(path);
    display.pbgMain.SetValue(0);
    display.pbgMain.SetMax(100);
    ScanComplete();
}

void FrmMain::CompleteScan() {
    ScanEndTime = DateText::NowText();
    // A scan that never ran (no file or folder chosen, definition files missing) is no scan:
    // it is recorded nowhere and leaves no bars full from an earlier one.
    const bool ran = !nothingChosen_ && !definitionsMissing_;
    if (ran && !StopScanRequested) {
        SaveProgramSetting("Settings", "lblLastScan", ScanEndTime);
        if (optScanAllSelectedHardDrive.Value())
            SaveProgramSetting("Settings", "lblLastFullScan", ScanEndTime);
    }
    cmdRemove.Visible = true;
    cmdRemove.Enabled = true;
    cmdResults.Enabled = true;
    cmdSettings.Enabled = true;
    if (!ran) {
        display.pb1.SetValue(0);
        display.pb2.SetValue(0);
    }
    if (definitionsMissing_) {
        display.lblStatus.Caption = Msg("MSG_MISSINGFILES");
        display.pbgMain.SetValue(0);
    } else if (StopScanRequested || nothingChosen_) {
        display.lblStatus.Caption = Msg("MSG_SCAN_CANCELLED");
        display.lblPercentageCompleted.Caption = "0% " + Msg("MSG_COMPLETED");
        display.pbgMain.SetValue(0);
    } else {
        display.lblStatus.Caption = Msg("MSG_SCAN_COMPLETED");
        display.pb1.SetValue(100);
        display.pb2.SetValue(100);
        if (modGlobals::AutoRemoveAfterScan) {
            cmdRemove_Click();
            RunLink(Links.SelectAllResults);
            RunLink(Links.RunRemoval);
        }
    }
    // A cancelled scan must not leave the flag set: the process shield would then see
    // nothing until the next scan.
    StopScanRequested = false;
    ShowScanRunning(false);
    scanSuspendedTimers_ = false;
    modGenDec::EnableShieldTimers(*this, true);
    tmrTimeOut.Enabled = true;
    UpdateStatusLabels();
    RefreshScanCounters();
    Steps.AssignThreatDescriptions();
    if (ran && chkMakeLog.Value() == 1)
        RunLink(Links.MakeReport);
}

void FrmMain::lblStart_Click() {
    if (ScanRunning() || BusyState::IsBusy())
        return;
    cmdScan_Click();
    cmdScanNow_Click();
}

void FrmMain::ScanFromStartPage(int mode) {
    if (ScanRunning() || BusyState::IsBusy())
        return;
    cmdScan_Click();
    optScan[mode].SetValue(true);
    cmdScanNow_Click();
}

void FrmMain::cmdMainScan1_Click() {
    ScanFromStartPage(1);
}

void FrmMain::Command3_Click() {
    ScanFromStartPage(0);
}

void FrmMain::cmdPause_Click() {
    cmdPause.Enabled = false;
    cmdStop.Enabled = false;
    ui::MsgBox(Msg("MSG_PAUSED"), MB_ICONINFORMATION | MB_OK);
    cmdPause.Enabled = true;
    cmdStop.Enabled = true;
}

void FrmMain::lblPause_Click() {
    lblPause.Enabled = false;
    ui::MsgBox(Msg("MSG_PAUSED"), MB_ICONINFORMATION | MB_OK);
    lblPause.Enabled = true;
}

namespace {

// Stop only means something while a scan runs: a flag set between scans would linger.
void AskToStop(const FrmMain& form, const std::string& question) {
    if (!form.ScanRunning())
        return;
    if (ui::MsgBox(Msg(question), MB_YESNO | MB_ICONQUESTION) == IDYES) {
        RestoreDefaultCursor();
        StopScanRequested = true;
    }
}

} // namespace

void FrmMain::cmdStop_Click() {
    AskToStop(*this, "MSG_STOP");
}

void FrmMain::lblStop_Click() {
    AskToStop(*this, "MSG_SURE");
}

void FrmMain::lblStart_MouseMove() {
    lblStart.FontItalic = true;
}

void FrmMain::lblPause_MouseMove() {
    lblPause.FontItalic = true;
    RestoreDefaultCursor();
}

void FrmMain::lblStop_MouseMove() {
    lblStop.FontItalic = true;
    RestoreDefaultCursor();
}

void FrmMain::lvwHardDrives_ItemCheck() {
    for (const ui::ListItem& row : lists.lvwHardDrives.Items())
        SaveProgramSetting("Drives", row.Text, row.Checked ? "True" : "False");
}
