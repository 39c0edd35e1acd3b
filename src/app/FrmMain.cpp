// The main window's controls: captions, places and the handlers each event runs.
#include "FrmMain.h"

#include "AppPath.h"
#include "ManualScanState.h"
#include "SettingsStore.h"
#include "resource.h"

#include <windows.h>

namespace {

// Places a control inside its page, in twips.
void Place(ui::Control& control, ui::Control* container, int left, int top, int width, int height) {
    control.Container = container;
    control.Move(left, top, width, height);
}

template <typename T> void SetCaption(T& control, const char* caption) {
    control.Caption = caption;
}

// The pages' place at the design size, where the resize rules put them too.
constexpr int kPageLeft = 120, kPageTop = 660, kPageWidth = 11040, kPageHeight = 5880;

} // namespace

MainWindowLinks::MainWindowLinks()
    : PrevInstance(AppPath::PrevInstance), EndProcess([] { ExitProcess(0); }) {}

FrmMain& MainWindow() {
    static FrmMain window;
    return window;
}

FrmMain::FrmMain()
    : ui::Form("FrmMain"), lblDefVersion(ScanDisplay().lblDefVersion),
      cmdPause(ScanDisplay().cmdPause), cmdStop(ScanDisplay().cmdStop), display(ScanDisplay()),
      lists(ScanLists()) {
    Width = 11400;
    Height = 7500;
    LayOutNavigation();
    LayOutStatusPage();
    LayOutScanPage();
    LayOutResultsPage();
    LayOutOptionsPage();
    LayOutHiddenControls();
    ConnectHandlers();
    SetMinimumSize();
}

FrmMain::~FrmMain() {
    if (connectedScanTest_)
        SetManualScanTest(nullptr);
}

void FrmMain::LayOutNavigation() {
    // Each button as wide as its caption needs; the website button takes the rest of the row.
    const struct {
        ui::Button* button;
        const char* caption;
        int width;
    } row[] = {{&cmdStatus, "Home", 840},
               {&cmdScan, "Scan", 840},
               {&cmdResults, "Results/Removal", 1440},
               {&cmdSettings, "Options", 960},
               {&cmdLog, "Log File", 960},
               {&cmdUpdate, "Update Now", 1140},
               {&Command5, "Minimize", 1020},
               {&cmdWebsite, "Website", 0}};
    int left = 120;
    for (const auto& [button, caption, width] : row) {
        SetCaption(*button, caption);
        Place(*button, nullptr, left, 120, width, 420);
        Add(*button);
        left += width + 60;
    }
    cmdWebsite.Width = Width - cmdWebsite.Left - 200;
    PlaceRow<ui::Label>({{&lblSweepNow, "Sweep Now"},
                         {&lblRemove, "Remove"},
                         {&lblOptions, "Options"},
                         {&lblResult, "Result"},
                         {&lblExit, "Exit"},
                         {&lblHide, "X"}},
                        nullptr, 120, 6700, 1000, 240, 1100, 0, false);
    for (ui::Frame* page : {&frmStatus, &frmScan, &frmResults, &frmOptions}) {
        Place(*page, nullptr, kPageLeft, kPageTop, kPageWidth, kPageHeight);
        page->Visible = false;
        Add(*page);
    }
    SetCaption(frmStatus, "Home");
    SetCaption(frmScan, "Scan for malicious items");
    SetCaption(frmResults, "Results");
}

