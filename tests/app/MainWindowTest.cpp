#include "MainWindowFixture.h"

#include "AnsiText.h"
#include "AppPath.h"
#include "CommonDialogs.h"
#include "MachineSettingsStore.h"
#include "PanelSwitching.h"
#include "ScriptedMessageBoxes.h"
#include "SettingsStore.h"
#include "TextRules.h"
#include "VersionInfo.h"
#include "modGlobals.h"
#include "modLorvane.h"

#include <windows.h>

#include <gtest/gtest.h>

using Calls = std::vector<std::string>;

class MainWindowTest : public MainWindowFixture {
  protected:
    MainWindowTest() { RecordSteps(); }

    std::vector<ui::Frame*> Pages() {
        return {&form->frmStatus, &form->frmScan, &form->frmResults, &form->frmOptions};
    }
    // The one visible page, or null when none or several are visible.
    ui::Frame* VisiblePage() {
        ui::Frame* shown = nullptr;
        for (ui::Frame* page : Pages())
            if (page->Visible) {
                if (shown)
                    return nullptr;
                shown = page;
            }
        return shown;
    }
};

TEST_F(MainWindowTest, ShieldTimersFollowTheSettingsAndNest) {
    form->tmrTimeOut.Enabled = true;
    modGenDec::EnableShieldTimers(*form, true);
    // A fresh store: no schedule, both shields on; the time-out timer is left alone.
    EXPECT_FALSE(form->tmrScheduler.Enabled);
    EXPECT_TRUE(form->tmrCheckHomePage.Enabled);
    EXPECT_TRUE(form->tmrMemoryInspected.Enabled);
    EXPECT_TRUE(form->tmrTimeOut.Enabled);

    Store("OptionAndSettings", "chkAutomaticScanYesOrNo", "1");
    Store("OptionAndSettings", "optIEHomePageSheildOn", "garbage"); // counts as its default
    Store("OptionAndSettings", "optMemorySheildOn", "0");
    {
        modGenDec::ShieldTimersOff outer(*form);
        EXPECT_FALSE(form->tmrTimeOut.Enabled);
        { modGenDec::ShieldTimersOff inner(*form); }
        // The inner operation's end leaves them off while the outer one still runs.
        EXPECT_FALSE(form->tmrScheduler.Enabled);
        EXPECT_FALSE(form->tmrCheckHomePage.Enabled);
    }
    EXPECT_TRUE(form->tmrScheduler.Enabled);
    EXPECT_TRUE(form->tmrCheckHomePage.Enabled);
    EXPECT_FALSE(form->tmrMemoryInspected.Enabled);
    EXPECT_FALSE(form->tmrTimeOut.Enabled);
}

TEST_F(MainWindowTest, NavigationShowsOnePageAndTheQuickButtonsStartTheirMode) {
    const std::pair<void (FrmMain::*)(), ui::Frame*> table[] = {
        {&FrmMain::cmdStatus_Click, &form->frmStatus},
        {&FrmMain::cmdScan_Click, &form->frmScan},
        {&FrmMain::cmdSettings_Click, &form->frmOptions},
        {&FrmMain::cmdResults_Click, &form->frmResults},
        {&FrmMain::Command1_Click, &form->frmScan},
        {&FrmMain::cmdRemove_Click, &form->frmResults}};
    for (const auto& [handler, page] : table) {
        (form.get()->*handler)();
        EXPECT_EQ(VisiblePage(), page) << page->Name;
    }
    EXPECT_TRUE(calls.empty()); // chkSendData is unticked: nothing sent

    ui::SetOpenFileDialogHandler([] { return std::string(); });
    form->Command6_Click();
    EXPECT_TRUE(form->optScan[2].Value());
    EXPECT_EQ(VisiblePage(), &form->frmScan);
    EXPECT_EQ(calls.front(), "ClearDeleteFailedList"); // a scan ran
    ui::SetOpenFileDialogHandler(nullptr);

    form->cmdSettings_Click();
    form->lblOptions_Click();
    EXPECT_EQ(VisiblePage(), &form->frmOptions);
    EXPECT_FALSE(form->lblOptions.Enabled);
    EXPECT_TRUE(form->lblResult.Enabled);
    form->tmrScroll.Enabled = true;
    form->lblResult_Click();
    EXPECT_FALSE(form->tmrScroll.Enabled);
    EXPECT_FALSE(form->lblResult.Enabled);
    EXPECT_TRUE(form->lblOptions.Enabled);
}

