// The report window and the About box as the user sees them, under the test display: "Log File"
// clicked in a real main window brings up the whole report, far longer than a plain edit box
// takes. Pictures go to the sandbox's C:\screenshots.
#include "MainWindowFixture.h"

#include "AnsiText.h"
#include "DoEvents.h"
#include "MachineSettingsStore.h"
#include "ScanResults.h"
#include "Screenshot.h"
#include "ShellPanel.h"
#include "frmAbout.h"
#include "frmReport.h"
#include "modGlobals.h"
#include "modLorvane.h"
#include "modReport.h"

#include <windows.h>

#include <functional>

#include <gtest/gtest.h>

namespace {

// Runs once, from the message loop of the modal window the test is waiting in.
std::function<void()> whileShown;

void CALLBACK RunWhileShown(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!ReportWindow().Loaded() || !IsWindowVisible(ReportWindow().Handle()))
        return;
    KillTimer(nullptr, timer);
    if (whileShown)
        whileShown();
}

std::wstring NativeText(HWND control) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

unsigned long GetFileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data);
    return data.nFileSizeLow;
}

bool SavePicture(ui::Form& window, const char* name) {
    ui::DoEvents();
    return ui::SaveWindowScreenshot(window.Handle(),
                                    std::string("C:\\screenshots\\") + name + ".bmp");
}

} // namespace

class ShellWindowsUi : public MainWindowFixture {
  protected:
    ShellWindowsUi() : panel(*form) {
        AsOnALaterStart();
        panel.Connect();
        EXPECT_TRUE(form->Load());
        // The start-up took the user's own data folder; the test's report lies in its own.
        modGlobals::DataFolder = data.Path();
        CreateDirectoryW(L"C:\\screenshots", nullptr);
    }
    ~ShellWindowsUi() override {
        whileShown = nullptr;
        ReportWindow().Unload();
        AboutWindow().Unload();
        if (form->Loaded())
            form->Unload();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    ShellPanel panel;
};

TEST_F(ShellWindowsUi, LogFileShowsAReportLongerThanAPlainEditBoxTakes) {
    form->Show();
    // The report of a scan that found 1,000 registry entries: some 200 KiB.
    for (int i = 0; i < 1000; ++i) {
        ui::ListItem& row = AddFoundItemRow(
            "Toolbar " + std::to_string(i), ItemRegistry,
            "HKEY_CURRENT_USER\\Software\\Toolbar" + std::to_string(i) + "\\Bar", "Adware", "");
        row.SetSubItem(3, "Medium/High");
        row.SetSubItem(4, "Adware displays ads on your computer and can compromise your security.");
    }
    ASSERT_TRUE(modReport::MakeReport(*form));
    ASSERT_GT(GetFileSize(modReport::ReportPath()), 65536u);
    const std::wstring expected = Utf8ToWide(modReport::ReportDisplayText(modReport::ReportPath()));

    std::wstring shown;
    bool showReportOff = false;
    whileShown = [&] {
        frmReport& window = ReportWindow();
        shown = NativeText(window.ControlHandle(window.txtReport));
        showReportOff = !form->lblViewLogFile.Enabled;
        EXPECT_EQ(window.Caption, kTestProduct + " Log");
        EXPECT_TRUE(SavePicture(window, "report"));
        SendMessageW(window.ControlHandle(window.cmdOk), BM_CLICK, 0, 0);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, RunWhileShown);
    SendMessageW(form->ControlHandle(form->cmdLog), BM_CLICK, 0, 0);
    KillTimer(nullptr, timer);

    EXPECT_EQ(shown.size(), expected.size());
    EXPECT_TRUE(shown == expected);
    EXPECT_TRUE(showReportOff);
    EXPECT_TRUE(form->lblViewLogFile.Enabled);
    // OK unloads the window, so the next opening reads the file anew.
    EXPECT_FALSE(ReportWindow().Loaded());
}

TEST_F(ShellWindowsUi, ShowReportOpensTheReportWindowWithoutAReport) {
    form->Show();
    form->cmdScan_Click();
    form->Refresh();
    EXPECT_TRUE(IsWindowVisible(form->ControlHandle(form->lblViewLogFile)));
    EXPECT_TRUE(SavePicture(*form, "scan-page-show-report"));

    std::wstring shown = L"unread";
    whileShown = [&] {
        frmReport& window = ReportWindow();
        shown = NativeText(window.ControlHandle(window.txtReport));
        SendMessageW(window.ControlHandle(window.cmdOk), BM_CLICK, 0, 0);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, RunWhileShown);
    form->lblViewLogFile.Click();
    KillTimer(nullptr, timer);
    EXPECT_EQ(shown, L"");
}

TEST_F(ShellWindowsUi, TheAboutBoxOnTheScreen) {
    const std::string previousWebsite = modLorvane::WebsiteHost;
    modLorvane::WebsiteHost = "www.tidewater-software.example";
    form->mnuAboutItem_Click();
    modLorvane::WebsiteHost = previousWebsite;
    frmAbout& about = AboutWindow();
    ASSERT_TRUE(about.Loaded());
    about.Refresh();
    EXPECT_TRUE(IsWindowVisible(about.Handle()));
    EXPECT_EQ(NativeText(about.ControlHandle(about.Label1)), Utf8ToWide(kTestProduct));
    EXPECT_TRUE(SavePicture(about, "about"));
}