void FrmMain::LayOutStatusPage() {
    ui::Frame* page = &frmStatus;
    Place(Label22, page, 240, 300, kPageWidth - 480, 480);
    Add(Label22);
    const struct {
        ui::Label* caption;
        const char* text;
        ui::Label* value;
    } rows[] = {
        {&lblDefCountCaption,
         "You are protected against this many Adware/Spyware traces:", &lblDefCount},
        {&lblDefVersionCaption, "Your definitions were last updated:", &lblDefVersion},
        {&lblVersionCaption, "This program's version number is:", &lblVersion},
        {&lblLastScanCaption, "Your last scan was completed:", &lblLastScan},
        {&lblDefRemovedCaption,
         "You have removed this many adware and spyware traces:", &lblDefRemoved},
        {&lblLastFullScanCaption, "Your last full system scan was completed:", &lblLastFullScan},
    };
    int top = 1000;
    for (const auto& row : rows) {
        SetCaption(*row.caption, row.text);
        Place(*row.caption, page, 240, top, 5400, 300);
        Place(*row.value, page, 5700, top, kPageWidth - 5700 - 240, 300);
        Add(*row.caption);
        Add(*row.value);
        top += 400;
    }
    // The removed total and the last full scan stay hidden.
    lblDefRemovedCaption.Visible = lblDefRemoved.Visible = false;
    lblLastFullScanCaption.Visible = lblLastFullScan.Visible = false;

    // The quick scans along the page's lower edge, the sibling tool's button above them.
    const int quickScanTop = kPageHeight - 480 - 240;
    PlaceRow<ui::Button>({{&Command3, "Smart Scan"},
                          {&cmdMainScan1, "Full System Scan"},
                          {&Command6, "File Scan"},
                          {&Command7, "Directory Scan"}},
                         page, 240, quickScanTop, 2100, 480, 2250, 0, true);
    Place(cmdHijack, page, 240, quickScanTop - 420 - 180, 3000, 420);
    cmdHijack.Visible = false;
    Add(cmdHijack);
}

void FrmMain::LayOutScanPage() {
    ui::Frame* page = &frmScan;
    const char* modes[] = {"Smart Scan", "Full System Scan", "File Scan", "Folder Scan"};
    for (int i = 0; i < 4; ++i) {
        SetCaption(optScan[i], modes[i]);
        Place(optScan[i], page, 240 + i * 1900, 300, 1800, 300);
        Add(optScan[i]);
    }
    optScan[0].SetValue(true);
    PlaceRow<ui::Button>({{&cmdScanNow, "Start"}, {&cmdPause, "Pause"}, {&cmdStop, "Stop"}}, page,
                         240, 720, 1200, 420, 1320, 0, true);
    cmdPause.Enabled = cmdStop.Enabled = false;
    PlaceRow<ui::Label>({{&lblStart, "Start"}, {&lblPause, "Pause"}, {&lblStop, "Stop"}}, page,
                        4300, 800, 600, 240, 700, 0, false);
    PlaceRow<ui::Label>({{&lblViewLogFile, "Show Report"}}, page, 7100, 800, 1600, 240, 0, 0, true);

    const struct {
        ui::Label* caption;
        const char* text;
        ui::Label* value;
    } counters[] = {
        {&lblMemoryInspectedCaption, "Running Processes:", &display.lblMemoryInspected},
        {&lblRegistryInspectedCaption, "Registry Entries:", &display.lblRegistryInspected},
        {&lblFilesFolderInspectedCaption, "Files:", &display.lblFilesFolderInspected},
        {&lblSoftwareFoundCaption, "Malicous Items Found:", &display.lblSoftwareFound}};
    int left = 240;
    for (const auto& counter : counters) {
        SetCaption(*counter.caption, counter.text);
        Place(*counter.caption, page, left, 1260, 1900, 260);
        Place(*counter.value, page, left + 1950, 1260, 600, 260);
        counter.value->Caption = "0";
        Add(*counter.caption);
        Add(*counter.value);
        left += 2640;
    }
    // The lower part stands on "Continue to Overview", in the bottom right corner.
    const int removeTop = kPageHeight - 420 - 240, pb2Top = removeTop - 240 - 60,
              pb1Top = pb2Top - 285;
    Place(display.lblPercentageCompleted, page, 240, 1620, kPageWidth - 480, 260);
    Add(display.lblPercentageCompleted);
    Place(lists.lvwSpywareFound, page, 240, 1960, kPageWidth - 480, pb1Top - 1960 - 120);
    Add(lists.lvwSpywareFound);
    SetCaption(SkinLabel7, "Section Progress:");
    SetCaption(SkinLabel8, "Overall Progress:");
    Place(SkinLabel7, page, 240, pb1Top, 1600, 240);
    Place(display.pb1, page, 1900, pb1Top, kPageWidth - 1900 - 240, 240);
    Place(SkinLabel8, page, 240, pb2Top, 1600, 240);
    Place(display.pb2, page, 1900, pb2Top, kPageWidth - 1900 - 240, 240);
    Place(display.pbgMain, page, 1900, pb1Top, kPageWidth - 1900 - 240, 240);
    display.pbgMain.Visible = false;
    for (ui::Control* control : std::initializer_list<ui::Control*>{
             &SkinLabel7, &display.pb1, &SkinLabel8, &display.pb2, &display.pbgMain})
        Add(*control);
    // Two status lines beside the button, one under the other.
    const int removeLeft = kPageWidth - 2200 - 240;
    Place(display.lblStatus, page, 240, removeTop, removeLeft - 360, 210);
    Place(lblStatus1, page, 240, removeTop + 210, removeLeft - 360, 210);
    lblStatus1.Visible = false;
    SetCaption(cmdRemove, "Continue to Overview");
    Place(cmdRemove, page, removeLeft, removeTop, 2200, 420);
    cmdRemove.Visible = false;
    for (ui::Control* control :
         std::initializer_list<ui::Control*>{&display.lblStatus, &lblStatus1, &cmdRemove})
        Add(*control);
}

