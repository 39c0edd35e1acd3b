#include "SchedulePanel.h"

#include "BusyState.h"
#include "DateText.h"
#include "FrmMain.h"
#include "MessageBox.h"
#include "PanelSwitching.h"
#include "ScanMessages.h"
#include "SettingsStore.h"
#include "TextRules.h"
#include "modGlobals.h"

#include <windows.h>

#include <cmath>

namespace {

constexpr int kDaily = 7, kDateAndTime = 8, kNever = 9;

std::string Stored(const std::string& key, const std::string& defaultText) {
    return GetProgramSetting("OptionAndSettings", key, defaultText);
}

// A stored number into a box; a text that is no number leaves the box as it was.
void LoadBox(ui::CheckBox& box, const std::string& section, const std::string& key,
             const std::string& defaultText) {
    box.SetValue(static_cast<int>(
        TextRules::ToLong(GetProgramSetting(section, key, defaultText), box.Value())));
}

// "Null" while the picker holds no value.
std::string PickerText(const ui::DTPicker& picker) {
    return picker.HasValue() ? DateText::ToText(picker.Value()) : "Null";
}

// "Null" (or nothing stored) shows `fallback` for a moment and then no value; another text
// shows that date, and one that is no date leaves the picker as it was.
void LoadPicker(ui::DTPicker& picker, const std::string& key, double fallback) {
    const std::string text = Stored(key, "Null");
    if (text == "Null") {
        picker.SetValue(fallback);
        picker.ClearValue();
        return;
    }
    double value = 0;
    if (DateText::FromText(text, value))
        picker.SetValue(value);
}

// Weekly and daily schedules need only the time.
void TimeOnlySchedule(FrmMain& f) {
    f.dtpScheduleDate.ClearValue();
    f.dtpScheduleDate.Enabled = false;
    f.dtpScheduleTime.Enabled = true;
}

// The flag for automatic removal lasts exactly as long as the tick.
struct AutoRemoveForThisTick {
    ~AutoRemoveForThisTick() { modGlobals::AutoRemoveAfterScan = false; }
};

} // namespace

SchedulePanel& MainSchedulePanel() {
    static SchedulePanel panel(MainWindow());
    return panel;
}

SchedulePanel::SchedulePanel(FrmMain& form) : form_(form) {}

void SchedulePanel::Connect() {
    auto on = [this](void (SchedulePanel::*handler)()) {
        return [this, handler] { (this->*handler)(); };
    };
    form_.chkAutomaticScanYesOrNo.Click = on(&SchedulePanel::chkAutomaticScanYesOrNo_Click);
    form_.cmbDays.Click = on(&SchedulePanel::cmbDays_Click);
    form_.CmdProceed.Click = on(&SchedulePanel::CmdProceed_Click);
    form_.cmdDefaultSetting.Click = on(&SchedulePanel::cmdDefaultSetting_Click);
    form_.dtpScheduleDate.Change = on(&SchedulePanel::dtpScheduleDate_Change);
    form_.dtpScheduleTime.UserChange = on(&SchedulePanel::dtpScheduleTime_Click);
    form_.tmrScheduler.Tick = on(&SchedulePanel::tmrScheduler_Timer);
    form_.Links.LoadScheduleSettings = on(&SchedulePanel::LoadScheduleSettings);
}

void SchedulePanel::tmrScheduler_Timer() {
    // A tick that a running scan, removal, update or alert lets through waits for them: its
    // reset of the removal flag would otherwise reach a scheduled scan that is still running.
    if (BusyState::IsBusy())
        return;
    modGenDec::ShieldTimersOff timersOff(form_);
    AutoRemoveForThisTick autoRemove;
    if (!clock_.Due(schedule_))
        return;
    modGlobals::AutoRemoveAfterScan = form_.chkAutoDel.Value() == 1;
    form_.lblStart_Click();
}

void SchedulePanel::ReadStoredSchedule() {
    schedule_ = ParseSchedule(Stored("Day", "7"), Stored("Time", "Null"), Stored("Date", "Null"));
}

