// The main window's ways out: the website, the sibling tool, help and About. Every launch is
// recorded by the test's launcher and never carried out.
#include "MainWindowFixture.h"

#include "AnsiText.h"
#include "AppPath.h"
#include "DoEvents.h"
#include "ExpectedLaunches.h"
#include "Form8.h"
#include "MachineSettingsStore.h"
#include "ScriptedMessageBoxes.h"
#include "SettingsStore.h"
#include "ShellPanel.h"
#include "TwinMachineKey.h"
#include "VersionInfo.h"
#include "WebPageMode.h"
#include "frmAbout.h"
#include "frmWebsite.h"
#include "modLorvane.h"

#include <windows.h>

#include <algorithm>

#include <gtest/gtest.h>

class ShellPanelTest : public MainWindowFixture {
  protected:
    ShellPanelTest() : panel(*form), previousWebsite_(modLorvane::WebsiteHost) {
        panel.Connect();
        WebsiteWindow().RefreshIdentity = [this] {
            ++identityRefreshes;
            modLorvane::WebsiteHost = website;
        };
        HelpWindow().HelpFolder = machine.Path();
    }
    ~ShellPanelTest() override {
        for (ui::Form* window :
             std::initializer_list<ui::Form*>{&WebsiteWindow(), &HelpWindow(), &AboutWindow()})
            window->Unload();
        WebsiteWindow().RefreshIdentity = modLorvane::LoadAppIdentity;
        HelpWindow().HelpFolder = AppPath::Path();
        WebPageMode.clear();
        modLorvane::WebsiteHost = previousWebsite_;
        DropQuitRequest();
    }
    static void DropQuitRequest() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    std::string MachineHelpFlag() const {
        return GetMachineSetting(kTestProduct, "Settings", "showHelp", "<none>");
    }
    void ForgetMachineHelpFlag() const {
        DeleteKeyInBothViews(HKEY_LOCAL_MACHINE,
                             Utf8ToWide("SOFTWARE\\" + kTestCompany + "\\" + kTestProduct));
    }

    ShellPanel panel;
    std::string website = "www.example.test";
    int identityRefreshes = 0;
    std::string previousWebsite_;
};

TEST(WebsiteAddress, HttpGoesInFrontUnlessASchemeIsThereAlready) {
    const std::pair<const char*, const char*> rows[] = {
        {"www.example.test", "http://www.example.test"},
        {"http://www.example.test", "http://www.example.test"},
        {"https://www.example.test", "https://www.example.test"},
        {"HTTP://WWW.EXAMPLE.TEST", "HTTP://WWW.EXAMPLE.TEST"},
        {"Https://example.test/a", "Https://example.test/a"},
        {"see http://example.test", "see http://example.test"},
        {"ftp://example.test", "http://ftp://example.test"},
        {"http:/example.test", "http://http:/example.test"},
        {"", "http://"},
    };
    for (const auto& [website, address] : rows)
        EXPECT_EQ(WebsiteAddress(website), address) << website;
}

TEST_F(ShellPanelTest, TheWebsiteButtonOpensTheSiteOncePerWindow) {
    ExpectedLaunches launches;
    launches.Expect();
    form->cmdWebsite.Click();
    // A second press while the window still lives opens nothing.
    form->cmdWebsite.Click();
    ASSERT_EQ(launches.Launched().size(), 1u);
    EXPECT_EQ(launches.Launched()[0].File, "http://www.example.test");
    EXPECT_EQ(launches.Launched()[0].Parameters, "");
    EXPECT_EQ(launches.Launched()[0].Show, SW_SHOWNORMAL);
    EXPECT_EQ(identityRefreshes, 1);
    EXPECT_FALSE(WebsiteWindow().Visible());

    // A second later the window has gone, and the next press opens the site again with the
    // identity read anew.
    const DWORD start = GetTickCount();
    while (WebsiteWindow().Loaded() && GetTickCount() - start < 5000) {
        ui::DoEvents();
        Sleep(20);
    }
    EXPECT_FALSE(WebsiteWindow().Loaded());
    EXPECT_GE(GetTickCount() - start, 500u);
    website = "https://other.example.test";
    launches.Expect();
    AboutWindow().lblWebsite_Click();
    ASSERT_EQ(launches.Launched().size(), 2u);
    EXPECT_EQ(launches.Launched()[1].File, "https://other.example.test");
    EXPECT_EQ(WebPageMode, "");
}

TEST_F(ShellPanelTest, TheWebsiteWindowOpensNothingWithoutAPageToOpen) {
    ExpectedLaunches launches;
    ASSERT_TRUE(WebsiteWindow().Load());
    EXPECT_EQ(identityRefreshes, 1);
    EXPECT_TRUE(launches.Launched().empty());
}

