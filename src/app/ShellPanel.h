// The main window's ways out to other windows and programs: the scan report and its window,
// help, About, the website and the sibling anti-hijack tool.
#pragma once

class FrmMain;

class ShellPanel {
  public:
    explicit ShellPanel(FrmMain& form);

    // Connects the buttons and labels and fills the main window's report, log, help and About
    // links.
    void Connect();

    // "Log File" (and File > "View Log"): the report window, modal, with "Show Report" off
    // meanwhile.
    void cmdLog_Click();
    // "Show Report": the report window, modal.
    void lblViewLogFile_Click();
    // "Launch Anti-Hijack": starts the tool the sibling record names, or says it is gone.
    void cmdHijack_Click();
    void cmdWebsite_Click();
    // The Help menu and the first start: the help window loaded, shown, one pass of the
    // message loop, unloaded. True when the help file was handed to its viewer.
    bool ShowHelp();
    // The About menu: the About box, modeless.
    void ShowAbout();

  private:
    FrmMain& form_;
};

// The one shell panel of the main window.
ShellPanel& MainShellPanel();