void FrmMain::LayOutResultsPage() {
    ui::Frame* page = &frmResults;
    ui::ListView& results = lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    // From the bottom up: the removal's progress, which shows only while it runs, then the
    // buttons, then the list.
    const int captionTop = kPageHeight - 120 - 210, percentTop = captionTop - 100 - 210,
              barTop = percentTop - 5 - 240, buttonTop = barTop - 120 - 420;
    Place(results, page, 240, 300, kPageWidth - 480, buttonTop - 120 - 300);
    results.SmallIcons = &imgItems;
    lists.lvwSpywareFound.SmallIcons = &imgItems;
    Add(results);
    PlaceRow<ui::Button>({{&cmdSelectAll, "Select All"},
                          {&cmdExclude, "Exclude"},
                          {&cmdBrowse, "Browse"},
                          {&cmdFalsePos, "False positive"}},
                         page, 240, buttonTop, 1500, 420, 1620, 0, true);
    SetCaption(Command4, "Repair Now");
    const int repairLeft = kPageWidth - 240 - 1500;
    Place(Command4, page, repairLeft, buttonTop, 1500, 420);
    Add(Command4);
    SetCaption(display.lblRemovePicSoftwareFound, "0");
    Place(display.lblRemovePicSoftwareFound, page, repairLeft - 120 - 1000, buttonTop + 90, 1000,
          240);
    Add(display.lblRemovePicSoftwareFound);
    Place(pgbDeleteSpywaresFound, page, 240, barTop, kPageWidth - 720, 240);
    Place(lblDeletingPercentageCompleted, page, 240, percentTop, kPageWidth - 720, 210);
    Place(lblDeletingCaption, page, 240, captionTop, kPageWidth - 720, 210);
    for (ui::Control* control : std::initializer_list<ui::Control*>{
             &pgbDeleteSpywaresFound, &lblDeletingPercentageCompleted, &lblDeletingCaption}) {
        control->Visible = false;
        Add(*control);
    }
}

