// The main window: four pages (status, scan, results, options) stacked under a row of
// navigation buttons, its menus, and the timers of the shields, the scheduler and the update.
// Controls hidden in the design still exist and hold state and captions.
#pragma once

#include "Controls.h"
#include "Form.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "ScanSteps.h"

#include <array>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// What the main window reaches in the removal, protection and update subsystems, which fill
// these in at start-up. Until then each does nothing.
struct MainWindowLinks {
    MainWindowLinks();

    // Another copy of the program is running.
    std::function<bool()> PrevInstance;
    // Ends the process at once.
    std::function<void()> EndProcess;
    std::function<void()> InstallDownloadedDefinitions;
    std::function<void()> LoadScheduleSettings;
    // Loads the help window, one message-loop pass, unloads; true when the help file opened.
    std::function<bool()> ShowHelpOnce;
    std::function<void()> SendToTray;     // Command5_Click
    std::function<void()> RemoveTrayIcon; // the main window's icon leaves the notification area
    std::function<void()> RunLiveUpdate;  // cmdUpdate_Click
    // A mouse button pressed on Update Now (button, shift), and released.
    std::function<void(int button, int shift)> UpdateButtonMouseDown;
    std::function<void()> UpdateButtonMouseUp;
    std::function<void()> ClearDeleteFailedList;  // frmDelete hidden, its lstProblem emptied
    std::function<void()> LoadDeleteFailedWindow; // loaded and hidden at start-up
    std::function<void()> SelectAllResults;       // cmdSelectAll_Click
    std::function<void()> RunRemoval;             // Command4_Click
    std::function<void()> MakeReport;
    std::function<void()> SendProcessData;
    std::function<void()> ShowLanguageChooser; // modal
    std::function<void()> ViewLog;             // cmdLog_Click
    std::function<void()> ShowHelp;            // the Help menu
    std::function<void()> ShowAbout;
    std::function<void(int index)> QuarantineMenuItem; // mnuQuarItem_Click
    // The Debug menu's alert windows: start-page changed, definitions updated, threat found.
    std::function<void()> ShowDebugWindow[3];
};

// Runs a link that its subsystem has filled in; an empty one does nothing.
inline void RunLink(const std::function<void()>& link) {
    if (link)
        link();
}

class FrmMain : public ui::Form {
  public:
    FrmMain();
    ~FrmMain() override;

    // Start-up.
    void Form_Load() override;
    // The run-state values and the tray icon. A close during a long operation asks it to stop
    // and is carried out once it has unwound; the end of the session does not wait.
    void Form_QueryUnload(bool& cancel, int unloadMode) override;
    // Column widths and "Max", the secondary windows, and the end of the program.
    void Form_Unload(bool& cancel) override;
    // Lays the pages out for the new size; the taskbar button follows the window state.
    void Form_Resize() override;
    // The hidden "X" label: the unload without the run-state values.
    void lblHide_Click();
    void lblHide_MouseMove();

    // Scan driver.
    void cmdScanNow_Click();
    void lblStart_Click();
    void cmdMainScan1_Click();
    void Command3_Click();
    void SmartScan();
    void FullSystemScan();
    void FileScan(const std::string& path);
    void FolderScan(const std::string& path);
    void cmdPause_Click();
    void lblPause_Click();
    void cmdStop_Click();
    void lblStop_Click();
    void lblStart_MouseMove();
    void lblPause_MouseMove();
    void lblStop_MouseMove();
    void lvwHardDrives_ItemCheck();
    // True while a scan runs (cmdScanNow disabled).
    bool ScanRunning() const { return !cmdScanNow.Enabled; }

    // Pages and navigation.
    void HideAllPanels();
    void cmdStatus_Click();
    void cmdScan_Click();
    void cmdResults_Click();
    void cmdSettings_Click();
    void cmdRemove_Click();
    void Command1_Click();
    void Command6_Click();
    void Command7_Click();
    void lblOptions_Click();
    void lblResult_Click();
    void mnuFileItem_Click(int index);
    void mnuDebugItem_Click(int index);
    void mnuHelpItem_Click();
    void mnuAboutItem_Click();
    void mnuQuarItem_Click(int index);
    // Shows the language window modeless.
    void mnuLanguageItem_Click();
    void tmrScroll_Timer();
    void tmrTimeOut_Timer();
    void showitem() {}