TEST_F(ShellPanelTest, TheSiblingToolStartsFromItsRecordOrIsReportedGone) {
    const std::string tool = machine.WriteFile("Anti Hijack Tool\\hijack tool.exe", "MZ");
    const struct {
        const char* name;
        std::string file;
        bool started;
    } rows[] = {
        {"a path with blanks", tool, true},
        {"a file that has gone", machine / "gone.exe", false},
        {"nothing published", "", false},
    };
    // The tool writes, moves and takes away its record while this program runs: each click
    // reads it anew.
    const std::wstring record =
        Utf8ToWide("Software\\VB and VBA Program Settings\\Quintrel2\\" + kTestCompany);
    for (const auto& row : rows) {
        RegDeleteTreeW(HKEY_CURRENT_USER, record.c_str());
        if (!row.file.empty()) {
            const std::wstring file = Utf8ToWide(row.file);
            ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, record.c_str(), L"File", REG_SZ,
                                      file.c_str(),
                                      static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t))),
                      ERROR_SUCCESS);
        }
        ExpectedLaunches launches;
        ScriptedMessageBoxes boxes;
        if (row.started)
            launches.Expect();
        else
            boxes.Expect(IDOK);
        form->cmdHijack.Click();
        if (row.started) {
            ASSERT_EQ(launches.Launched().size(), 1u) << row.name;
            EXPECT_EQ(launches.Launched()[0].File, tool);
            EXPECT_EQ(launches.Launched()[0].Show, SW_SHOWNORMAL);
            EXPECT_FALSE(launches.Launched()[0].Wait);
        } else {
            ASSERT_EQ(boxes.Shown().size(), 1u) << row.name;
            EXPECT_EQ(boxes.Shown()[0].prompt,
                      "Sorry, the following file no longer exists: \r\n" + row.file);
            EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_OK));
            EXPECT_EQ(boxes.Shown()[0].title, kTestProduct);
        }
    }
}

TEST_F(ShellPanelTest, TheHelpMenuOpensTheHelpFileEveryTime) {
    const std::string help = machine.WriteFile("Help.chm", "help");
    for (int choice = 0; choice < 2; ++choice) {
        ForgetMachineHelpFlag();
        ExpectedLaunches launches;
        launches.Expect();
        form->mnuHelpItem_Click();
        ASSERT_EQ(launches.Launched().size(), 1u);
        EXPECT_EQ(launches.Launched()[0].File, help);
        EXPECT_EQ(launches.Launched()[0].Show, SW_SHOWNORMAL);
        EXPECT_EQ(MachineHelpFlag(), "0");
        EXPECT_FALSE(HelpWindow().Loaded());
    }
}

TEST_F(ShellPanelTest, HelpThatCannotOpenIsNotStoredAsShown) {
    {
        ExpectedLaunches launches; // no help file: nothing to open
        EXPECT_FALSE(panel.ShowHelp());
    }
    EXPECT_EQ(MachineHelpFlag(), "<none>");
    machine.WriteFile("Help.chm", "help");
    {
        ExpectedLaunches launches;
        launches.Expect({false, false, 0}); // the viewer refuses it
        EXPECT_FALSE(panel.ShowHelp());
    }
    EXPECT_EQ(MachineHelpFlag(), "<none>");
}

// The first start shows the help; "showHelp" is stored as shown only once it has opened.
TEST_F(ShellPanelTest, TheFirstStartStoresTheHelpAsShownOnlyWhenItOpened) {
    Store("Settings", "Language", "English");
    SaveMachineSetting(kTestProduct, "Settings", "FirstTime", "Yes");
    form->Links.PrevInstance = [] { return false; };
    form->Links.ShowHelpOnce = nullptr;
    form->Form_Load(); // no help window connected yet
    EXPECT_EQ(Stored("Settings", "showHelp"), "<none>");

    panel.Connect();
    form->Form_Load(); // no help file
    EXPECT_EQ(Stored("Settings", "showHelp"), "<none>");

    machine.WriteFile("Help.chm", "help");
    ExpectedLaunches launches;
    launches.Expect();
    form->Form_Load();
    EXPECT_EQ(launches.Launched().size(), 1u);
    EXPECT_EQ(Stored("Settings", "showHelp"), "0");
    form->Form_Load(); // shown once: not again
}

TEST_F(ShellPanelTest, MsHelpOpensWithoutLookingForItsFile) {
    ExpectedLaunches launches;
    launches.Expect();
    HelpWindow().ShowMsHelp();
    ASSERT_EQ(launches.Launched().size(), 1u);
    EXPECT_EQ(launches.Launched()[0].File, machine / "mshelp.chm");
    EXPECT_EQ(MachineHelpFlag(), "<none>");
}

TEST_F(ShellPanelTest, TheAboutBoxShowsTheIdentity) {
    modLorvane::CompanyName = "Tidewater Software";
    modLorvane::WebsiteHost = "www.tidewater-software.example";
    form->mnuAboutItem_Click();
    const frmAbout& about = AboutWindow();
    EXPECT_TRUE(about.Visible());
    EXPECT_EQ(about.Caption, "About " + kTestProduct);
    EXPECT_EQ(about.Label1.Caption, kTestProduct);
    EXPECT_EQ(about.lblCompany.Caption, "Tidewater Software");
    EXPECT_EQ(about.lblWebsite.Caption, "www.tidewater-software.example");
    // Major and minor only: the revision is left out.
    EXPECT_EQ(about.lblVersion.Caption, ProgramVersion());
    EXPECT_EQ(std::count(about.lblVersion.Caption.begin(), about.lblVersion.Caption.end(), '.'), 1);
    EXPECT_EQ(about.Label2.Caption, "Version:");
    EXPECT_EQ(about.Label3.Caption, "Owned By:");
    EXPECT_EQ(about.Label4.Caption, "Website:");
    EXPECT_FALSE(about.Label5.Caption.empty());
}
