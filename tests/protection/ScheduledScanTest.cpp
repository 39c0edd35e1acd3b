// The scheduler's timer in the main window: due ticks start real scans over a planted file,
// with the clock set, and remove what they find only when automatic removal is chosen.
#include "RemovalFixture.h"

#include "BusyState.h"
#include "CommonDialogs.h"
#include "DateText.h"
#include "DefinitionFile.h"
#include "Definitions.h"
#include "SchedulePanel.h"
#include "TestMoments.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <gtest/gtest.h>

#include <functional>

class ScheduledScan : public RemovalFixture {
  protected:
    ScheduledScan() {
        scheduler.Connect();
        const std::string name = "Sched" + std::to_string(GetCurrentProcessId()) + ".exe";
        relative_ = "evil\\" + name;
        threat_ = machine / relative_;
        WriteDefinitionFile(kFileDefinitionFile,
                            {name + "=Scheduled Threat|" + machine.Path() + "\\evil|Adware"});
        for (const char* file : {kDirectoryDefinitionFile, kRegistryDefinitionFile,
                                 kExeDefinitionFile, kBlockedCookiesFile})
            WriteDefinitionFile(file, {});
        modGlobals::DefinitionCount = modGlobals::CountDefinitions();
        // Only the known files: no processes, registry or cookies of the machine.
        for (const char* key : {"chkSweepMemory", "chkScanRegistry", "chkScanCookies"})
            Store("OptionAndSettings", key, "0");
        // Daily at two in the afternoon, switched on.
        Store("OptionAndSettings", "chkAutomaticScanYesOrNo", "1");
        Store("OptionAndSettings", "Day", "7");
        Store("OptionAndSettings", "Time", DateText::ToText(Moment(9, 14, 0, 0)));
        Store("OptionAndSettings", "Date", "Null");
        // Loading switches scheduled scans on, and the checks start from that moment.
        DateText::SetClock([] { return Moment(9, 13, 0, 0); });
        scheduler.LoadScheduleSettings();
        form->optScan[0].SetValue(true);
    }
    ~ScheduledScan() override {
        DateText::SetClock(nullptr);
        ui::SetOpenFileDialogHandler(nullptr);
    }

    void TickAt(double now) {
        DateText::SetClock([now] { return now; });
        form->tmrScheduler.Tick();
    }
    void Plant() const { machine.WriteFile(relative_, "evil"); }
    bool Scanned() const { return Stored("Settings", "lblLastScan") != "<none>"; }

    SchedulePanel scheduler{*form};
    std::string relative_, threat_;
};

TEST_F(ScheduledScan, OnlyADueTickWithAutomaticRemovalRemovesWhatItFinds) {
    const struct {
        const char* name;
        int autoDelete;
        double now;
        bool scanned, removed;
    } rows[] = {
        {"due, automatic removal", 1, Moment(9, 14, 0, 0), true, true},
        {"due, no automatic removal", 0, Moment(10, 14, 0, 0), true, false},
        {"not due", 1, Moment(11, 13, 0, 0), false, false},
        {"due again the next day", 1, Moment(12, 14, 0, 0), true, true},
    };
    for (const auto& row : rows) {
        Plant();
        Store("Settings", "lblLastScan", "<none>");
        form->chkAutoDel.SetValue(row.autoDelete);
        TickAt(row.now - 1.0 / 86400); // the check before the moment
        TickAt(row.now);
        EXPECT_EQ(Scanned(), row.scanned) << row.name;
        EXPECT_EQ(xfileExists::FileExists(threat_), !row.removed) << row.name;
        EXPECT_FALSE(modGlobals::AutoRemoveAfterScan) << row.name;
        if (row.scanned && !row.removed) {
            const ui::ListView& results = form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
            ASSERT_EQ(results.Count(), 1u) << row.name;
            EXPECT_FALSE(results.Item(0).Checked) << row.name;
        }
    }
    EXPECT_TRUE(FailedList().empty());
}

TEST_F(ScheduledScan, TheUsersOwnScanNeverRemovesAutomatically) {
    Plant();
    form->chkAutoDel.SetValue(1);
    modGlobals::AutoRemoveAfterScan = true; // left over from nowhere: a tick clears it
    TickAt(Moment(9, 13, 0, 0));
    EXPECT_FALSE(modGlobals::AutoRemoveAfterScan);
    form->cmdScanNow_Click();
    EXPECT_TRUE(Scanned());
    EXPECT_TRUE(xfileExists::FileExists(threat_));
}