void FrmMain::LayOutOptionsPage() {
    ui::Frame* page = &frmOptions;
    TabStrip1.Tabs = {"Scan Options", "Proactive Protection", "Schedule", "Auto Update"};
    Place(TabStrip1, page, 0, 0, kPageWidth, kPageHeight);
    Add(TabStrip1);
    for (int i = 0; i < 4; ++i) {
        Place(frmView[i], page, 120, 360, kPageWidth - 240, kPageHeight - 420);
        frmView[i].Visible = i == 0;
        Add(frmView[i]);
    }
    // In the pages' bottom right corner, which no page uses.
    SetCaption(Command1, "Scan Now");
    Place(Command1, page, kPageWidth - 1440 - 240, kPageHeight - 420 - 180, 1440, 420);
    Add(Command1);

    // Scan Options.
    const int viewWidth = kPageWidth - 240;
    ui::Frame* view = &frmView[0];
    PlaceRow<ui::CheckBox>({{&chkSweepMemory, "Scan Proccesses and Files"},
                            {&chkScanRegistry, "Scan Windows Registry"},
                            {&chkScanCookies, "Scan Internet Cookies"},
                            {&chkMakeLog, "Save scan results to log"},
                            {&chkSendData, "Send anonymous data to help identify unknown spyware"}},
                           view, 120, 120, 5000, 300, 0, 360, true);
    SetCaption(fraScanType, "Scan Type");
    Place(fraScanType, view, 120, 2040, 3600, 1080);
    Add(fraScanType);
    SetCaption(optScanAllSelectedHardDrive, "Complete System Scan");
    SetCaption(optScanOnlyKnownSoftwares, "Quick Scan");
    Place(optScanAllSelectedHardDrive, &fraScanType, 120, 300, 3300, 300);
    Place(optScanOnlyKnownSoftwares, &fraScanType, 120, 660, 3300, 300);
    Add(optScanAllSelectedHardDrive);
    Add(optScanOnlyKnownSoftwares);
    SetCaption(fraDrives, "Drive Selection");
    Place(fraDrives, view, 3900, 2040, 3000, 2400);
    Add(fraDrives);
    Place(lists.lvwHardDrives, &fraDrives, 120, 300, 2760, 1980);
    // One column of drive letters, as wide as the list inside its border and scroll bar.
    lists.lvwHardDrives.ColumnHeaders.Edit()[0].Width = 2760 - 360;
    Add(lists.lvwHardDrives);

    // Proactive Protection.
    view = &frmView[1];
    SetCaption(fraHomePage, "Home Page Hijack Protection");
    Place(fraHomePage, view, 120, 120, viewWidth - 240, 1200);
    SetCaption(lblHomePageText, "Monitors you Internet Explorer homepage and notifies you if a "
                                "malicious application attempts to change it.");
    Place(lblHomePageText, &fraHomePage, 120, 300, viewWidth - 480, 480);
    SetCaption(chkHomePage, "Enable");
    Place(chkHomePage, &fraHomePage, 120, 800, 2000, 300);
    SetCaption(fraAutoProtect, "Auto-Protect");
    Place(fraAutoProtect, view, 120, 1440, viewWidth - 240, 1000);
    SetCaption(lblAutoProtectText, "Continuously monitors your system for malicious applications");
    Place(lblAutoProtectText, &fraAutoProtect, 120, 300, viewWidth - 480, 300);
    SetCaption(chkAutoProtect, "Enable");
    Place(chkAutoProtect, &fraAutoProtect, 120, 620, 2000, 300);
    SetCaption(fraRunAtStartup, "Run at Windows Startup");
    Place(fraRunAtStartup, view, 120, 2560, viewWidth - 240, 1000);
    SetCaption(chkRunAtStartup, "Run at Startup - Configured with installer");
    chkRunAtStartup.ToolTipText = "Click this option to automatically run at startup";
    chkRunAtStartup.Enabled = false;
    Place(chkRunAtStartup, &fraRunAtStartup, 120, 300, 5000, 300);
    SetCaption(lblRunAtStart, "(Disabled)");
    Place(lblRunAtStart, &fraRunAtStartup, 5200, 340, 3600, 300);
    for (ui::Control* control : std::initializer_list<ui::Control*>{
             &fraHomePage, &lblHomePageText, &chkHomePage, &fraAutoProtect, &lblAutoProtectText,
             &chkAutoProtect, &fraRunAtStartup, &chkRunAtStartup, &lblRunAtStart})
        Add(*control);
    // The shield option buttons are never shown; they hold the values the options load.
    SetCaption(lblRestoreQuestion, "When a change in my Home Page is detected:");
    PlaceRow<ui::OptionButton>(
        {{&optIEHomePageSheildOn, "Enabled"},
         {&optIEHomePageSheildOff, "Disabled"},
         {&optMemorySheildOn, "Enabled"},
         {&optMemorySheildOff, "Disabled"},
         {&optAlwaysnotifybeforerestoring, "Ask me what I would like to do"},
         {&optRestoredefaultwithoutnotification, "Silently restore my original home page"}},
        view, 120, 3700, 3000, 300, 0, 0, false);
    Place(lblRestoreQuestion, view, 120, 3700, 3000, 300);
    lblRestoreQuestion.Visible = false;
    Add(lblRestoreQuestion);

    // Schedule.
    view = &frmView[2];
    SetCaption(lblScheduleText, "Scheduled scans provide continuous protection for your computer "
                                "against malicious applications.");
    Place(lblScheduleText, view, 120, 120, viewWidth - 240, 480);
    SetCaption(chkAutomaticScanYesOrNo, "Enable Scheduled Scans");
    Place(chkAutomaticScanYesOrNo, view, 120, 700, 4000, 300);
    SetCaption(lblRunOn, "Run on:");
    Place(lblRunOn, view, 120, 1160, 1000, 300);
    for (const char* day : {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday",
                            "Sunday", "Daily", "Date & Time", "Never"})
        cmbDays.AddItem(day);
    Place(cmbDays, view, 1200, 1120, 2400, 300);
    SetCaption(lblDate, "Date:");
    Place(lblDate, view, 120, 1600, 1000, 300);
    // Both pickers can hold no value: a schedule needs a date only when it runs once.
    dtpScheduleDate.ShowNone = dtpScheduleTime.ShowNone = true;
    dtpScheduleDate.CustomFormat = "dd/MM/yyyy";
    Place(dtpScheduleDate, view, 1200, 1560, 2400, 330);
    SetCaption(lblTime, "Time:");
    Place(lblTime, view, 120, 2040, 1000, 300);
    dtpScheduleTime.TimeOnly = true;
    dtpScheduleTime.CustomFormat = "HH:mm:ss"; // 24-hour: the form has no AM/PM field
    Place(dtpScheduleTime, view, 1200, 2000, 2400, 330);
    SetCaption(CmdProceed, "Apply");
    Place(CmdProceed, view, 1200, 2520, 1100, 420);
    SetCaption(cmdDefaultSetting, "Reset");
    Place(cmdDefaultSetting, view, 2500, 2520, 1100, 420);
    SetCaption(chkAutoDel, "Delete spyware automatically after scheduled scan");
    Place(chkAutoDel, view, 120, 3120, 6000, 300);
    for (ui::Control* control : std::initializer_list<ui::Control*>{
             &lblScheduleText, &chkAutomaticScanYesOrNo, &lblRunOn, &cmbDays, &lblDate,
             &dtpScheduleDate, &lblTime, &dtpScheduleTime, &CmdProceed, &cmdDefaultSetting,
             &chkAutoDel})
        Add(*control);

    // Auto Update.
    view = &frmView[3];
    SetCaption(chkAutomaticUpdate, "Enable automatic Live update (recommended)");
    Place(chkAutomaticUpdate, view, 120, 120, 6000, 300);
    SetCaption(cmdLiveUpdate, "Run Live Update Now");
    Place(cmdLiveUpdate, view, 6300, 80, 2400, 420);
    cmdLiveUpdate.Visible = false;
    Place(lblLastUpdate, view, 120, 520, 6000, 300);
    lblLastUpdate.Visible = false;
    SetCaption(lblSubmitText, "Submit a file name for research:");
    Place(lblSubmitText, view, 120, 1000, 6000, 300);
    Place(txtFilename, view, 120, 1360, 5400, 330);
    SetCaption(Command2, "Browse");
    Place(Command2, view, 5640, 1320, 1200, 420);
    SetCaption(cmdSubmit, "Submit");
    Place(cmdSubmit, view, 6960, 1320, 1200, 420);
    SetCaption(Label26, "Results:");
    // Room for the longer outcome of a submission, which wraps.
    Place(Label26, view, 120, 1840, viewWidth - 240, 600);
    for (ui::Control* control : std::initializer_list<ui::Control*>{
             &chkAutomaticUpdate, &cmdLiveUpdate, &lblLastUpdate, &lblSubmitText, &txtFilename,
             &Command2, &cmdSubmit, &Label26})
        Add(*control);
}

