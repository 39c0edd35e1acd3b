// The process shield on programs the tests start themselves, with its alert as a real window
// under the test display, answered as a person would. Pictures go to C:\screenshots.
#include "WindowAnswers.h"

#include "AnsiText.h"
#include "BusyState.h"
#include "DefinitionFile.h"
#include "DoEvents.h"
#include "Exclusions.h"
#include "MainWindowFixture.h"
#include "ManualScanState.h"
#include "ModMemoryItemsInspected.h"
#include "PlantedProcess.h"
#include "ProcessControl.h"
#include "ProcessShield.h"
#include "ScanResults.h"
#include "Screenshot.h"
#include "ScriptedMessageBoxes.h"
#include "TextRules.h"
#include "VersionInfo.h"
#include "clsLanguages.h"
#include "frmSpywareFoundAlert.h"
#include "modGlobals.h"
#include "modLanguages.h"
#include "xfileExists.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace ModMemoryItemsInspected;
using TextRules::ToUpper;

class ProcessShieldTest : public MainWindowFixture {
  protected:
    ProcessShieldTest() : shield(*form, alert) {
        modLanguages::LoadDefaultMessages();
        SetManualScanTest([this] { return form->ScanRunning(); });
        LastProcessNames.clear();
        shield.Connect();
        CreateDirectoryW(L"C:\\screenshots", nullptr);
    }
    ~ProcessShieldTest() override {
        alert.Unload();
        SetProcessAlertWindow(nullptr);
        SetManualScanTest(nullptr);
        ProcessControl::SetTerminateOverride(nullptr);
        LastProcessNames.clear();
    }

    static std::string FileName(const PlantedProcess& planted) {
        return ToUpper(xfileExists::FileNamePart(planted.Path()));
    }
    void Define(std::initializer_list<const PlantedProcess*> threats) {
        std::vector<std::string> lines;
        for (const PlantedProcess* planted : threats)
            lines.push_back(xfileExists::FileNamePart(planted->Path()) + "=Test.Threat|" +
                            planted->Folder());
        WriteDefinitionFile(kExeDefinitionFile, lines);
    }
    // The shield's timers as a running program has them, before the tick switches them off.
    void TimersRunning() {
        form->tmrMemoryInspected.Enabled = form->tmrCheckHomePage.Enabled = true;
        form->tmrScheduler.Enabled = form->tmrTimeOut.Enabled = true;
    }
    bool AnyShieldTimerOn() const {
        return form->tmrMemoryInspected.Enabled || form->tmrCheckHomePage.Enabled ||
               form->tmrScheduler.Enabled || form->tmrTimeOut.Enabled;
    }
    // While the alert waits: every shield off and the program busy.
    WindowAnswers::Action WhileWaiting(const std::string& picture = {}) {
        return [this, picture](ui::Form& window) {
            EXPECT_FALSE(AnyShieldTimerOn());
            EXPECT_TRUE(BusyState::IsBusy());
            if (!picture.empty()) {
                EXPECT_TRUE(ui::SaveWindowScreenshot(window.Handle(),
                                                     "C:\\screenshots\\" + picture + ".bmp"));
            }
        };
    }
    static WindowAnswers::Action Both(WindowAnswers::Action first, WindowAnswers::Action then) {
        return [first, then](ui::Form& window) {
            first(window);
            then(window);
        };
    }
    // After the tick: the program idle and the timers as the settings say (scheduler off).
    void ExpectShieldsBack() const {
        EXPECT_FALSE(BusyState::IsBusy());
        EXPECT_TRUE(form->tmrMemoryInspected.Enabled);
        EXPECT_TRUE(form->tmrCheckHomePage.Enabled);
        EXPECT_FALSE(form->tmrScheduler.Enabled);
        EXPECT_FALSE(alert.Loaded());
    }
    const ui::ListView& Running() const { return ScanLists().lvwSpywareFound; }

    frmSpywareFoundAlert alert;
    ProcessShield shield;
};