void SchedulePanel::SaveScheduleSettings() {
    if (form_.cmbDays.ListIndex() == kDateAndTime &&
        (!form_.dtpScheduleDate.HasValue() || !form_.dtpScheduleTime.HasValue())) {
        ui::MsgBox(ScanMessage("MSG_DATE"), MB_ICONINFORMATION);
        return;
    }
    const int enabled = form_.chkAutomaticScanYesOrNo.Value();
    SaveProgramSetting("OptionAndSettings", "chkAutomaticScanYesOrNo", std::to_string(enabled));
    if (TextRules::ToLong(Stored("chkAutomaticScanYesOrNo", std::to_string(enabled)), enabled) ==
        1) {
        SaveProgramSetting("OptionAndSettings", "Day", std::to_string(form_.cmbDays.ListIndex()));
        SaveProgramSetting("OptionAndSettings", "Time", PickerText(form_.dtpScheduleTime));
        SaveProgramSetting("OptionAndSettings", "Date", PickerText(form_.dtpScheduleDate));
        SwitchTimerOn();
    } else {
        form_.tmrScheduler.Enabled = false;
    }
    ReadStoredSchedule();
}

void SchedulePanel::LoadScheduleSettings() {
    ReadStoredSchedule();
    LoadBox(form_.chkAutoDel, "Settings", "chkAutoDel", "0");
    const std::string day = Stored("Day", "None");
    if (day == "None") {
        form_.cmbDays.SetListIndex(kDaily);
        return;
    }
    const double now = DateText::Now();
    LoadPicker(form_.dtpScheduleDate, "Date", std::floor(now));
    LoadPicker(form_.dtpScheduleTime, "Time", now);
    const long index = TextRules::ToLong(day, form_.cmbDays.ListIndex());
    if (index >= 0 && index < static_cast<long>(form_.cmbDays.ListCount()))
        form_.cmbDays.SetListIndex(static_cast<int>(index));
    // The box shows whether scheduled scans are on, as stored; when it does not change, its
    // handler does not run, so the list and pickers are brought in line here.
    const int before = form_.chkAutomaticScanYesOrNo.Value();
    LoadBox(form_.chkAutomaticScanYesOrNo, "OptionAndSettings", "chkAutomaticScanYesOrNo", "0");
    if (form_.chkAutomaticScanYesOrNo.Value() == before)
        FollowEnableBox();
}

void SchedulePanel::FollowEnableBox() {
    FrmMain& f = form_;
    if (f.chkAutomaticScanYesOrNo.Value() == 1) {
        f.cmbDays.Enabled = true;
        const int index = f.cmbDays.ListIndex();
        if (index >= 0 && index <= kDaily)
            TimeOnlySchedule(f);
    } else {
        f.cmbDays.Enabled = f.dtpScheduleDate.Enabled = f.dtpScheduleTime.Enabled = false;
    }
}

void SchedulePanel::SwitchTimerOn() {
    clock_.StartFromNow();
    form_.tmrScheduler.Enabled = true;
}

void SchedulePanel::chkAutomaticScanYesOrNo_Click() {
    // The timer goes by the stored schedule; nothing is saved until Apply.
    if (form_.chkAutomaticScanYesOrNo.Value() == 1)
        SwitchTimerOn();
    else
        form_.tmrScheduler.Enabled = false;
    FollowEnableBox();
    form_.CmdProceed.Enabled = true;
}

void SchedulePanel::cmbDays_Click() {
    FrmMain& f = form_;
    const int index = f.cmbDays.ListIndex();
    if (index >= 0 && index <= kDaily) {
        TimeOnlySchedule(f);
    } else if (index == kDateAndTime) {
        f.dtpScheduleDate.Enabled = f.dtpScheduleTime.Enabled = true;
    } else if (index == kNever) {
        f.dtpScheduleDate.ClearValue();
        f.dtpScheduleTime.ClearValue();
        f.dtpScheduleDate.Enabled = f.dtpScheduleTime.Enabled = false;
    }
    f.CmdProceed.Enabled = true;
}

void SchedulePanel::dtpScheduleDate_Change() {
    form_.CmdProceed.Enabled = true;
}

void SchedulePanel::dtpScheduleTime_Click() {
    form_.CmdProceed.Enabled = true;
}

void SchedulePanel::CmdProceed_Click() {
    SaveScheduleSettings();
    form_.CmdProceed.Enabled = false;
    LoadScheduleSettings();
}

void SchedulePanel::cmdDefaultSetting_Click() {
    form_.cmbDays.SetListIndex(kDaily);
    form_.chkAutomaticScanYesOrNo.SetValue(0);
    CmdProceed_Click();
}