    // Options and status.
    void LoadSettings();
    void UpdateStatusLabels();
    void ClearScanLinkHighlight();
    void chkSweepMemory_Click();
    void chkScanRegistry_Click();
    void chkScanCookies_Click();
    void chkMakeLog_Click();
    void chkAutomaticUpdate_Click();
    void chkAutoDel_Click();
    void chkAutoProtect_Click();
    void chkHomePage_Click();
    void chkRunAtStartup_Click();
    void chkSendData_Click();
    void optMemorySheildOn_Click();
    void optMemorySheildOff_Click();
    void optIEHomePageSheildOn_Click();
    void optIEHomePageSheildOff_Click();
    void optAlwaysnotifybeforerestoring_Click();
    void optRestoredefaultwithoutnotification_Click();
    void optScanAllSelectedHardDrive_Click();
    void optScanOnlyKnownSoftwares_Click();
    void TabStrip1_Click();
    void mnuSettingsItem_Click(int index);

    // Results page: sorting and opening an item.
    void lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ColumnClick(int column);
    void lvwSpywareFound_ColumnClick(int column);
    // selectedRow: the row the list has selected, or -1.
    void lvwPicRemoveListOfSpywareFoundAndToBeRemoved_DblClick(int selectedRow);

    MainWindowLinks Links;
    ScanSteps Steps;

    // The time the last scan started and ended, as date-time text.
    // Start-up sent the window to the tray, so the splash must not show it.
    bool StartedInTray = false;

    std::string ScanStartTime;
    std::string ScanEndTime;
    // Cookie files handed to the cookie scanner in this scan.
    int32_t CookieFileCount = 0;

    // Navigation buttons above the pages.
    ui::Button cmdStatus{"cmdStatus"}, cmdScan{"cmdScan"}, cmdResults{"cmdResults"},
        cmdSettings{"cmdSettings"}, cmdLog{"cmdLog"}, cmdUpdate{"cmdUpdate"}, Command5{"Command5"},
        cmdWebsite{"cmdWebsite"};
    // The label row, hidden in the design.
    ui::Label lblSweepNow{"lblSweepNow"}, lblRemove{"lblRemove"}, lblOptions{"lblOptions"},
        lblResult{"lblResult"}, lblExit{"lblExit"}, lblHide{"lblHide"};

    // Pages.
    ui::Frame frmStatus{"frmStatus"}, frmScan{"frmScan"}, frmResults{"frmResults"},
        frmOptions{"frmOptions"};
    ui::Frame Frame{"Frame"}; // holds the invisible controls

    // Status page.
    ui::Label Label22{"Label22"};
    ui::Label lblDefCount{"lblDefCount"}, lblVersion{"lblVersion"}, lblLastScan{"lblLastScan"},
        lblDefRemoved{"lblDefRemoved"}, lblLastFullScan{"lblLastFullScan"};
    ui::Label& lblDefVersion;
    ui::Label lblDefCountCaption{"lblDefCountCaption"},
        lblDefVersionCaption{"lblDefVersionCaption"}, lblVersionCaption{"lblVersionCaption"},
        lblLastScanCaption{"lblLastScanCaption"}, lblDefRemovedCaption{"lblDefRemovedCaption"},
        lblLastFullScanCaption{"lblLastFullScanCaption"};
    ui::Button Command3{"Command3"}, cmdMainScan1{"cmdMainScan1"}, Command6{"Command6"},
        Command7{"Command7"}, cmdHijack{"cmdHijack"};