void FrmMain::LayOutHiddenControls() {
    // The frame of invisible controls sits below the window's lower edge.
    Place(Frame, nullptr, 0, Height + 1000, 2000, 1000);
    Add(Frame);
    for (ui::Control* control : std::initializer_list<ui::Control*>{
             &shpCircle, &lblWebText, &display.lbltracesFound, &display.lblTotalNoOfRunningItems,
             &lists.lvwFilesToBeDeleted, &lists.lvwRegistryToBeDeleted, &lists.lvwCookiesToDelete,
             &lists.lvwFileNotFounds, &lists.lvwBlockedCookies}) {
        control->Container = &Frame;
        Add(*control);
    }
    imgItems.IconResources = {kCookieIcon, kRegistryIcon, kFileIcon, kFolderIcon, kExcludedIcon};
    Add(imgItems);
    for (ui::Timer* timer : {&tmrScheduler, &tmrCheckHomePage, &tmrMemoryInspected, &tmrTimeOut,
                             &tmrScroll, &tmrTime, &tmrCheckSignature, &timUpdate})
        Add(*timer);
    for (ui::Menu* menu :
         {&mnuFile, &mnuSettings, &mnuQuar, &mnuLanuages, &mnuHelp, &mnuAbout, &mnuDebug})
        Add(*menu);
    for (ui::Menu& item : mnuFileItem)
        Add(item);
    mnuFileItem[1].Visible = false;
    for (ui::Menu& item : mnuSettingsItem)
        Add(item);
    for (ui::Menu& item : mnuQuarItem)
        Add(item);
    // The test tools are for the developers only.
    mnuQuarItem[2].Visible = mnuQuarItem[3].Visible = false;
    Add(mnuLanguageItem);
    Add(mnuHelpItem);
    Add(mnuAboutItem);
    mnuDebug.Visible = false;
    for (ui::Menu& item : mnuDebugItem)
        Add(item);
}

