// The options page, which saves every option the moment it changes, and the status panel.
#include "FrmMain.h"

#include "AnsiText.h"
#include "AppPath.h"
#include "DefinitionsDate.h"
#include "MessageBox.h"
#include "ModRegistryRelated.h"
#include "PanelSwitching.h"
#include "ScanMessages.h"
#include "SettingsStore.h"
#include "TextRules.h"
#include "VersionInfo.h"
#include "modGlobals.h"
#include "modLorvane.h"

#include <windows.h>

namespace {

const char* const kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

void SaveOption(const std::string& key, const std::string& value) {
    SaveProgramSetting("OptionAndSettings", key, value);
}

std::string CheckText(const ui::CheckBox& box) {
    return std::to_string(box.Value());
}

std::string OptionText(const ui::OptionButton& button) {
    return TextRules::FromBool(button.Value());
}

// A check box takes the stored value as a number; one that does not convert leaves it alone.
void LoadCheck(ui::CheckBox& box, const std::string& section, const std::string& key,
               const std::string& defaultText) {
    const std::string text = GetProgramSetting(section, key, defaultText);
    const long value = TextRules::ToLong(text, 0);
    if (value == TextRules::ToLong(text, 1))
        box.SetValue(static_cast<int>(value));
}

// An option button takes the stored text as a truth value; anything else leaves it alone.
void LoadOption(ui::OptionButton& button, const std::string& key, const std::string& defaultText) {
    const std::string text = GetProgramSetting("OptionAndSettings", key, defaultText);
    const bool value = TextRules::ToBool(text, false);
    if (value == TextRules::ToBool(text, true))
        button.SetValue(value);
}

// True when the Run key under the root holds a text value named after the product whose
// text names this executable. Read in the view the program writes its own value in.
bool IsRunAtStartup(HKEY root) {
    HKEY key;
    if (RegOpenKeyExW(root, Utf8ToWide(std::string(kRunKey) + "\\").c_str(), 0,
                      KEY_READ | ModRegistryRelated::RegistryView, &key) != ERROR_SUCCESS)
        return false;
    const std::wstring name = Utf8ToWide(TextRules::Trim(modLorvane::ProgramName));
    DWORD type = 0, size = 0;
    bool found = false;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ && size > 0) {
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        DWORD read = size;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &read) == ERROR_SUCCESS) {
            data.resize(wcsnlen(data.c_str(), data.size()));
            found =
                TextRules::Contains(WideToUtf8(data), AppPath::ExeName(), TextRules::Compare::Text);
        }
    }
    RegCloseKey(key);
    return found;
}

// A whole number grouped as the locale groups digits ("3;2;0" is the number 32 to the platform).
std::string GroupedNumber(long value) {
    wchar_t thousand[8] = L",", decimal[] = L".", grouping[16] = L"3;0", grouped[64] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand, 8);
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, grouping, 16);
    std::wstring digits;
    for (const wchar_t* c = grouping; *c; ++c)
        if (iswdigit(*c))
            digits += *c;
    if (digits.size() > 1 && digits.back() == L'0')
        digits.pop_back();
    else
        digits += L'0';
    NUMBERFMTW format = {0, 1, static_cast<UINT>(std::stoul(digits)), decimal, thousand, 1};
    if (!GetNumberFormatW(LOCALE_USER_DEFAULT, 0, std::to_wstring(value).c_str(), &format, grouped,
                          64))
        return std::to_string(value);
    return WideToUtf8(grouped);
}

} // namespace

bool IsRunAtStartupMachine() {
    return IsRunAtStartup(HKEY_LOCAL_MACHINE);
}
bool IsRunAtStartupUser() {
    return IsRunAtStartup(HKEY_CURRENT_USER);
}

void FrmMain::chkSweepMemory_Click() {
    SaveOption("chkSweepMemory", CheckText(chkSweepMemory));
}

void FrmMain::chkScanRegistry_Click() {
    SaveOption("chkScanRegistry", CheckText(chkScanRegistry));
}

void FrmMain::chkScanCookies_Click() {
    SaveOption("chkScanCookies", CheckText(chkScanCookies));
}

void FrmMain::chkMakeLog_Click() {
    SaveOption("chkMakeLog", CheckText(chkMakeLog));
}

void FrmMain::chkAutomaticUpdate_Click() {
    SaveOption("chkAutomaticUpdate", CheckText(chkAutomaticUpdate));
}

void FrmMain::chkAutoDel_Click() {
    SaveProgramSetting("Settings", "chkAutoDel", CheckText(chkAutoDel));
}

