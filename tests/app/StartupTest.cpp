#include "MainWindowFixture.h"

#include "AnsiText.h"
#include "MachineSettingsStore.h"
#include "ScriptedMessageBoxes.h"
#include "SettingsStore.h"
#include "TextRules.h"
#include "clsLanguages.h"
#include "modLorvane.h"

#include <windows.h>

#include <gtest/gtest.h>

class StartupTest : public MainWindowFixture {
  protected:
    StartupTest() {
        RecordSteps();
        auto record = [this](const char* name) { return [this, name] { calls.push_back(name); }; };
        form->Links.ShowLanguageChooser = record("ShowLanguageChooser");
        form->Links.ShowHelpOnce = [this] {
            calls.push_back("ShowHelpOnce");
            return true;
        };
        form->Links.RunLiveUpdate = record("RunLiveUpdate");
        form->Links.SendToTray = record("SendToTray");
        form->Links.EndProcess = record("EndProcess");
        form->Links.PrevInstance = [this] { return secondCopy; };
    }
    std::string Machine(const std::string& key) {
        return GetMachineSetting(kTestProduct, "Settings", key, "<none>");
    }

    bool secondCopy = false;
};

TEST_F(StartupTest, FirstStartRunsTheWholeSequence) {
    SaveSetting("Quintrel2", kTestCompany, "Name", "Sibling Tool");
    Store("OptionAndSettings", "chkAutomaticUpdate", "1");
    ScriptedMessageBoxes boxes;
    boxes.Expect(IDYES);
    form->Form_Load();

    EXPECT_EQ(calls,
              (std::vector<std::string>{"ShowLanguageChooser", "ShowHelpOnce", "RunLiveUpdate"}));
    EXPECT_EQ(Stored("Settings", "Language"), "English");
    EXPECT_EQ(CurrentLanguage, "English");
    EXPECT_EQ(Stored("OptionAndSettings", "STATUS"), "RUNNING");
    EXPECT_EQ(Stored("OptionAndSettings", "RESTART"), "False");
    EXPECT_EQ(Stored("Settings", "showHelp"), "0");
    EXPECT_EQ(Machine("FirstTime"), "Yes");
    EXPECT_EQ(GetSetting("Pellimar2", kTestCompany, "Name", ""), kTestProduct);
    EXPECT_TRUE(TextRules::EndsWith(GetSetting("Pellimar2", kTestCompany, "File", ""), ".exe"));
    EXPECT_TRUE(form->cmdHijack.Visible);
    EXPECT_EQ(form->cmdHijack.Caption, "Sibling Tool");

    // The welcome box, from the catalog's texts.
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_YESNO));
    EXPECT_EQ(boxes.Shown()[0].title, Lang.getMessages("MSG_THANK4"));
    EXPECT_EQ(boxes.Shown()[0].prompt, Lang.getMessages("MSG_THANK1") + "\r\n\r\n" +
                                           Lang.getMessages("MSG_THANK2") + "\r\n\r\n" +
                                           Lang.getMessages("MSG_THANK3"));

    // The status page is shown, the options loaded, the timers as the settings say.
    EXPECT_TRUE(form->frmStatus.Visible);
    EXPECT_FALSE(form->frmScan.Visible);
    EXPECT_EQ(form->frmStatus.Caption, std::string(kTestProduct) + " Status");
    EXPECT_EQ(form->Caption, Lang.getMessages("MSG_CAPTION"));
    EXPECT_EQ(form->Label22.Caption, Lang.getMessages("MSG_CAPTION2"));
    EXPECT_EQ(form->chkMakeLog.Value(), 1);
    EXPECT_FALSE(form->tmrScheduler.Enabled);
    EXPECT_TRUE(form->tmrMemoryInspected.Enabled);
    EXPECT_TRUE(form->tmrCheckHomePage.Enabled);
    EXPECT_FALSE(form->tmrTimeOut.Enabled);
    EXPECT_FALSE(form->tmrScroll.Enabled);
    EXPECT_TRUE(form->timUpdate.Enabled);
    EXPECT_FALSE(form->StartedInTray);
    EXPECT_GT(form->lists.lvwHardDrives.Count(), 0u);
}

TEST_F(StartupTest, LaterStartsAskNothingAndFollowTheStoredState) {
    Store("Settings", "Language", "English");
    Store("Settings", "showHelp", "0");
    Store("Settings", "Minimized", "Yes");
    Store("OptionAndSettings", "chkAutomaticUpdate", "0");
    Store("OptionAndSettings", "optMemorySheildOn", "False");
    Store("OptionAndSettings", "chkAutomaticScanYesOrNo", "1");
    SaveMachineSetting(kTestProduct, "Settings", "FirstTime", "Yes");
    ScriptedMessageBoxes boxes;
    form->Form_Load();
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(calls, std::vector<std::string>{"SendToTray"});
    EXPECT_TRUE(form->StartedInTray);
    EXPECT_FALSE(form->timUpdate.Enabled);
    EXPECT_TRUE(form->tmrScheduler.Enabled);
    EXPECT_FALSE(form->tmrMemoryInspected.Enabled);
    EXPECT_FALSE(form->cmdHijack.Visible);
}

TEST_F(StartupTest, ASecondCopyEndsAtOnceWithoutWritingItsState) {
    Store("Settings", "Language", "English");
    secondCopy = true;
    form->Form_Load();
    EXPECT_EQ(calls, std::vector<std::string>{"EndProcess"});
    EXPECT_EQ(Stored("OptionAndSettings", "STATUS"), "<none>");
    EXPECT_EQ(Machine("FirstTime"), "<none>");
    // The handshake values are written before the test.
    EXPECT_EQ(GetSetting("Pellimar2", kTestCompany, "Name", ""), kTestProduct);
}
