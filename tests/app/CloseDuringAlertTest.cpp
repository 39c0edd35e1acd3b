// Closing the main window while a shield's alert waits for its answer: the close takes the
// alert away unanswered, so the program ends instead of waiting for the user.
#include "ShownMainWindow.h"

#include "../protection/WindowAnswers.h"
#include "AnsiText.h"
#include "BusyState.h"
#include "DoEvents.h"
#include "HomePageShield.h"
#include "ModMemoryItemsInspected.h"
#include "ModSetHomePage.h"
#include "frmHomePageChangedAlert.h"
#include "frmSpywareFoundAlert.h"
#include "modGlobals.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

namespace {

const std::string kTestRoot = "Software\\" + PerProcess("TidewaterCloseDuringAlertTest");
const std::string kTestKey = kTestRoot + "\\Internet Explorer\\Main";

std::string StartPage() {
    wchar_t page[256] = {};
    DWORD size = sizeof(page);
    RegGetValueW(HKEY_CURRENT_USER, Utf8ToWide(kTestKey).c_str(),
                 Utf8ToWide(ModSetHomePage::kStartPageValue).c_str(), RRF_RT_REG_SZ, nullptr, page,
                 &size);
    return WideToUtf8(page);
}

} // namespace

class CloseDuringAlert : public ShownMainWindow {
  protected:
    CloseDuringAlert() : previousKey_(ModSetHomePage::StartPageKey) {
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kTestRoot).c_str());
        ModSetHomePage::StartPageKey = kTestKey;
    }
    ~CloseDuringAlert() override {
        processAlert.Unload();
        homePageAlert.Unload();
        ModSetHomePage::StartPageKey = previousKey_;
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kTestRoot).c_str());
    }

    std::string previousKey_;
    frmSpywareFoundAlert processAlert;
    frmHomePageChangedAlert homePageAlert;
    HomePageShield shield{*form, homePageAlert};
};

TEST_F(CloseDuringAlert, AProcessAlertGoesUnansweredAndTheShieldsPassEnds) {
    bool answeredInTime = false;
    // A pass of the process shield, inside the window's own handler, waiting for the answer
    // while the user closes the window.
    form->cmdLog.Click = [&] {
        ModMemoryItemsInspected::AlertAnswered = false;
        PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
        processAlert.ShowAlert({"Some Company", "lurker.exe", GetCurrentProcessId()});
        for (int i = 0; i < 200 && !ModMemoryItemsInspected::AlertAnswered; ++i) {
            ui::DoEvents();
            Sleep(5);
        }
        answeredInTime = ModMemoryItemsInspected::AlertAnswered;
    };
    SendMessageW(form->ControlHandle(form->cmdLog), BM_CLICK, 0, 0);
    EXPECT_TRUE(answeredInTime);
    EXPECT_TRUE(modGlobals::StopScanRequested);
    EXPECT_FALSE(processAlert.Loaded());
    EXPECT_FALSE(BusyState::IsBusy());
    EXPECT_FALSE(form->Loaded());
    EXPECT_EQ(Stored("OptionAndSettings", "STATUS"), "STOPPED");
    EXPECT_TRUE(TakeQuitRequest());
}

TEST_F(CloseDuringAlert, AStartPageQuestionGoesUnansweredAndChangesNothing) {
    Store("OptionAndSettings", "Homepage", "http://a.example/");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(kTestKey).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring changed = L"http://b.example/";
    RegSetValueExW(key, Utf8ToWide(ModSetHomePage::kStartPageValue).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(changed.c_str()),
                   static_cast<DWORD>((changed.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    WindowAnswers answers(homePageAlert);
    answers.Then([this](ui::Form&) { SendMessageW(form->Handle(), WM_CLOSE, 0, 0); });
    shield.tmrCheckHomePage_Timer();
    EXPECT_EQ(answers.Pending(), 0u);
    EXPECT_FALSE(homePageAlert.Loaded());
    EXPECT_EQ(StartPage(), "http://b.example/");
    EXPECT_EQ(Stored("OptionAndSettings", "Homepage"), "http://a.example/");
    EXPECT_FALSE(form->Loaded());
    EXPECT_EQ(Stored("OptionAndSettings", "STATUS"), "STOPPED");
    EXPECT_TRUE(TakeQuitRequest());
}