void FrmMain::optAlwaysnotifybeforerestoring_Click() {
    SaveOption("optAlwaysnotifybeforerestoring", OptionText(optAlwaysnotifybeforerestoring));
    SaveOption("optRestoredefaultwithoutnotification",
               OptionText(optRestoredefaultwithoutnotification));
}

void FrmMain::optRestoredefaultwithoutnotification_Click() {
    optAlwaysnotifybeforerestoring_Click();
}

void FrmMain::chkAutoProtect_Click() {
    const bool on = chkAutoProtect.Value() != 0;
    SaveOption("optMemorySheildOn", TextRules::FromBool(on));
    SaveOption("optMemorySheildOff", TextRules::FromBool(!on));
    tmrMemoryInspected.Enabled = chkAutoProtect.Value() == 1;
}

void FrmMain::optMemorySheildOn_Click() {
    SaveOption("optMemorySheildOn", OptionText(optMemorySheildOn));
    SaveOption("optMemorySheildOff", OptionText(optMemorySheildOff));
    tmrMemoryInspected.Enabled = true;
}

void FrmMain::optMemorySheildOff_Click() {
    SaveOption("optMemorySheildOn", OptionText(optMemorySheildOn));
    SaveOption("optMemorySheildOff", OptionText(optMemorySheildOff));
    tmrMemoryInspected.Enabled = false;
}

namespace {

void SwitchHomePageShield(FrmMain& form, bool on) {
    form.tmrCheckHomePage.Enabled = on;
    form.optAlwaysnotifybeforerestoring.Enabled = on;
    form.optRestoredefaultwithoutnotification.Enabled = on;
}

} // namespace

void FrmMain::chkHomePage_Click() {
    const bool on = chkHomePage.Value() != 0;
    SaveOption("optIEHomePageSheildOn", TextRules::FromBool(on));
    SaveOption("optIEHomePageSheildOff", TextRules::FromBool(!on));
    SwitchHomePageShield(*this, chkHomePage.Value() == 1);
}

void FrmMain::optIEHomePageSheildOn_Click() {
    SaveOption("optIEHomePageSheildOn", OptionText(optIEHomePageSheildOn));
    SaveOption("optIEHomePageSheildOff", OptionText(optIEHomePageSheildOff));
    SwitchHomePageShield(*this, true);
}

void FrmMain::optIEHomePageSheildOff_Click() {
    SaveOption("optIEHomePageSheildOn", OptionText(optIEHomePageSheildOn));
    SaveOption("optIEHomePageSheildOff", OptionText(optIEHomePageSheildOff));
    SwitchHomePageShield(*this, false);
}

void FrmMain::optScanAllSelectedHardDrive_Click() {
    SaveOption("optScanOnlyKnownSoftwares", OptionText(optScanOnlyKnownSoftwares));
    SaveOption("optScanAllSelectedHardDrive", OptionText(optScanAllSelectedHardDrive));
    lists.lvwHardDrives.Visible = true;
}

void FrmMain::optScanOnlyKnownSoftwares_Click() {
    SaveOption("optScanOnlyKnownSoftwares", OptionText(optScanOnlyKnownSoftwares));
    SaveOption("optScanAllSelectedHardDrive", OptionText(optScanAllSelectedHardDrive));
    lists.lvwHardDrives.Visible = false;
}

void FrmMain::chkRunAtStartup_Click() {
    SaveOption("chkRunAtStartup", CheckText(chkRunAtStartup));
    const int32_t machine = ModRegistryRelated::GetRootKey("2");
    if (chkRunAtStartup.Value() == 1)
        // Quoted, so a program folder with blanks in it still starts the program.
        ModRegistryRelated::SetRegistryValue(machine, kRunKey, AppPath::ExeName(),
                                             "\"" + OwnExecutablePath() + "\"");
    else
        ModRegistryRelated::DeleteRegistryValue(machine, kRunKey, AppPath::ExeName());
}

void FrmMain::chkSendData_Click() {
    if (chkSendData.Value() == 0) {
        const std::string question = ScanMessage("MSG_ANON1") + "\r\n\r\n" +
                                     ScanMessage("MSG_ANON2") + "\r\n\r\n" +
                                     ScanMessage("MSG_ANON3");
        if (ui::MsgBox(question, MB_YESNO | MB_ICONQUESTION, ScanMessage("MSG_ANON4")) == IDNO)
            chkSendData.SetValue(1);
    }
    SaveOption("chkSendData", CheckText(chkSendData));
}

void FrmMain::TabStrip1_Click() {
    for (int i = 0; i < 4; ++i)
        frmView[i].Visible = i == TabStrip1.SelectedIndex();
}

void FrmMain::mnuSettingsItem_Click(int index) {
    cmdSettings_Click();
    if (index >= 0 && index <= 3)
        TabStrip1.SetSelectedIndex(index);
}

