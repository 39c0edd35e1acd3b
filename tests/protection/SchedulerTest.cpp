// The Schedule page: Apply, Reset and the load of a stored schedule, as a state table.
#include "MainWindowFixture.h"

#include "AnsiText.h"
#include "DateText.h"
#include "SchedulePanel.h"
#include "ScriptedMessageBoxes.h"
#include "SettingsStore.h"
#include "TestMoments.h"

#include <cstdio>
#include <functional>
#include <map>

#include <gtest/gtest.h>

namespace {

std::string TimeOfDay(double date) {
    SYSTEMTIME t{};
    VariantTimeToSystemTime(date, &t);
    char text[16];
    snprintf(text, sizeof text, "%02d:%02d:%02d", t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::string Day(double date) {
    SYSTEMTIME t{};
    VariantTimeToSystemTime(date, &t);
    char text[16];
    snprintf(text, sizeof text, "%04d-%02d-%02d", t.wYear, t.wMonth, t.wDay);
    return text;
}

const double kTwoPm = Moment(9, 14, 0, 0);
const double kThursday = Moment(12, 0, 0, 0);

} // namespace

// Stored schedules and what the page and the timer make of them.
class ScheduleSettings : public MainWindowFixture {
  protected:
    ScheduleSettings() { SetClock(Moment(9, 10, 0, 0)); }
    ~ScheduleSettings() override { DateText::SetClock(nullptr); }

    static void SetClock(double now) {
        DateText::SetClock([now] { return now; });
    }
    // "<none>" removes the value.
    void Put(const std::string& section, const std::string& key, const std::string& value) {
        if (value != "<none>") {
            Store(section, key, value);
            return;
        }
        const std::wstring path = L"Software\\VB and VBA Program Settings\\" +
                                  Utf8ToWide(kTestProduct) + L"\\" + Utf8ToWide(section);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, path.c_str(), Utf8ToWide(key).c_str());
        ForgetStoredSettings(); // as a fresh start finds it
    }

    // What the page shows, what it enables, what is stored and what the timer goes by.
    std::string State(const SchedulePanel& scheduler) const {
        const FrmMain& f = *form;
        auto picker = [](const ui::DTPicker& p, bool time) {
            return !p.HasValue() ? std::string("none")
                   : time        ? TimeOfDay(p.Value())
                                 : Day(p.Value());
        };
        auto on = [](bool enabled) { return enabled ? "on" : "off"; };
        auto stored = [this](const std::string& key, bool time) {
            const std::string text = Stored("OptionAndSettings", key);
            double date = 0;
            if (text == "Null" || text == "<none>" || !DateText::FromText(text, date))
                return text;
            return time ? TimeOfDay(date) : Day(date);
        };
        const ScanSchedule& memory = scheduler.Schedule();
        return "box=" + std::to_string(f.chkAutomaticScanYesOrNo.Value()) +
               " autodel=" + std::to_string(f.chkAutoDel.Value()) +
               " days=" + std::to_string(f.cmbDays.ListIndex()) +
               " date=" + picker(f.dtpScheduleDate, false) +
               " time=" + picker(f.dtpScheduleTime, true) + " | list=" + on(f.cmbDays.Enabled) +
               " date=" + on(f.dtpScheduleDate.Enabled) + " time=" + on(f.dtpScheduleTime.Enabled) +
               " timer=" + on(f.tmrScheduler.Enabled) +
               " | stored on=" + Stored("OptionAndSettings", "chkAutomaticScanYesOrNo") +
               " Day=" + Stored("OptionAndSettings", "Day") + " Time=" + stored("Time", true) +
               " Date=" + stored("Date", false) + " | memory " + std::to_string(memory.Day) +
               (memory.TimeOfDay ? " time" : " -") + (memory.DateDay ? " date" : " -");
    }
};

struct ScheduleRow {
    const char* name;
    std::map<std::string, std::string> stored; // "chkAutoDel" lives in "Settings"
    std::function<void(FrmMain&, SchedulePanel&)> act;
    std::string expected;
    size_t boxes = 0; // "MSG_DATE" boxes shown
};

TEST_F(ScheduleSettings, ApplyResetAndLoadAsAStateTable) {
    const std::string two = DateText::ToText(kTwoPm), thursday = DateText::ToText(kThursday);
    const std::map<std::string, std::string> weeklyOff = {
        {"chkAutomaticScanYesOrNo", "0"}, {"Day", "3"}, {"Time", two}, {"Date", "Null"}};
    const std::map<std::string, std::string> onceOn = {
        {"chkAutomaticScanYesOrNo", "1"}, {"Day", "8"}, {"Time", two}, {"Date", thursday}};
    const ScheduleRow rows[] = {
        {"a fresh store shows Daily",
         {},
         [](FrmMain&, SchedulePanel& s) { s.LoadScheduleSettings(); },
         "box=0 autodel=0 days=7 date=none time=00:00:00 | list=on date=off time=on timer=off"
         " | stored on=<none> Day=<none> Time=<none> Date=<none> | memory 7 - -"},
        {"a switched-off schedule loads switched off", weeklyOff,
         [](FrmMain&, SchedulePanel& s) { s.LoadScheduleSettings(); },
         "box=0 autodel=0 days=3 date=none time=14:00:00 | list=off date=off time=off timer=off"
         " | stored on=0 Day=3 Time=14:00:00 Date=Null | memory 3 time -"},
        {"a switched-on weekly schedule",
         {{"chkAutomaticScanYesOrNo", "1"},
          {"Day", "3"},
          {"Time", two},
          {"Date", "Null"},
          {"chkAutoDel", "1"}},
         [](FrmMain&, SchedulePanel& s) { s.LoadScheduleSettings(); },
         "box=1 autodel=1 days=3 date=none time=14:00:00 | list=on date=off time=on timer=on"
         " | stored on=1 Day=3 Time=14:00:00 Date=Null | memory 3 time -"},
        {"a date and time loads both pickers", onceOn,
         [](FrmMain&, SchedulePanel& s) { s.LoadScheduleSettings(); },
         "box=1 autodel=0 days=8 date=2024-12-12 time=14:00:00 | list=on date=on time=on timer=on"
         " | stored on=1 Day=8 Time=14:00:00 Date=2024-12-12 | memory 8 time date"},
        {"Apply keeps a switched-off schedule off", weeklyOff,
         [](FrmMain& f, SchedulePanel& s) {
             s.LoadScheduleSettings();
             f.CmdProceed.Click();
         },
         "box=0 autodel=0 days=3 date=none time=14:00:00 | list=off date=off time=off timer=off"
         " | stored on=0 Day=3 Time=14:00:00 Date=Null | memory 3 time -"},
        {"Reset switches scheduled scans off and keeps the stored schedule", onceOn,
         [](FrmMain& f, SchedulePanel& s) {
             s.LoadScheduleSettings();
             f.cmdDefaultSetting.Click();
         },
         "box=0 autodel=0 days=8 date=2024-12-12 time=14:00:00 | list=off date=off time=off"
         " timer=off | stored on=0 Day=8 Time=14:00:00 Date=2024-12-12 | memory 8 time date"},
        {"Apply stores a date and time",
         {},
         [&](FrmMain& f, SchedulePanel& s) {
             s.LoadScheduleSettings();
             f.chkAutomaticScanYesOrNo.UserToggle();
             f.cmbDays.SetListIndex(8);
             f.dtpScheduleDate.SetValue(kThursday);
             f.dtpScheduleTime.SetValue(kTwoPm);
             f.CmdProceed.Click();
         },
         "box=1 autodel=0 days=8 date=2024-12-12 time=14:00:00 | list=on date=on time=on timer=on"
         " | stored on=1 Day=8 Time=14:00:00 Date=2024-12-12 | memory 8 time date"},
        {"Date & Time without a date saves nothing",
         {},
         [&](FrmMain& f, SchedulePanel& s) {
             s.LoadScheduleSettings();
             f.chkAutomaticScanYesOrNo.UserToggle();
             f.cmbDays.SetListIndex(8);
             f.dtpScheduleTime.SetValue(kTwoPm);
             f.CmdProceed.Click();
         },
         "box=1 autodel=0 days=7 date=none time=14:00:00 | list=on date=off time=on timer=on"
         " | stored on=<none> Day=<none> Time=<none> Date=<none> | memory 7 - -",
         1},
        {"Date & Time without a time saves nothing either", onceOn,
         [&](FrmMain& f, SchedulePanel& s) {
             s.LoadScheduleSettings();
             f.dtpScheduleTime.ClearValue();
             f.dtpScheduleDate.SetValue(kThursday + 1);
             f.CmdProceed.Click();
         },
         "box=1 autodel=0 days=8 date=2024-12-12 time=14:00:00 | list=on date=on time=on timer=on"
         " | stored on=1 Day=8 Time=14:00:00 Date=2024-12-12 | memory 8 time date",
         1},
        {"Never stores no time and no date", onceOn,
         [](FrmMain& f, SchedulePanel& s) {
             s.LoadScheduleSettings();
             f.cmbDays.SetListIndex(9);
             f.CmdProceed.Click();
         },
         "box=1 autodel=0 days=9 date=none time=none | list=on date=off time=off timer=on"
         " | stored on=1 Day=9 Time=Null Date=Null | memory 9 - -"},
        {"a weekly schedule stores no date",
         {},
         [&](FrmMain& f, SchedulePanel& s) {
             s.LoadScheduleSettings();
             f.chkAutomaticScanYesOrNo.UserToggle();
             f.cmbDays.SetListIndex(2);
             f.dtpScheduleTime.SetValue(kTwoPm);
             f.CmdProceed.Click();
         },
         "box=1 autodel=0 days=2 date=none time=14:00:00 | list=on date=off time=on timer=on"
         " | stored on=1 Day=2 Time=14:00:00 Date=Null | memory 2 time -"},
        {"ticking the box runs the timer and stores nothing", weeklyOff,
         [](FrmMain& f, SchedulePanel& s) {
             s.LoadScheduleSettings();
             f.chkAutomaticScanYesOrNo.UserToggle();
         },
         "box=1 autodel=0 days=3 date=none time=14:00:00 | list=on date=off time=on timer=on"
         " | stored on=0 Day=3 Time=14:00:00 Date=Null | memory 3 time -"},
        {"texts that are no numbers or dates leave the controls as they were",
         {{"chkAutomaticScanYesOrNo", "yes"},
          {"Day", "Tuesday"},
          {"Time", "soon"},
          {"Date", "later"},
          {"chkAutoDel", "maybe"}},
         [this](FrmMain& f, SchedulePanel& s) {
             f.cmbDays.SetListIndex(4);
             f.chkAutomaticScanYesOrNo.SetValue(1);
             f.chkAutoDel.SetValue(1); // its handler stores "1"
             Store("Settings", "chkAutoDel", "maybe");
             f.dtpScheduleTime.SetValue(kTwoPm);
             s.LoadScheduleSettings();
         },
         "box=1 autodel=1 days=4 date=none time=14:00:00 | list=on date=off time=on timer=on"
         " | stored on=yes Day=Tuesday Time=soon Date=later | memory 9 - -"},
    };
    for (const ScheduleRow& row : rows) {
        form = std::make_unique<FrmMain>();
        SchedulePanel page(*form);
        page.Connect();
        for (const char* key : {"chkAutomaticScanYesOrNo", "Day", "Time", "Date"})
            Put("OptionAndSettings", key, row.stored.count(key) ? row.stored.at(key) : "<none>");
        Put("Settings", "chkAutoDel",
            row.stored.count("chkAutoDel") ? row.stored.at("chkAutoDel") : "<none>");
        ScriptedMessageBoxes boxes;
        for (size_t i = 0; i < row.boxes; ++i)
            boxes.Expect(IDOK);
        row.act(*form, page);
        EXPECT_EQ(boxes.Shown().size(), row.boxes) << row.name;
        for (const ui::MessageBoxRequest& box : boxes.Shown()) {
            EXPECT_EQ(box.prompt, "MSG_DATE") << row.name;
            EXPECT_EQ(box.style, static_cast<unsigned>(MB_ICONINFORMATION)) << row.name;
        }
        EXPECT_EQ(State(page), row.expected) << row.name;
    }
}