    // Scan page.
    ui::OptionGroup scanModes;
    ui::OptionButton optScan[4] = {{"optScan", 0, scanModes},
                                   {"optScan", 1, scanModes},
                                   {"optScan", 2, scanModes},
                                   {"optScan", 3, scanModes}};
    ui::Button cmdScanNow{"cmdScanNow"};
    ui::Button& cmdPause;
    ui::Button& cmdStop;
    ui::Button cmdRemove{"cmdRemove"};
    ui::Label lblStart{"lblStart"}, lblPause{"lblPause"}, lblStop{"lblStop"};
    ui::Label lblViewLogFile{"lblViewLogFile"};
    ui::Label lblStatus1{"lblStatus", 1};
    ui::Label SkinLabel7{"SkinLabel7"}, SkinLabel8{"SkinLabel8"};
    // The counters' captions, each with a name of its own so a language names each one.
    ui::Label lblMemoryInspectedCaption{"lblMemoryInspectedCaption"},
        lblRegistryInspectedCaption{"lblRegistryInspectedCaption"},
        lblFilesFolderInspectedCaption{"lblFilesFolderInspectedCaption"},
        lblSoftwareFoundCaption{"lblSoftwareFoundCaption"};

    // Results page.
    ui::Button cmdSelectAll{"cmdSelectAll"}, cmdExclude{"cmdExclude"}, cmdFalsePos{"cmdFalsePos"},
        Command4{"Command4"}, cmdBrowse{"cmdBrowse"};
    ui::ProgressBar pgbDeleteSpywaresFound{"pgbDeleteSpywaresFound"};
    ui::Label lblDeletingPercentageCompleted{"lblDeletingPercentageCompleted"},
        lblDeletingCaption{"lblDeletingCaption"};

    // Options page.
    ui::TabStrip TabStrip1{"TabStrip1"};
    ui::Frame frmView[4] = {ui::Frame{"frmView", 0}, ui::Frame{"frmView", 1},
                            ui::Frame{"frmView", 2}, ui::Frame{"frmView", 3}};
    ui::Button Command1{"Command1"};
    ui::CheckBox chkSweepMemory{"chkSweepMemory"}, chkScanRegistry{"chkScanRegistry"},
        chkScanCookies{"chkScanCookies"}, chkMakeLog{"chkMakeLog"}, chkSendData{"chkSendData"};
    ui::Frame fraScanType{"fraScanType"}, fraDrives{"fraDrives"};
    ui::OptionGroup scanTypes;
    ui::OptionButton optScanAllSelectedHardDrive{"optScanAllSelectedHardDrive", -1, scanTypes},
        optScanOnlyKnownSoftwares{"optScanOnlyKnownSoftwares", -1, scanTypes};
    ui::Frame fraHomePage{"fraHomePage"}, fraAutoProtect{"fraAutoProtect"},
        fraRunAtStartup{"fraRunAtStartup"};
    ui::Label lblHomePageText{"lblHomePageText"}, lblAutoProtectText{"lblAutoProtectText"},
        lblRestoreQuestion{"lblRestoreQuestion"};
    ui::CheckBox chkHomePage{"chkHomePage"}, chkAutoProtect{"chkAutoProtect"},
        chkRunAtStartup{"chkRunAtStartup"};
    ui::Label lblRunAtStart{"lblRunAtStart"};
    ui::OptionGroup homePageShield, memoryShield, restoreBehaviour;
    ui::OptionButton optIEHomePageSheildOn{"optIEHomePageSheildOn", -1, homePageShield},
        optIEHomePageSheildOff{"optIEHomePageSheildOff", -1, homePageShield},
        optMemorySheildOn{"optMemorySheildOn", -1, memoryShield},
        optMemorySheildOff{"optMemorySheildOff", -1, memoryShield},
        optAlwaysnotifybeforerestoring{"optAlwaysnotifybeforerestoring", -1, restoreBehaviour},
        optRestoredefaultwithoutnotification{"optRestoredefaultwithoutnotification", -1,
                                             restoreBehaviour};
    // Schedule.
    ui::CheckBox chkAutomaticScanYesOrNo{"chkAutomaticScanYesOrNo"}, chkAutoDel{"chkAutoDel"};
    ui::Label lblScheduleText{"lblScheduleText"}, lblRunOn{"lblRunOn"}, lblDate{"lblDate"},
        lblTime{"lblTime"};
    ui::ComboBox cmbDays{"cmbDays"};
    ui::DTPicker dtpScheduleDate{"dtpScheduleDate"}, dtpScheduleTime{"dtpScheduleTime"};
    ui::Button CmdProceed{"CmdProceed"}, cmdDefaultSetting{"cmdDefaultSetting"};
    // Auto update and submissions.
    ui::CheckBox chkAutomaticUpdate{"chkAutomaticUpdate"};
    ui::Button cmdLiveUpdate{"cmdLiveUpdate"};
    ui::Label lblLastUpdate{"lblLastUpdate"};
    ui::Label lblSubmitText{"lblSubmitText"};
    ui::TextBox txtFilename{"txtFilename"};
    ui::Button Command2{"Command2"}, cmdSubmit{"cmdSubmit"};
    ui::Label Label26{"Label26"};