void FrmMain::ClearScanLinkHighlight() {
    lblStart.FontItalic = lblPause.FontItalic = lblStop.FontItalic = false;
    SetCursor(LoadCursorW(nullptr, cmdScan.Enabled ? IDC_ARROW : IDC_WAIT));
}

void FrmMain::LoadSettings() {
    SaveOption("SHOW", "True");
    LoadOption(optIEHomePageSheildOn, "optIEHomePageSheildOn", "True");
    chkHomePage.SetValue(optIEHomePageSheildOn.Value() ? 1 : 0);
    LoadCheck(chkMakeLog, "OptionAndSettings", "chkMakeLog", "1");
    LoadOption(optIEHomePageSheildOff, "optIEHomePageSheildOff", "False");
    LoadOption(optAlwaysnotifybeforerestoring, "optAlwaysnotifybeforerestoring", "True");
    LoadOption(optRestoredefaultwithoutnotification, "optRestoredefaultwithoutnotification",
               "False");
    LoadOption(optMemorySheildOn, "optMemorySheildOn", "True");
    chkAutoProtect.SetValue(optMemorySheildOn.Value() ? 1 : 0);
    LoadOption(optMemorySheildOff, "optMemorySheildOff", "False");
    LoadCheck(chkSweepMemory, "OptionAndSettings", "chkSweepMemory", "1");
    LoadCheck(chkScanRegistry, "OptionAndSettings", "chkScanRegistry", "1");
    LoadOption(optScanAllSelectedHardDrive, "optScanAllSelectedHardDrive", "True");
    // Every start begins with Quick Scan chosen, whatever was stored.
    optScanOnlyKnownSoftwares.SetValue(true);

    const bool firstRunOfEdition = modLorvane::ProgramName == "Dravenholt" &&
                                   GetProgramSetting("Settings", "ranOneTime", "0") == "0";
    LoadCheck(chkRunAtStartup, "OptionAndSettings", "chkRunAtStartup",
              firstRunOfEdition ? "1" : "0");
    if (firstRunOfEdition)
        SaveProgramSetting("Settings", "ranOneTime", "1");

    lblRunAtStart.Caption = IsRunAtStartupMachine() ? "(Enabled - All Users)"
                            : IsRunAtStartupUser()  ? "(Enabled - This User)"
                                                    : "(Disabled - Run Manually)";
    LoadCheck(chkScanCookies, "OptionAndSettings", "chkScanCookies", "1");
    LoadCheck(chkSendData, "OptionAndSettings", "chkSendData", "1");
    lblLastUpdate.Caption = "Signatures Last Updated On " + ReadDefinitionsDate() + " PST";

    LoadCheck(chkAutomaticScanYesOrNo, "OptionAndSettings", "chkAutomaticScanYesOrNo", "0");
    const std::string scheduled =
        GetProgramSetting("OptionAndSettings", "chkAutomaticScanYesOrNo", "0");
    if (const long on = TextRules::ToLong(scheduled, 0); on == TextRules::ToLong(scheduled, 1))
        dtpScheduleDate.Enabled = dtpScheduleTime.Enabled = tmrScheduler.Enabled = cmbDays.Enabled =
            on != 0;

    LoadCheck(chkAutomaticUpdate, "OptionAndSettings", "chkAutomaticUpdate", "1");
    for (size_t i = 0; i < lists.lvwHardDrives.Count(); ++i) {
        ui::ListItem& row = lists.lvwHardDrives.Item(i);
        row.Checked = TextRules::ToBool(GetProgramSetting("Drives", row.Text, "True"), row.Checked);
    }
    ui::ListView& results = lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    std::vector<ui::ColumnHeader> columns = results.ColumnHeaders;
    for (size_t i = 0; i < columns.size(); ++i)
        columns[i].Width = static_cast<int>(TextRules::ToLong(
            GetProgramSetting("Settings", "FoundCol2" + std::to_string(i + 1), "1400"),
            columns[i].Width));
    results.ColumnHeaders = std::move(columns);
    if (GetProgramSetting("Settings", "Max", "0") == "1")
        SetWindowState(ui::vbMaximized);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void FrmMain::UpdateStatusLabels() {
    lblDefCount.Caption = GroupedNumber(modGlobals::DefinitionCount);
    lblVersion.Caption = ProgramVersion();
    lblDefVersion.Caption = ReadDefinitionsDate() + " PST";
    lblDefRemoved.Caption = GetProgramSetting("Settings", "lblDefRemoved", "0");
    lblLastScan.Caption = GetProgramSetting("Settings", "lblLastScan", "Never");
    lblLastFullScan.Caption = GetProgramSetting("Settings", "lblLastFullScan", "Never");
}
