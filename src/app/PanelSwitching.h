// The page and timer switching that scans, removal runs, updates and shield ticks call.
#pragma once

class FrmMain;

namespace modGenDec {

// The only effect on the main window: tmrScroll off (the picture boxes it names do not exist).
void ShowPanel(FrmMain& form, bool startUp, bool options, bool results, bool sweepNow);

// False switches the scheduler, both shields and the time-out timer off; True switches the
// first three on as the settings say. Calls nest: while an operation that switched them off
// runs, an inner operation's True leaves them off, and only the outermost True switches.
void EnableShieldTimers(FrmMain& form, bool enable);

// Shield timers off for the guard's life.
class ShieldTimersOff {
  public:
    explicit ShieldTimersOff(FrmMain& form);
    ~ShieldTimersOff();
    ShieldTimersOff(const ShieldTimersOff&) = delete;
    ShieldTimersOff& operator=(const ShieldTimersOff&) = delete;

  private:
    FrmMain& form_;
};

} // namespace modGenDec
