// The input box as the user meets it, under the test display: what it shows, every way to
// answer or cancel it (Enter and Escape in its text box reach the box, not the dialog manager),
// and its picture in the sandbox's C:\screenshots.
#include <windows.h>

#include "AnsiText.h"
#include "DoEvents.h"
#include "InputBox.h"
#include "Screenshot.h"
#include "ScriptedInputBoxes.h"
#include "modLorvane.h"

#include <gtest/gtest.h>

namespace {

// The longest prompt the program asks with.
constexpr const char* kLongPrompt =
    "Please enter more information about these files and the reason that you think they are a "
    "false positive.  If possible, please supply the location where we can download the "
    "non-malicious software that these files are related to, in addition to your email address "
    "if you would like to be contacted for followups.";

constexpr UINT_PTR kGiveUpTimer = 0xBEE;
bool gaveUp = false;

// Closes a box the test failed to end, so that a fault fails the test instead of hanging it.
void CALLBACK GiveUp(HWND window, UINT, UINT_PTR, DWORD) {
    gaveUp = true;
    KillTimer(window, kGiveUpTimer);
    PostMessageW(window, WM_CLOSE, 0, 0);
}

std::string NativeText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return WideToUtf8(text);
}

class InputBoxWindow : public testing::Test {
  public:
    // Public, so that the rows of a table can act on the window.
    InputBoxWindow() {
        gaveUp = false;
        CreateDirectoryW(L"C:\\screenshots", nullptr);
    }

    void Open(const std::string& prompt = "Why?", const std::string& defaultText = "default") {
        box.Open({prompt, "Question title", defaultText});
        box.Refresh();
        SetTimer(box.Handle(), kGiveUpTimer, 10000, GiveUp);
    }
    HWND Native(const ui::Control& control) const { return box.ControlHandle(control); }
    void Type(const std::string& text) {
        SetWindowTextW(Native(box.txtAnswer), Utf8ToWide(text).c_str());
    }
    // A key as the keyboard delivers it to the focused text box, through the message loop.
    void PostKey(WPARAM key) { PostMessageW(Native(box.txtAnswer), WM_KEYDOWN, key, 1); }

    ui::frmInputBox box;
};

TEST_F(InputBoxWindow, ShowsThePromptTitleAndDefaultTextWithTheFocusInTheBox) {
    Open();
    ASSERT_TRUE(box.Visible());
    EXPECT_EQ(NativeText(box.Handle()), "Question title");
    EXPECT_EQ(NativeText(Native(box.lblPrompt)), "Why?");
    EXPECT_EQ(NativeText(Native(box.txtAnswer)), "default");
    EXPECT_EQ(NativeText(Native(box.cmdOK)), "OK");
    EXPECT_EQ(NativeText(Native(box.cmdCancel)), "Cancel");
    EXPECT_EQ(GetFocus(), Native(box.txtAnswer));
    DWORD start = 0, end = 0;
    SendMessageW(Native(box.txtAnswer), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 7u);
    // Tab still moves on: only Enter and Escape stay with the box.
    MSG tab = {Native(box.txtAnswer), WM_KEYDOWN, VK_TAB, 1, 0, {}};
    ui::DispatchUiMessage(tab);
    EXPECT_EQ(GetFocus(), Native(box.cmdOK));
    PostMessageW(box.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(box.WaitForAnswer(), "");
    EXPECT_FALSE(box.Loaded());
}

TEST_F(InputBoxWindow, EveryWayOutGivesTheTextOnlyForOk) {
    struct Case {
        const char* name;
        std::function<void(InputBoxWindow&)> act;
        bool answered;
    } cases[] = {
        {"Enter", [](InputBoxWindow& t) { t.PostKey(VK_RETURN); }, true},
        {"OK", [](InputBoxWindow& t) { PostMessageW(t.Native(t.box.cmdOK), BM_CLICK, 0, 0); },
         true},
        {"Escape", [](InputBoxWindow& t) { t.PostKey(VK_ESCAPE); }, false},
        {"Cancel",
         [](InputBoxWindow& t) { PostMessageW(t.Native(t.box.cmdCancel), BM_CLICK, 0, 0); }, false},
        {"close box", [](InputBoxWindow& t) { PostMessageW(t.box.Handle(), WM_CLOSE, 0, 0); },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open();
        Type("  typed & kept ");
        c.act(*this);
        EXPECT_EQ(box.WaitForAnswer(), c.answered ? "  typed & kept " : "");
        EXPECT_FALSE(gaveUp);
        EXPECT_FALSE(box.Loaded());
    }
}

TEST_F(InputBoxWindow, TheLongestPromptFitsAndThePictureIsKept) {
    Open(kLongPrompt, "");
    HWND label = Native(box.lblPrompt);
    RECT room;
    GetClientRect(label, &room);
    RECT needed = room;
    HDC dc = GetDC(label);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    DrawTextW(dc, Utf8ToWide(kLongPrompt).c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    EXPECT_LE(needed.bottom, room.bottom);

    ui::DoEvents();
    EXPECT_TRUE(ui::SaveWindowScreenshot(box.Handle(), "C:\\screenshots\\inputbox.bmp"));
    PostMessageW(Native(box.cmdCancel), BM_CLICK, 0, 0);
    EXPECT_EQ(box.WaitForAnswer(), "");
}

TEST(InputBoxScript, AnswersInOrderAndNamesTheProductWhenNoTitleIsGiven) {
    const std::string previous = modLorvane::ProgramName;
    modLorvane::ProgramName = "Scripted Product";
    {
        ScriptedInputBoxes inputs;
        inputs.Answer("first");
        inputs.Cancel();
        EXPECT_EQ(ui::InputBox("One?"), "first");
        EXPECT_EQ(ui::InputBox("Two?", "Own title", "suggested"), "");
        ASSERT_EQ(inputs.Shown().size(), 2u);
        EXPECT_EQ(inputs.Shown()[0].title, "Scripted Product");
        EXPECT_EQ(inputs.Shown()[1].title, "Own title");
        EXPECT_EQ(inputs.Shown()[1].defaultText, "suggested");
    }
    modLorvane::ProgramName = previous;
}

} // namespace