    // Invisible controls.
    ui::Label shpCircle{"shpCircle"};
    ui::Label lblWebText{"lblWebText"};
    ui::ImageList imgItems{"imgItems"};

    // Timers, all created off; start-up switches them as the settings say.
    ui::Timer tmrScheduler{"tmrScheduler", 10}, tmrCheckHomePage{"tmrCheckHomePage", 5000},
        tmrMemoryInspected{"tmrMemoryInspected", 2000}, tmrTimeOut{"tmrTimeOut", 30000},
        tmrScroll{"tmrScroll", 200}, tmrTime{"tmrTime", 1000},
        tmrCheckSignature{"tmrCheckSignature", 60000}, timUpdate{"timUpdate", 1000};

    // Menus.
    ui::Menu mnuFile{"mnuFile", -1, "&File"};
    ui::Menu mnuFileItem[9] = {{"mnuFileItem", 0, "Scan Now", &mnuFile},
                               {"mnuFileItem", 1, "Scan Results", &mnuFile},
                               {"mnuFileItem", 2, "View Log", &mnuFile},
                               {"mnuFileItem", 3, "-", &mnuFile},
                               {"mnuFileItem", 4, "Run Live Update", &mnuFile},
                               {"mnuFileItem", 5, "-", &mnuFile},
                               {"mnuFileItem", 6, "Minimize to Tray", &mnuFile},
                               {"mnuFileItem", 7, "-", &mnuFile},
                               {"mnuFileItem", 8, "Exit", &mnuFile}};
    ui::Menu mnuSettings{"mnuSettings", -1, "&Settings"};
    ui::Menu mnuSettingsItem[4] = {{"mnuSettingsItem", 0, "Scan Options", &mnuSettings},
                                   {"mnuSettingsItem", 1, "Proactive Protection", &mnuSettings},
                                   {"mnuSettingsItem", 2, "Schedule", &mnuSettings},
                                   {"mnuSettingsItem", 3, "Auto Update", &mnuSettings}};
    ui::Menu mnuQuar{"mnuQuar", -1, "&Quarantine"};
    ui::Menu mnuQuarItem[4] = {{"mnuQuarItem", 0, "View Quarantine", &mnuQuar},
                               {"mnuQuarItem", 1, "View Exclusions", &mnuQuar},
                               {"mnuQuarItem", 2, "TEST Generate Spyware Files", &mnuQuar},
                               {"mnuQuarItem", 3, "TEST Show remaining spyware files", &mnuQuar}};
    ui::Menu mnuLanuages{"mnuLanuages", -1, "&Languages"};
    ui::Menu mnuLanguageItem{"mnuLanguageItem", -1, "Change Language", &mnuLanuages};
    ui::Menu mnuHelp{"mnuHelp", -1, "&Help"};
    ui::Menu mnuHelpItem{"mnuHelpItem", -1, "View Help", &mnuHelp};
    ui::Menu mnuAbout{"mnuAbout", -1, "&About"};
    ui::Menu mnuAboutItem{"mnuAboutItem", -1, "About this software", &mnuAbout};
    ui::Menu mnuDebug{"mnuDebug", -1, "Debug"};
    ui::Menu mnuDebugItem[4] = {{"mnuDebugItem", 0, "Show Homepage Changed", &mnuDebug},
                                {"mnuDebugItem", 1, "Show SignatureUpdated", &mnuDebug},
                                {"mnuDebugItem", 2, "Show SpywareFound", &mnuDebug},
                                {"mnuDebugItem", 3, "Write Localization File", &mnuDebug}};