TEST_F(MainWindowTest, ResultsPageSendsProcessNamesOnlyWhenEmptyAndChosen) {
    form->chkSendData.SetValue(1);
    form->cmdResults_Click();
    form->cmdResults_Click();
    EXPECT_EQ(calls, (Calls{"SendProcessData", "SendProcessData"}));
    form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Add("row");
    form->cmdResults_Click();
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(MainWindowTest, OptionsSaveTheirValueTheMomentTheyChange) {
    form->chkSweepMemory.SetValue(1);
    EXPECT_EQ(Stored("OptionAndSettings", "chkSweepMemory"), "1");
    form->chkSweepMemory.SetValue(0);
    EXPECT_EQ(Stored("OptionAndSettings", "chkSweepMemory"), "0");
    form->chkAutoDel.SetValue(1);
    EXPECT_EQ(Stored("Settings", "chkAutoDel"), "1");

    form->optMemorySheildOn.SetValue(true);
    EXPECT_TRUE(form->tmrMemoryInspected.Enabled);
    form->optMemorySheildOff.SetValue(true);
    EXPECT_EQ(Stored("OptionAndSettings", "optMemorySheildOn"), "False");
    EXPECT_EQ(Stored("OptionAndSettings", "optMemorySheildOff"), "True");
    EXPECT_FALSE(form->tmrMemoryInspected.Enabled);

    form->chkHomePage.SetValue(1);
    EXPECT_TRUE(form->tmrCheckHomePage.Enabled);
    EXPECT_TRUE(form->optAlwaysnotifybeforerestoring.Enabled);
    form->chkHomePage.SetValue(0);
    EXPECT_EQ(Stored("OptionAndSettings", "optIEHomePageSheildOn"), "False");
    EXPECT_EQ(Stored("OptionAndSettings", "optIEHomePageSheildOff"), "True");
    EXPECT_FALSE(form->tmrCheckHomePage.Enabled);
    EXPECT_FALSE(form->optRestoredefaultwithoutnotification.Enabled);

    form->optScanOnlyKnownSoftwares.SetValue(true);
    EXPECT_FALSE(form->lists.lvwHardDrives.Visible);
    EXPECT_EQ(Stored("OptionAndSettings", "optScanOnlyKnownSoftwares"), "True");
    EXPECT_EQ(Stored("OptionAndSettings", "optScanAllSelectedHardDrive"), "False");

    form->mnuSettingsItem_Click(2);
    EXPECT_EQ(VisiblePage(), &form->frmOptions);
    EXPECT_EQ(form->TabStrip1.SelectedIndex(), 2);
    EXPECT_TRUE(form->frmView[2].Visible);
    EXPECT_FALSE(form->frmView[0].Visible);
}

TEST_F(MainWindowTest, UntickingAnonymousDataAsksFirstWhateverTheInput) {
    form->chkSendData.SetValue(1);
    EXPECT_EQ(Stored("OptionAndSettings", "chkSendData"), "<none>"); // code asks nothing
    ScriptedMessageBoxes boxes;
    boxes.Expect(IDNO);
    form->chkSendData.UserToggle();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].prompt, "MSG_ANON1\r\n\r\nMSG_ANON2\r\n\r\nMSG_ANON3");
    EXPECT_EQ(boxes.Shown()[0].title, "MSG_ANON4");
    EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(form->chkSendData.Value(), 1);
    EXPECT_EQ(Stored("OptionAndSettings", "chkSendData"), "1");
    boxes.Expect(IDYES);
    form->chkSendData.UserToggle();
    EXPECT_EQ(Stored("OptionAndSettings", "chkSendData"), "0");
    form->chkSendData.UserToggle(); // ticking asks nothing
    EXPECT_EQ(Stored("OptionAndSettings", "chkSendData"), "1");
    EXPECT_EQ(boxes.Shown().size(), 2u);
}

namespace {

const wchar_t* const kRunKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Removes a Run value from both registry views when the test ends, however it ends: the system
// would start it at boot.
struct RunValueRemover {
    HKEY root;
    std::string name;
    ~RunValueRemover() {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            HKEY run;
            if (RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE | view, &run) == ERROR_SUCCESS) {
                RegDeleteValueW(run, Utf8ToWide(name).c_str());
                RegCloseKey(run);
            }
        }
    }
};

// The value in one registry view.
std::wstring RunValue(HKEY root, const std::string& name, REGSAM view = KEY_WOW64_32KEY) {
    HKEY run;
    if (RegOpenKeyExW(root, kRunKey, 0, KEY_QUERY_VALUE | view, &run) != ERROR_SUCCESS)
        return L"<none>";
    wchar_t data[1024] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t), type = 0;
    const LONG status = RegQueryValueExW(run, Utf8ToWide(name).c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(run);
    return status == ERROR_SUCCESS && type == REG_SZ ? data : L"<none>";
}

} // namespace