TEST_F(ProcessShieldTest, StopEndsExactlyTheMatchedCopyAndAClosedAlertIsNoAnswer) {
    const std::string name = UniqueProcessName("Twin.exe");
    PlantedProcess first(name);
    PlantedProcess second(name);
    // The second copy matches by its file name in another folder.
    Define({&first});
    std::vector<uint32_t> alerted;
    SetProcessAlertWindow([&](const RunningProcessAlert& match) {
        alerted.push_back(match.processId);
        alert.ShowAlert(match);
    });
    TimersRunning();
    const std::string fileName = ToUpper(name);
    auto shows = [&](ui::Form& window) {
        EXPECT_EQ(alert.lblAlertCompanyName.Caption, "MSG_NOCOMPANY " + fileName);
        wchar_t text[256] = {};
        GetWindowTextW(window.ControlHandle(alert.lblAlertFileName), text, 256);
        EXPECT_EQ(WideToUtf8(text), fileName);
        GetWindowTextW(window.Handle(), text, 256);
        EXPECT_EQ(WideToUtf8(text), kTestProduct + " - Alert");
        EXPECT_TRUE(alert.tmrBlink.Enabled);
    };
    WindowAnswers answers(alert);
    answers.Then(Both(Both(shows, WhileWaiting("spyware-found-alert")), WindowAnswers::CloseBox()))
        .Then(Both(WhileWaiting(), WindowAnswers::Click(alert.cmdYes)));
    form->tmrMemoryInspected.Tick();

    EXPECT_EQ(answers.Pending(), 0u);
    ASSERT_EQ(alerted.size(), 2u);
    const PlantedProcess& kept = alerted[0] == first.Id() ? first : second;
    const PlantedProcess& stopped = alerted[0] == first.Id() ? second : first;
    EXPECT_EQ(alerted[1], stopped.Id());
    EXPECT_TRUE(stopped.Ended());
    EXPECT_TRUE(kept.Running());
    EXPECT_FALSE(modGlobals::IsExcluded(name));
    EXPECT_EQ(modGlobals::ItemsFound, 2);
    EXPECT_EQ(Running().Count(), 0u);
    ExpectShieldsBack();
}

TEST_F(ProcessShieldTest, AllowExcludesTheProgramSoLaterPassesOnlyListIt) {
    PlantedProcess threat(UniqueProcessName("Allowed.exe"));
    Define({&threat});
    const std::string fileName = FileName(threat);
    {
        WindowAnswers answers(alert);
        answers.Then(WindowAnswers::Click(alert.cmdNO));
        form->tmrMemoryInspected.Tick();
        EXPECT_EQ(answers.Pending(), 0u);
    }
    EXPECT_TRUE(threat.Running());
    EXPECT_TRUE(modGlobals::IsExcluded(fileName));
    std::ifstream file(modGlobals::DataFile(modGlobals::kExclusionFile), std::ios::binary);
    const std::string written{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(written, fileName + "\r\n\r\n");
    ExpectShieldsBack();

    // The next pass that looks lists the program as excluded and asks nothing.
    LastProcessNames.clear();
    WindowAnswers none(alert);
    form->tmrMemoryInspected.Tick();
    ASSERT_EQ(Running().Count(), 1u);
    EXPECT_EQ(Running().Item(0).Text, "EXCLUDED");
    EXPECT_EQ(Running().Item(0).SubItem(1), fileName);
}

TEST_F(ProcessShieldTest, AStopThatFailsNamesTheFileAndExcludesNothing) {
    PlantedProcess threat(UniqueProcessName("Stubborn.exe"));
    Define({&threat});
    ProcessControl::SetTerminateOverride([](uint32_t, unsigned) { return false; });
    ScriptedMessageBoxes boxes;
    boxes.Expect(IDOK);
    WindowAnswers answers(alert);
    answers.Then(WindowAnswers::Click(alert.cmdYes));
    form->tmrMemoryInspected.Tick();

    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].prompt,
              FileName(threat) + " " + Lang.getMessages("MSG_ERROR_STOPPED"));
    EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_ICONINFORMATION | MB_OK));
    EXPECT_EQ(boxes.Shown()[0].title, kTestProduct);
    EXPECT_TRUE(threat.Running());
    EXPECT_FALSE(modGlobals::IsExcluded(FileName(threat)));
    ExpectShieldsBack();
}

