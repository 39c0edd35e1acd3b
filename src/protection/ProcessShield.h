// The process shield: every 2 seconds (and every third tick of the start-page shield) one
// pass of the running-process scanner, which alerts about each running threat it finds.
#pragma once

class FrmMain;
class frmSpywareFoundAlert;

class ProcessShield {
  public:
    ProcessShield(FrmMain& form, frmSpywareFoundAlert& alert);

    // Connects the main window's timer, the scanner's alert and the Debug menu's third window.
    void Connect();

    // One shield pass, with the main window's timers off for its length.
    void tmrMemoryInspected_Timer();

  private:
    FrmMain& form_;
    frmSpywareFoundAlert& alert_;
};

// The process shield of the main window.
ProcessShield& MainProcessShield();