TEST_F(MainWindowTest, RunAtStartupWritesTheQuotedProgramPathAndRemovesIt) {
    const std::string name = AppPath::ExeName();
    const RunValueRemover remover{HKEY_LOCAL_MACHINE, name};
    form->chkRunAtStartup.SetValue(1);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE, name), L"\"" + Utf8ToWide(OwnExecutablePath()) + L"\"");
    // Where the 32-bit program kept it, whichever build wrote it.
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE, name, KEY_WOW64_64KEY), L"<none>");
    EXPECT_EQ(Stored("OptionAndSettings", "chkRunAtStartup"), "1");
    form->chkRunAtStartup.SetValue(0);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE, name), L"<none>");
}

TEST_F(MainWindowTest, RunAtStartupStatusLooksForTheProductsValue) {
    const RunValueRemover remover{HKEY_CURRENT_USER, kTestProduct};
    HKEY run;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &run, nullptr),
              ERROR_SUCCESS);
    auto setValue = [&](const std::wstring& data) {
        RegSetValueExW(run, Utf8ToWide(kTestProduct).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    };
    setValue(L"C:\\elsewhere\\other.exe");
    form->LoadSettings();
    EXPECT_EQ(form->lblRunAtStart.Caption, "(Disabled - Run Manually)");
    setValue(L"\"C:\\Program Files\\" + Utf8ToWide(TextRules::ToUpper(AppPath::ExeName())) +
             L".EXE\"");
    form->LoadSettings();
    EXPECT_EQ(form->lblRunAtStart.Caption, "(Enabled - This User)");
    RegCloseKey(run);
}

TEST_F(MainWindowTest, RunAtStartupStatusReadsTheViewTheProgramWritesIn) {
    const RunValueRemover remover{HKEY_LOCAL_MACHINE, kTestProduct};
    const std::wstring data = L"\"C:\\Program Files\\" + Utf8ToWide(AppPath::ExeName()) + L".exe\"";
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY run;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_SET_VALUE | view,
                                  nullptr, &run, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(run, Utf8ToWide(kTestProduct).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(run);
        form->LoadSettings();
        EXPECT_EQ(form->lblRunAtStart.Caption,
                  view == KEY_WOW64_32KEY ? "(Enabled - All Users)" : "(Disabled - Run Manually)");
    }
}

TEST_F(MainWindowTest, LoadSettingsOnAFreshStore) {
    form->lists.lvwHardDrives.Add("C");
    form->lists.lvwHardDrives.Add("D");
    Store("Drives", "C", "False");
    int itemChecks = 0;
    form->lists.lvwHardDrives.ItemCheck = [&](ui::ListItem&) { ++itemChecks; };
    form->LoadSettings();

    for (ui::CheckBox* box :
         {&form->chkSweepMemory, &form->chkScanRegistry, &form->chkScanCookies, &form->chkMakeLog,
          &form->chkSendData, &form->chkAutomaticUpdate, &form->chkHomePage, &form->chkAutoProtect})
        EXPECT_EQ(box->Value(), 1) << box->Name;
    EXPECT_EQ(form->chkRunAtStartup.Value(), 0);
    EXPECT_EQ(form->chkAutomaticScanYesOrNo.Value(), 0);
    EXPECT_FALSE(form->cmbDays.Enabled);
    EXPECT_FALSE(form->dtpScheduleDate.Enabled);
    EXPECT_TRUE(form->optAlwaysnotifybeforerestoring.Value());
    // Quick Scan is chosen at every start.
    EXPECT_TRUE(form->optScanOnlyKnownSoftwares.Value());
    EXPECT_EQ(Stored("OptionAndSettings", "optScanAllSelectedHardDrive"), "False");
    // The handlers ran: the loaded options are saved again.
    EXPECT_EQ(Stored("OptionAndSettings", "chkScanCookies"), "1");
    EXPECT_EQ(Stored("OptionAndSettings", "optMemorySheildOn"), "True");
    EXPECT_EQ(Stored("OptionAndSettings", "SHOW"), "True");
    EXPECT_EQ(Stored("OptionAndSettings", "chkSendData"), "<none>");
    EXPECT_EQ(Stored("OptionAndSettings", "chkRunAtStartup"), "<none>");
    // Drive ticks restored exactly, without the tick handler storing them again.
    EXPECT_FALSE(form->lists.lvwHardDrives.Item(0).Checked);
    EXPECT_TRUE(form->lists.lvwHardDrives.Item(1).Checked);
    EXPECT_EQ(itemChecks, 0);
    EXPECT_EQ(Stored("Drives", "D"), "<none>");
    for (const ui::ColumnHeader& column :
         form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.ColumnHeaders)
        EXPECT_EQ(column.Width, 1400);
    EXPECT_EQ(form->lblLastUpdate.Caption, "Signatures Last Updated On 3/16/2006 12:00:00 AM PST");
}

