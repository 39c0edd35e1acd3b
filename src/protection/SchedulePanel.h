// The scheduler: the "Schedule" page of the options (enable box, "Run on:" list, date and time
// pickers, Apply and Reset), the stored schedule it saves and loads, and the main window's
// tmrScheduler, which starts a due scan through the Start command. A scheduled scan can have
// everything it finds removed without questions (the "Delete spyware automatically" box).
#pragma once

#include "ScheduleDue.h"

class FrmMain;

class SchedulePanel {
  public:
    explicit SchedulePanel(FrmMain& form);

    // Connects the page's controls, the timer and the main window's LoadScheduleSettings link.
    void Connect();

    // Starts the scan when the stored schedule is due; never while another operation runs.
    void tmrScheduler_Timer();
    // Stores the schedule from the controls ("Date & Time" needs both pickers).
    void SaveScheduleSettings();
    // Puts the stored schedule into the controls.
    void LoadScheduleSettings();

    void chkAutomaticScanYesOrNo_Click();
    void cmbDays_Click();
    void CmdProceed_Click();
    void cmdDefaultSetting_Click();
    void dtpScheduleDate_Change();
    void dtpScheduleTime_Click();

    // The schedule as last loaded or saved: what the timer goes by.
    const ScanSchedule& Schedule() const { return schedule_; }

  private:
    void ReadStoredSchedule();
    // Runs the timer, with due checks from now on only.
    void SwitchTimerOn();
    // The list and pickers as the enable box has them, without its other effects.
    void FollowEnableBox();

    FrmMain& form_;
    ScanSchedule schedule_;
    ScheduleClock clock_;
};

// The one scheduler of the main window.
SchedulePanel& MainSchedulePanel();