TEST_F(ScheduledScan, EveryTickRunsWithTheShieldTimersOff) {
    // A resize leaves the process shield off; the next tick brings the timers back as stored.
    form->tmrMemoryInspected.Enabled = false;
    TickAt(Moment(9, 13, 0, 0));
    EXPECT_TRUE(form->tmrMemoryInspected.Enabled);
    EXPECT_TRUE(form->tmrCheckHomePage.Enabled);
    EXPECT_TRUE(form->tmrScheduler.Enabled);

    bool timersOff = false;
    form->Steps.ScanFileDefinitions = [&] {
        timersOff = !form->tmrScheduler.Enabled && !form->tmrMemoryInspected.Enabled &&
                    !form->tmrCheckHomePage.Enabled && !form->tmrTimeOut.Enabled;
    };
    TickAt(Moment(9, 14, 0, 0));
    EXPECT_TRUE(Scanned());
    EXPECT_TRUE(timersOff);
    EXPECT_TRUE(form->tmrScheduler.Enabled);
    EXPECT_TRUE(form->tmrMemoryInspected.Enabled);

    Store("OptionAndSettings", "chkAutomaticScanYesOrNo", "0");
    TickAt(Moment(9, 14, 0, 1));
    EXPECT_FALSE(form->tmrScheduler.Enabled);
}

TEST_F(ScheduledScan, ATickDuringAnotherOperationWaitsAndFiresOnceWithinTheMinute) {
    Plant();
    form->chkAutoDel.SetValue(1);
    TickAt(Moment(9, 13, 59, 59));
    {
        BusyState::Operation update;
        TickAt(Moment(9, 14, 0, 0));
        TickAt(Moment(9, 14, 0, 20));
        EXPECT_FALSE(Scanned());
    }
    TickAt(Moment(9, 14, 0, 40));
    EXPECT_TRUE(Scanned());
    EXPECT_FALSE(xfileExists::FileExists(threat_));

    Plant();
    Store("Settings", "lblLastScan", "<none>");
    for (int second = 41; second < 60; ++second)
        TickAt(Moment(9, 14, 0, second));
    EXPECT_FALSE(Scanned());
    EXPECT_TRUE(xfileExists::FileExists(threat_));
}

TEST_F(ScheduledScan, SwitchedBackOnItStartsNothingForAMomentMissedWhileOff) {
    const struct {
        const char* name;
        std::function<void()> off, on;
    } rows[] = {
        {"the box unticked and ticked again",
         [this] { form->chkAutomaticScanYesOrNo.UserToggle(); },
         [this] { form->chkAutomaticScanYesOrNo.UserToggle(); }},
        // The timers follow the stored "off" at the next tick; the box stays ticked.
        {"stored off, then Apply",
         [this] { Store("OptionAndSettings", "chkAutomaticScanYesOrNo", "0"); },
         [this] { form->CmdProceed.Click(); }},
    };
    form->chkAutoDel.SetValue(1);
    auto tickWhileOn = [this](double now) {
        if (form->tmrScheduler.Enabled)
            TickAt(now);
    };
    int day = 9;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Plant();
        Store("Settings", "lblLastScan", "<none>");
        tickWhileOn(Moment(day, 13, 59, 58));
        row.off();
        for (int second = 59; second < 90; ++second)
            tickWhileOn(Moment(day, 13, 59, 0) + second / 86400.0);
        EXPECT_FALSE(form->tmrScheduler.Enabled);
        DateText::SetClock([now = Moment(day, 14, 0, 30)] { return now; });
        row.on();
        EXPECT_TRUE(form->tmrScheduler.Enabled);
        for (int second = 30; second < 60; ++second)
            tickWhileOn(Moment(day, 14, 0, second));
        EXPECT_FALSE(Scanned());
        EXPECT_TRUE(xfileExists::FileExists(threat_));

        // The next moment is a real one.
        tickWhileOn(Moment(day + 1, 13, 59, 59));
        tickWhileOn(Moment(day + 1, 14, 0, 0));
        EXPECT_TRUE(Scanned());
        EXPECT_FALSE(xfileExists::FileExists(threat_));
        EXPECT_EQ(Stored("OptionAndSettings", "chkAutomaticScanYesOrNo"), "1");
        day += 2;
    }
}

TEST_F(ScheduledScan, AScheduledFileScanAsksForItsFile) {
    form->optScan[2].SetValue(true);
    int asked = 0;
    ui::SetOpenFileDialogHandler([&] {
        ++asked;
        return threat_;
    });
    Plant();
    form->chkAutoDel.SetValue(1);
    TickAt(Moment(9, 14, 0, 0));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(xfileExists::FileExists(threat_));
    EXPECT_FALSE(modGlobals::AutoRemoveAfterScan);
}