void FrmMain::ConnectHandlers() {
    auto on = [this](void (FrmMain::*handler)()) {
        return [this, handler] { (this->*handler)(); };
    };
    cmdStatus.Click = on(&FrmMain::cmdStatus_Click);
    cmdScan.Click = on(&FrmMain::cmdScan_Click);
    cmdResults.Click = on(&FrmMain::cmdResults_Click);
    cmdSettings.Click = on(&FrmMain::cmdSettings_Click);
    cmdRemove.Click = on(&FrmMain::cmdRemove_Click);
    cmdLog.Click = [this] { mnuFileItem_Click(2); };
    cmdUpdate.Click = [this] { mnuFileItem_Click(4); };
    Command5.Click = [this] { mnuFileItem_Click(6); };
    Command1.Click = on(&FrmMain::Command1_Click);
    Command3.Click = on(&FrmMain::Command3_Click);
    cmdMainScan1.Click = on(&FrmMain::cmdMainScan1_Click);
    Command6.Click = on(&FrmMain::Command6_Click);
    Command7.Click = on(&FrmMain::Command7_Click);
    lblOptions.Click = on(&FrmMain::lblOptions_Click);
    lblResult.Click = on(&FrmMain::lblResult_Click);
    lblHide.Click = on(&FrmMain::lblHide_Click);
    lblHide.MouseMove = on(&FrmMain::lblHide_MouseMove);

    cmdScanNow.Click = on(&FrmMain::cmdScanNow_Click);
    cmdPause.Click = on(&FrmMain::cmdPause_Click);
    cmdStop.Click = on(&FrmMain::cmdStop_Click);
    lblStart.Click = on(&FrmMain::lblStart_Click);
    lblPause.Click = on(&FrmMain::lblPause_Click);
    lblStop.Click = on(&FrmMain::lblStop_Click);
    lblStart.MouseMove = on(&FrmMain::lblStart_MouseMove);
    lblPause.MouseMove = on(&FrmMain::lblPause_MouseMove);
    lblStop.MouseMove = on(&FrmMain::lblStop_MouseMove);
    lists.lvwHardDrives.ItemCheck = [this](ui::ListItem&) { lvwHardDrives_ItemCheck(); };

    chkSweepMemory.Click = on(&FrmMain::chkSweepMemory_Click);
    chkScanRegistry.Click = on(&FrmMain::chkScanRegistry_Click);
    chkScanCookies.Click = on(&FrmMain::chkScanCookies_Click);
    chkMakeLog.Click = on(&FrmMain::chkMakeLog_Click);
    chkAutomaticUpdate.Click = on(&FrmMain::chkAutomaticUpdate_Click);
    chkAutoDel.Click = on(&FrmMain::chkAutoDel_Click);
    chkAutoProtect.Click = on(&FrmMain::chkAutoProtect_Click);
    chkHomePage.Click = on(&FrmMain::chkHomePage_Click);
    chkRunAtStartup.Click = on(&FrmMain::chkRunAtStartup_Click);
    // Only the user's own toggle asks about anonymous data; the options' load does not.
    chkSendData.UserClick = on(&FrmMain::chkSendData_Click);
    optMemorySheildOn.Click = on(&FrmMain::optMemorySheildOn_Click);
    optMemorySheildOff.Click = on(&FrmMain::optMemorySheildOff_Click);
    optIEHomePageSheildOn.Click = on(&FrmMain::optIEHomePageSheildOn_Click);
    optIEHomePageSheildOff.Click = on(&FrmMain::optIEHomePageSheildOff_Click);
    optAlwaysnotifybeforerestoring.Click = on(&FrmMain::optAlwaysnotifybeforerestoring_Click);
    optRestoredefaultwithoutnotification.Click =
        on(&FrmMain::optRestoredefaultwithoutnotification_Click);
    optScanAllSelectedHardDrive.Click = on(&FrmMain::optScanAllSelectedHardDrive_Click);
    optScanOnlyKnownSoftwares.Click = on(&FrmMain::optScanOnlyKnownSoftwares_Click);
    TabStrip1.Click = on(&FrmMain::TabStrip1_Click);

    for (int i = 0; i < 9; ++i)
        mnuFileItem[i].Click = [this, i] { mnuFileItem_Click(i); };
    for (int i = 0; i < 4; ++i)
        mnuSettingsItem[i].Click = [this, i] { mnuSettingsItem_Click(i); };
    for (int i = 0; i < 4; ++i)
        mnuDebugItem[i].Click = [this, i] { mnuDebugItem_Click(i); };
    for (int i = 0; i < 4; ++i)
        mnuQuarItem[i].Click = [this, i] { mnuQuarItem_Click(i); };
    mnuLanguageItem.Click = on(&FrmMain::mnuLanguageItem_Click);
    mnuHelpItem.Click = on(&FrmMain::mnuHelpItem_Click);
    mnuAboutItem.Click = on(&FrmMain::mnuAboutItem_Click);
    tmrScroll.Tick = on(&FrmMain::tmrScroll_Timer);
    tmrTimeOut.Tick = on(&FrmMain::tmrTimeOut_Timer);
}
