#include "ShellPanel.h"

#include "DoEvents.h"
#include "Form8.h"
#include "FrmMain.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "ShellLaunch.h"
#include "frmAbout.h"
#include "frmReport.h"
#include "frmWebsite.h"
#include "modLorvane.h"
#include "modReport.h"
#include "xfileExists.h"

#include <windows.h>

ShellPanel& MainShellPanel() {
    static ShellPanel panel(MainWindow());
    return panel;
}

ShellPanel::ShellPanel(FrmMain& form) : form_(form) {}

void ShellPanel::Connect() {
    form_.lblViewLogFile.Click = [this] { lblViewLogFile_Click(); };
    form_.cmdHijack.Click = [this] { cmdHijack_Click(); };
    form_.cmdWebsite.Click = [this] { cmdWebsite_Click(); };
    MainWindowLinks& links = form_.Links;
    links.MakeReport = [this] { modReport::MakeReport(form_); };
    links.ViewLog = [this] { cmdLog_Click(); };
    links.ShowHelp = [this] { ShowHelp(); };
    links.ShowHelpOnce = [this] { return ShowHelp(); };
    links.ShowAbout = [this] { ShowAbout(); };
}

void ShellPanel::cmdLog_Click() {
    form_.lblViewLogFile.Enabled = false;
    frmReport& report = ReportWindow();
    if (report.Load())
        report.ShowModal();
    form_.lblViewLogFile.Enabled = true;
}

void ShellPanel::lblViewLogFile_Click() {
    ReportWindow().ShowModal();
}

void ShellPanel::cmdHijack_Click() {
    const std::string file = GetSetting("Quintrel2", modLorvane::CompanyName, "File", "");
    if (xfileExists::FileExists(file)) {
        // The shell takes the path whole, blanks and all, and the tool runs on its own.
        ShellLaunch::Start(file, "", SW_SHOWNORMAL);
        return;
    }
    ui::MsgBox("Sorry, the following file no longer exists: \r\n" + file, MB_OK);
}

void ShellPanel::cmdWebsite_Click() {
    OpenWebsite();
}

bool ShellPanel::ShowHelp() {
    Form8& help = HelpWindow();
    if (!help.Load())
        return false;
    help.Show();
    ui::DoEvents();
    const bool opened = help.HelpOpened();
    help.Unload();
    return opened;
}

void ShellPanel::ShowAbout() {
    frmAbout& about = AboutWindow();
    if (about.Load())
        about.Show();
}
