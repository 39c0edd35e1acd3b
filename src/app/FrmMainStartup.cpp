// The main window's load: the whole start-up sequence, in its fixed order.
#include "FrmMain.h"

#include "AnsiText.h"
#include "AppPath.h"
#include "Definitions.h"
#include "Exclusions.h"
#include "LanguageFile.h"
#include "MScanFolder.h"
#include "MachineSettingsStore.h"
#include "ManualScanState.h"
#include "MessageBox.h"
#include "PanelSwitching.h"
#include "ScanMessages.h"
#include "SettingsStore.h"
#include "TextRules.h"
#include "clsLanguages.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "modIcon.h"
#include "modLanguages.h"
#include "modLorvane.h"

#include <windows.h>

bool FrmMain::EndIfPrevInstance() {
    if (!Links.PrevInstance())
        return false;
    Links.EndProcess();
    return true;
}

void FrmMain::Form_Load() {
    const std::string& company = modLorvane::CompanyName;
    const std::string siblingName = GetSetting("Quintrel2", company, "Name", "");
    if (!siblingName.empty()) {
        cmdHijack.Caption = siblingName;
        cmdHijack.Visible = true;
    }
    SaveSetting("Pellimar2", company, "Name", modLorvane::ProgramName);
    SaveSetting("Pellimar2", company, "File", AppPath::Path() + "\\" + AppPath::ExeName() + ".exe");

    std::string dataFolder = "[appdata]AntiSpywareDAT";
    modGlobals::DataFolder = modGenDec::ExpandPathMacros(dataFolder);
    // Nothing else makes the data folder, and every definition file lives in it.
    CreateDirectoryW(Utf8ToWide(modGlobals::DataFolder).c_str(), nullptr);
    modIcon::SetFormIcon(Handle(), "AAA", true);
    ui::SetMessageBoxOwner(Handle());

    const std::string storedLanguage = GetProgramSetting("Settings", "Language", "");
    CurrentLanguage = GetProgramSetting("Settings", "Language", "English");
    modLanguages::LoadDefaultMessages();
    // Such a file is not read: the window keeps its English texts.
    const bool languageFileTooLarge = LanguageFile::TooLarge(LanguageFile::FilePath());
    Lang.ChangeLanguage(*this, CurrentLanguage);
    SetScanMessageLookup([](const std::string& id) { return Lang.getMessages(id); });
    SetManualScanTest([this] { return ScanRunning(); });
    connectedScanTest_ = true;
    SetMachineSettingPrompt(
        [](const std::string& prompt, unsigned style, const std::string& title) {
            return ui::MsgBox(prompt, style, title);
        });
    if (storedLanguage.empty()) {
        SaveProgramSetting("Settings", "Language", "English");
        RunLink(Links.ShowLanguageChooser);
    }
    if (EndIfPrevInstance())
        return;
    if (languageFileTooLarge)
        ui::MsgBox(Lang.getMessages("MSG_LANGUAGE_TOO_LARGE"), MB_OK | MB_ICONEXCLAMATION);

    RunLink(Links.InstallDownloadedDefinitions);
    modGlobals::DefinitionCount = modGlobals::CountDefinitions();
    UpdateStatusLabels();
    modGlobals::LoadExclusions();
    HideAllPanels();
    frmStatus.Caption = modLorvane::ProgramName + " Status";
    frmStatus.Visible = true;

    // From here on a failing step is skipped and the next one runs.
    if (EndIfPrevInstance())
        return;
    SaveProgramSetting("OptionAndSettings", "STATUS", "RUNNING");
    SaveProgramSetting("OptionAndSettings", "RESTART", "False");
    Caption = Lang.getMessages("MSG_CAPTION");
    cmdWebsite.Caption = Lang.getMessages("MSG_WEBSITE");
    shpCircle.Visible = false;

    modGenDec::EnableShieldTimers(*this, false);
    RunLink(Links.LoadScheduleSettings);
    MScanFolder::ListDrives();
    LoadSettings();
    modGenDec::ShowPanel(*this, true, false, false, false);
    modGenDec::EnableShieldTimers(*this, true);
    tmrScroll.Enabled = false;
    RunLink(Links.LoadDeleteFailedWindow);

    Label22.Caption = Lang.getMessages("MSG_CAPTION2");
    // Stored as shown only once the help has really opened, so a start without it asks again.
    if (GetProgramSetting("Settings", "showHelp", "1") == "1" && Links.ShowHelpOnce &&
        Links.ShowHelpOnce())
        SaveProgramSetting("Settings", "showHelp", "0");
    if (TextRules::ToLong(GetProgramSetting("OptionAndSettings", "chkAutomaticUpdate", "0"), 0) ==
        1)
        timUpdate.Enabled = true;
    if (GetProgramSetting("Settings", "Minimized", "No") == "Yes" ||
        (chkRunAtStartup.Value() == 1 && modLorvane::ProgramName == "Mirelant")) {
        if (Links.SendToTray) {
            Links.SendToTray();
            StartedInTray = true;
        }
    }
    if (GetMachineSetting(modLorvane::ProgramName, "Settings", "FirstTime", "").empty()) {
        SaveMachineSetting(modLorvane::ProgramName, "Settings", "FirstTime", "Yes");
        const std::string welcome = Lang.getMessages("MSG_THANK1") + "\r\n\r\n" +
                                    Lang.getMessages("MSG_THANK2") + "\r\n\r\n" +
                                    Lang.getMessages("MSG_THANK3");
        if (ui::MsgBox(welcome, MB_YESNO, Lang.getMessages("MSG_THANK4")) == IDYES)
            RunLink(Links.RunLiveUpdate);
    }
}