TEST_F(ProcessShieldTest, TheProgramEndingEndsTheWaitAndRaisesNoFurtherAlert) {
    PlantedProcess first(UniqueProcessName("QuitFirst.exe"));
    PlantedProcess second(UniqueProcessName("QuitSecond.exe"));
    Define({&first, &second});
    TimersRunning();
    WindowAnswers answers(alert);
    answers.Then(Both(WhileWaiting(), WindowAnswers::Quit()));
    form->tmrMemoryInspected.Tick();
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    DropQuitRequest();

    EXPECT_EQ(answers.Pending(), 0u);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(second.Running());
    ExpectShieldsBack();
}

TEST_F(ProcessShieldTest, AShieldSwitchedOffOrUnreadableLeavesEverythingAsItWas) {
    PlantedProcess threat(UniqueProcessName("Off.exe"));
    Define({&threat});
    for (const char* stored : {"False", "0", "maybe"}) {
        Store("OptionAndSettings", "optMemorySheildOn", stored);
        form->tmrMemoryInspected.Enabled = true;
        form->tmrScheduler.Enabled = true;
        WindowAnswers none(alert);
        form->tmrMemoryInspected.Tick();
        EXPECT_TRUE(form->tmrMemoryInspected.Enabled) << stored;
        EXPECT_TRUE(form->tmrScheduler.Enabled) << stored;
        EXPECT_TRUE(LastProcessNames.empty()) << stored;
    }
}

TEST_F(ProcessShieldTest, ATickDuringAnotherOperationStartsNoPass) {
    PlantedProcess threat(UniqueProcessName("Busy.exe"));
    Define({&threat});
    const BusyState::Operation scan;
    WindowAnswers none(alert);
    form->tmrMemoryInspected.Tick();
    EXPECT_TRUE(LastProcessNames.empty());
}

TEST_F(ProcessShieldTest, TheDebugMenuShowsTheAlertAsDesignedAndItsStopEndsNothing) {
    form->mnuDebugItem_Click(2);
    ASSERT_TRUE(alert.Visible());
    EXPECT_EQ(alert.lblAlertFileName.Caption, "Unknown Executable");
    EXPECT_EQ(alert.lblAlertCompanyName.Caption, "Unknown Company");
    EXPECT_FALSE(BusyState::IsBusy());
    ui::DoEvents();
    EXPECT_TRUE(
        ui::SaveWindowScreenshot(alert.Handle(), "C:\\screenshots\\spyware-found-debug.bmp"));
    // Nothing was matched, so STOP has nothing to stop and nothing to report.
    SendMessageW(alert.ControlHandle(alert.cmdYes), BM_CLICK, 0, 0);
    EXPECT_FALSE(alert.Loaded());
    EXPECT_TRUE(AlertAnswered);
}

TEST_F(ProcessShieldTest, StopNeverEndsThisProgram) {
    const std::string self = ToUpper(xfileExists::FileNamePart(OwnExecutablePath()));
    ScriptedMessageBoxes boxes;
    boxes.Expect(IDOK);
    WindowAnswers answers(alert);
    answers.Then(WindowAnswers::Click(alert.cmdYes));
    AlertAnswered = false;
    alert.ShowAlert({"", self, GetCurrentProcessId()});
    while (!AlertAnswered) {
        ui::DoEvents();
        Sleep(5);
    }
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].prompt, self + " " + Lang.getMessages("MSG_ERROR_STOPPED"));
    EXPECT_FALSE(BusyState::IsBusy());
}
