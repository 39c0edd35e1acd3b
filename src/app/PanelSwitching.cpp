#include "PanelSwitching.h"

#include "FrmMain.h"
#include "SettingsStore.h"
#include "TextRules.h"

namespace modGenDec {

namespace {

int suspensions = 0;

} // namespace

void ShowPanel(FrmMain& form, bool, bool, bool, bool) {
    form.tmrScroll.Enabled = false;
}

void EnableShieldTimers(FrmMain& form, bool enable) {
    if (!enable) {
        ++suspensions;
        form.tmrCheckHomePage.Enabled = false;
        form.tmrMemoryInspected.Enabled = false;
        form.tmrScheduler.Enabled = false;
        form.tmrTimeOut.Enabled = false;
        return;
    }
    if (suspensions > 0 && --suspensions > 0)
        return;
    form.tmrScheduler.Enabled =
        TextRules::ToLong(GetProgramSetting("OptionAndSettings", "chkAutomaticScanYesOrNo", "0"),
                          0) != 0;
    form.tmrCheckHomePage.Enabled = GetProgramOption("optIEHomePageSheildOn", true);
    form.tmrMemoryInspected.Enabled = GetProgramOption("optMemorySheildOn", true);
}

ShieldTimersOff::ShieldTimersOff(FrmMain& form) : form_(form) {
    EnableShieldTimers(form_, false);
}

ShieldTimersOff::~ShieldTimersOff() {
    EnableShieldTimers(form_, true);
}

} // namespace modGenDec
