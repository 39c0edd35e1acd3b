#include "ProcessShield.h"

#include "BusyState.h"
#include "FrmMain.h"
#include "ModMemoryItemsInspected.h"
#include "PanelSwitching.h"
#include "SettingsStore.h"
#include "TextRules.h"
#include "frmSpywareFoundAlert.h"

ProcessShield& MainProcessShield() {
    static ProcessShield shield(MainWindow(), SpywareFoundAlertWindow());
    return shield;
}

ProcessShield::ProcessShield(FrmMain& form, frmSpywareFoundAlert& alert)
    : form_(form), alert_(alert) {}

void ProcessShield::Connect() {
    form_.tmrMemoryInspected.Tick = [this] { tmrMemoryInspected_Timer(); };
    ModMemoryItemsInspected::SetProcessAlertWindow(
        [this](const ModMemoryItemsInspected::RunningProcessAlert& alert) {
            alert_.ShowAlert(alert);
        });
    form_.Links.ShowDebugWindow[2] = [this] { alert_.Show(); };
}

void ProcessShield::tmrMemoryInspected_Timer() {
    // A stored switch that is no truth value skips the tick.
    if (!TextRules::ToBool(GetProgramSetting("OptionAndSettings", "optMemorySheildOn", "True"),
                           false))
        return;
    // A tick that an option switched on while an alert or a scan is waiting must not start a
    // second pass inside the first.
    if (BusyState::IsBusy())
        return;
    modGenDec::ShieldTimersOff timersOff(form_);
    ModMemoryItemsInspected::ScanRunningProcesses();
    // A wait that the program's end cut short leaves its alert up: that is no answer.
    alert_.Dismiss();
}
