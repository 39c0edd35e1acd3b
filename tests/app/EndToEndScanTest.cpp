// Whole scans through the main window's Start, with the real scanners, over threats the test
// planted in the sandbox: files, a folder, a registry key, a running program and a cookie.
#include "MainWindowFixture.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "Definitions.h"
#include "MCookies.h"
#include "MScanFolder.h"
#include "PlantedCookie.h"
#include "PlantedProcess.h"
#include "TextRules.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <windows.h>

#include <algorithm>

#include <gtest/gtest.h>

class EndToEndScan : public MainWindowFixture {
  protected:
    EndToEndScan()
        : tag_("tw" + std::to_string(GetCurrentProcessId())),
          registryKey_("Software\\EndToEndScan-" + tag_),
          threat_(UniqueProcessName("E2EThreat.exe")) {
        form->chkMakeLog.SetValue(0);
        machine.WriteFile("Evil" + tag_ + ".exe", "x");
        machine.MakeFolder("Bad" + tag_);
        machine.WriteFile("Bad" + tag_ + "\\inside.txt", "x");
        HKEY key;
        RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(registryKey_ + "\\Foo").c_str(), 0, nullptr,
                        0, KEY_SET_VALUE, nullptr, &key, nullptr);
        const std::wstring data = L"planted";
        RegSetValueExW(key, L"Bar", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);

        WriteDefinitionFile(kFileDefinitionFile,
                            {"Evil" + tag_ + ".exe=Evil Threat|" + machine.Path() + "|Adware"});
        WriteDefinitionFile(
            kDirectoryDefinitionFile,
            {"Bad" + tag_ + "=Bad Folder|" + machine.Path() + "\\Bad" + tag_ + "|Spyware"});
        WriteDefinitionFile(kRegistryDefinitionFile,
                            {"1^" + registryKey_ + "\\Foo\\^Bar^=Toolbar.X|Adware"});
        WriteDefinitionFile(kExeDefinitionFile, {xfileExists::FileNamePart(threat_.Path()) +
                                                 "=Test.Threat|" + threat_.Folder()});
        WriteDefinitionFile(kBlockedCookiesFile, {"*" + cookie_.Site() + ".biz"});
        modGlobals::DefinitionCount = modGlobals::CountDefinitions();
    }
    ~EndToEndScan() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(registryKey_).c_str());
    }

    // Each combined row as "name | location | type | risk", in list order.
    std::vector<std::string> CombinedRows() const {
        std::vector<std::string> rows;
        for (const ui::ListItem& row :
             form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items())
            rows.push_back(row.Text + " | " + row.SubItem(1) + " | " + row.SubItem(2) + " | " +
                           row.SubItem(3));
        return rows;
    }
    bool RunningRow(const std::string& text, const std::string& details) const {
        for (const ui::ListItem& row : form->lists.lvwSpywareFound.Items())
            if (row.Text == text && row.SubItem(1) == details)
                return true;
        return false;
    }

    std::string tag_;
    std::string registryKey_;
    PlantedProcess threat_;
    const PlantedCookie cookie_;
};

TEST_F(EndToEndScan, SmartScanFindsEveryPlantedThreatAndStopsTheProgram) {
    ASSERT_TRUE(cookie_.Written());
    form->optScan[0].SetValue(true);
    form->cmdScanNow_Click();

    EXPECT_TRUE(threat_.Ended());
    EXPECT_TRUE(
        RunningRow("Running Application",
                   TextRules::ToUpper(xfileExists::FileNamePart(threat_.Path())) + " was stopped"));
    // Cookies first, then the registry, then the known files and folders.
    EXPECT_EQ(
        CombinedRows(),
        (std::vector<std::string>{
            "Cookie: " + cookie_.FileName() + " | " + cookie_.Path() + " | Tracking Cookie | Low",
            "Toolbar.X | HKEY_CURRENT_USER\\" + registryKey_ + "\\Foo\\Bar | Adware | Medium/High",
            "Evil Threat | " + machine.Path() + "\\Evil" + tag_ + ".exe | Adware | Medium/High",
            "Bad Folder | " + machine.Path() + "\\Bad" + tag_ + " | Spyware | Medium/High"}));
    EXPECT_EQ(form->display.lblStatus.Caption, "MSG_SCAN_COMPLETED");
    EXPECT_GE(modGlobals::ItemsFound, 3);
    EXPECT_EQ(form->display.lblSoftwareFound.Caption, std::to_string(modGlobals::ItemsFound));
    EXPECT_GT(modGlobals::RegistryItemsInspected, 0);
    EXPECT_GT(form->CookieFileCount, 0);
}

TEST_F(EndToEndScan, FullSystemScanWalksTheDrivesThenProcessesAndRegistry) {
    ASSERT_TRUE(cookie_.Written());
    MScanFolder::ListDrives();
    ASSERT_GT(form->lists.lvwHardDrives.Count(), 0u);
    form->optScan[1].SetValue(true);
    form->cmdScanNow_Click();

    EXPECT_TRUE(threat_.Ended());
    // The walk finds the file and the folder where they lie, in the order the folder lists
    // them, and shows the paths in lower case; a full scan looks at no cookies.
    const std::string folder = TextRules::ToLower(machine.Path());
    std::vector<std::string> rows = CombinedRows();
    ASSERT_EQ(rows.size(), 3u);
    std::sort(rows.begin(), rows.begin() + 2);
    EXPECT_EQ(rows,
              (std::vector<std::string>{
                  "Bad Folder Directory | " + folder + "\\bad" + tag_ + " | Spyware | Medium/High",
                  "Evil Threat | " + folder + "\\evil" + tag_ + ".exe | Adware | Medium/High",
                  "Toolbar.X | HKEY_CURRENT_USER\\" + registryKey_ +
                      "\\Foo\\Bar | Adware | Medium/High"}));
    EXPECT_EQ(form->display.lblStatus.Caption, "MSG_SCAN_COMPLETED");
    EXPECT_GT(modGlobals::FilesFoldersInspected, 100);
}