    // The scan page's progress display and the result lists live with the scanners.
    ScanProgressDisplay& display;
    ScanResultLists& lists;

  protected:
    void Control_MouseDown(ui::Control& control, int button, int shift, int x, int y) override;
    void Control_MouseUp(ui::Control& control, int button, int shift, int x, int y) override;
    void ListView_ColumnClick(ui::ListView& list, int column) override;
    void ListView_DblClick(ui::ListView& list, int selectedRow) override;

  private:
    // Gives each control its caption and places them in a row (or column) from left, top,
    // each step further on.
    template <typename T>
    void PlaceRow(std::initializer_list<std::pair<T*, const char*>> controls,
                  ui::Control* container, int left, int top, int width, int height, int stepX,
                  int stepY, bool visible) {
        for (const auto& [control, caption] : controls) {
            control->Caption = caption;
            control->Container = container;
            control->Move(left, top, width, height);
            control->Visible = visible;
            Add(*control);
            left += stepX;
            top += stepY;
        }
    }
    // A second copy ends at once, silently; true when it did (or, in tests, was told to).
    bool EndIfPrevInstance();
    void LayOutNavigation();
    void LayOutStatusPage();
    void LayOutScanPage();
    void LayOutResultsPage();
    void LayOutOptionsPage();
    void LayOutHiddenControls();
    void ConnectHandlers();

    // The least window in which every page keeps its margins and no control runs into another:
    // what the layout leaves in place, the least room of what it stretches, and what it keeps
    // at the pages' lower and right edges.
    void SetMinimumSize();
    int LeastStatusPage(int& width);
    int LeastScanPage(int& width);
    int LeastResultsPage(int& width);
    int LeastOptionsPage(int& width);
    // The controls placed directly on a container that show when it does.
    std::vector<const ui::Control*> ShownOn(const ui::Control& container) const;
    // Under the results page's buttons: the removal's bar and its two lines.
    int RemovalProgressHeight() const;
    // The options pages' frames and texts that span a page's width.
    std::array<ui::Control*, 5> OptionSpans();
    // The pages follow the window's size; every size and place stays non-negative.
    void ResizeControls();
    void ResizeStatusPage();
    void ResizeScanPage();
    void ResizeResultsPage();
    void ResizeOptionsPage();
    // Asks a running scan, removal, update or waiting alert to end early, as Stop does.
    void AskOperationsToStop();
    // While a long operation runs: asks it to stop and runs the close once it has unwound (one
    // waiting close per road). False when idle, and the close is the caller's to carry out.
    bool CloseWhenIdle(const void* road, std::function<void()> close);

    // The start page's quick buttons: the scan page in the given mode, and the scan.
    void ScanFromStartPage(int mode);
    // The buttons a running scan switches off, and Pause and Stop, which it switches on.
    void ShowScanRunning(bool running);
    void StartScanSequence();
    void RunChosenMode();
    // The start every mode shares; false when definition files are missing.
    bool BeginMode();
    void CompleteScan();
    void RunProcessAndRegistryPhases();
    void SetOverallShare();
    // After a scan step failed: the window and the timers as a finished scan leaves them.
    void RecoverFromFailedScan();

    bool connectedScanTest_ = false;
    // The scan has the shield timers switched off.
    bool scanSuspendedTimers_ = false;
    // Why the last scan's modes ended short: no file or folder chosen, definition files missing.
    bool nothingChosen_ = false;
    bool definitionsMissing_ = false;
};

// The one main window.
FrmMain& MainWindow();