TEST_F(MainWindowTest, LoadSettingsKeepsAControlWhoseValueDoesNotConvert) {
    Store("OptionAndSettings", "chkScanCookies", "often");
    Store("OptionAndSettings", "chkMakeLog", "0");
    Store("OptionAndSettings", "optMemorySheildOn", "False");
    Store("OptionAndSettings", "chkAutomaticScanYesOrNo", "1");
    form->LoadSettings();
    EXPECT_EQ(form->chkScanCookies.Value(), 0);
    EXPECT_EQ(form->chkMakeLog.Value(), 0);
    EXPECT_EQ(form->chkAutoProtect.Value(), 0);
    EXPECT_TRUE(form->cmbDays.Enabled);
    EXPECT_TRUE(form->tmrScheduler.Enabled);
}

TEST_F(MainWindowTest, LoadSettingsLeavesScheduleAndDrivesAloneForTextsThatDoNotConvert) {
    const struct {
        const char* stored;
        bool scheduleOn; // the schedule controls and the timer, which start enabled here
        bool driveTicked;
    } rows[] = {
        {"1", true, true},   {"0", false, false}, {"on", true, true}, {"nan", true, true},
        {"inf", true, true}, {"-1", true, true},  {"", true, true},
    };
    for (const auto& row : rows) {
        form = std::make_unique<FrmMain>();
        form->tmrScheduler.Enabled = true;
        form->lists.lvwHardDrives.Clear(); // the lists outlive the window
        form->lists.lvwHardDrives.Add("C").Checked = true;
        Store("OptionAndSettings", "chkAutomaticScanYesOrNo", row.stored);
        Store("Drives", "C", std::string(row.stored) == "1" ? "True" : row.stored);
        form->LoadSettings();
        for (const ui::Control* control : std::initializer_list<const ui::Control*>{
                 &form->dtpScheduleDate, &form->dtpScheduleTime, &form->cmbDays,
                 &form->tmrScheduler})
            EXPECT_EQ(control->Enabled, row.scheduleOn) << row.stored << " " << control->Name;
        EXPECT_EQ(form->lists.lvwHardDrives.Item(0).Checked, row.driveTicked) << row.stored;
    }
}

TEST_F(MainWindowTest, StatusPanelOnAFreshStore) {
    modGlobals::DefinitionCount = 1234567;
    form->UpdateStatusLabels();
    EXPECT_EQ(form->lblDefCount.Caption, "1,234,567");
    EXPECT_EQ(form->lblDefVersion.Caption, "3/16/2006 12:00:00 AM PST");
    EXPECT_EQ(form->lblDefRemoved.Caption, "0");
    EXPECT_EQ(form->lblLastScan.Caption, "Never");
    EXPECT_EQ(form->lblLastFullScan.Caption, "Never");
    EXPECT_EQ(form->lblVersion.Caption, ProgramVersion());
    data.WriteFile("date.dat", "12/1/2026 3:04:05 PM\r\nignored\r\n");
    form->UpdateStatusLabels();
    EXPECT_EQ(form->lblDefVersion.Caption, "12/1/2026 3:04:05 PM PST");
}

TEST_F(MainWindowTest, OptionsSurviveARestart) {
    form->LoadSettings();
    form->chkScanCookies.UserToggle();
    form->chkHomePage.UserToggle();
    form->chkAutomaticUpdate.UserToggle();
    form->lists.lvwHardDrives.Add("C");
    form->lists.lvwHardDrives.UserCheck(0, false);

    FrmMain restarted;
    restarted.lists.lvwHardDrives.Item(0).Checked = true;
    restarted.LoadSettings();
    EXPECT_EQ(restarted.chkScanCookies.Value(), 0);
    EXPECT_EQ(restarted.chkHomePage.Value(), 0);
    EXPECT_EQ(restarted.chkAutomaticUpdate.Value(), 0);
    EXPECT_EQ(restarted.chkSweepMemory.Value(), 1);
    EXPECT_FALSE(restarted.tmrCheckHomePage.Enabled);
    EXPECT_FALSE(restarted.optAlwaysnotifybeforerestoring.Enabled);
    EXPECT_FALSE(restarted.lists.lvwHardDrives.Item(0).Checked);
}
