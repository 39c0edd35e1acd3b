// The scan report: written at the end of a scan from the main window's results, compared with
// its golden text line for line; and what the report window makes of it.
#include "MainWindowFixture.h"

#include "AnsiText.h"
#include "DateText.h"
#include "DefinitionFile.h"
#include "Definitions.h"
#include "MScanFolder.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "VersionInfo.h"
#include "modGlobals.h"
#include "modReport.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// The physical lines of a report, each ended by CR LF.
std::string Joined(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

// 14 March 2024, 10:30:15 and 10:42:07 in the morning.
constexpr double kScanStart = 45365 + (10 * 3600 + 30 * 60 + 15) / 86400.0;
constexpr double kScanEnd = 45365 + (10 * 3600 + 42 * 60 + 7) / 86400.0;

// The report up to its first result row, for a scan of these times and counters.
Lines Head(const std::string& processes, const std::string& registry, const std::string& files) {
    return {"",
            "",
            std::string(19, ' ') + kTestProduct + "v" + ProgramVersion() + "   Scan Report",
            "",
            "",
            "",
            "Remember: Not all items found are malicious.  In particular, cookies and recent "
            "document lists are only privacy concerns.  They cannot hurt your computer.  If you "
            "are unsure about an item please send this log to an expert before removing the item "
            "from your computer.",
            "",
            "",
            "",
            "-----------------------",
            "",
            " Scan Started at  : 3/14/2024 10:30:15 AM",
            "",
            " Scan Finished at : 3/14/2024 10:42:07 AM",
            "",
            "-----------------------",
            "",
            "",
            "",
            "",
            "",
            " 1)Total Number of Processes inspected: " + processes,
            "",
            " 2)Total Number of Registry entries inspected: " + registry,
            "",
            " 3)Total Number of Files/Folders inspected: " + files,
            "",
            "",
            "",
            "[Threats Detected]",
            "",
            ""};
}

// One result row's eight lines, each followed by an empty line and the last by two.
Lines Row(const std::string& file, const std::string& name, const std::string& company,
          const std::string& type, const std::string& size, const std::string& detail,
          const std::string& risk) {
    return {"============================================",
            "",
            "File: " + file,
            "",
            "Name: " + name,
            "",
            "Company: " + company,
            "",
            "Type: " + type,
            "",
            "Size: " + size,
            "",
            "Detail: " + detail,
            "",
            "Risk: " + risk,
            "",
            ""};
}

Lines Total(int count) {
    return {"============================================", "", "",
            "Total = " + std::to_string(count), ""};
}

const Lines kEnd = {"", "", "=====================End Of Report."};

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

class ReportTest : public MainWindowFixture {
  protected:
    ReportTest() {
        RecordSteps();
        form->Links.MakeReport = [this] { written = modReport::MakeReport(*form); };
        form->chkMakeLog.SetValue(1);
        form->optScan[0].SetValue(true);
        DateText::SetLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
        DateText::SetClock([this] { return now; });
        // The scan ends when its known items have been looked at.
        form->Steps.ScanDirectoryDefinitions = [this] {
            if (addRows)
                addRows();
            modGlobals::ProcessesInspected = 12;
            modGlobals::RegistryItemsInspected = 3456;
            modGlobals::FilesFoldersInspected = 789;
            now = kScanEnd;
        };
    }
    ~ReportTest() override {
        DateText::SetClock(nullptr);
        DateText::SetLocale(0);
    }

    ui::ListItem& AddRow(const std::string& name, ItemKind icon, const std::string& location,
                         const std::string& risk, const std::string& details) {
        ui::ListItem& row = AddFoundItemRow(name, icon, location, "Adware", location);
        row.SetSubItem(3, risk);
        row.SetSubItem(4, details);
        return row;
    }
    std::string Scan() {
        form->cmdScanNow_Click();
        EXPECT_TRUE(written);
        return FileBytes(modReport::ReportPath());
    }

    double now = kScanStart;
    std::function<void()> addRows;
    bool written = false;
};

TEST_F(ReportTest, AScanThatFoundNothingWritesTheHeadingsAndAZeroTotal) {
    EXPECT_EQ(Scan(), Joined(Head("12", "3456", "789") + Total(0) + kEnd));
}

TEST_F(ReportTest, EveryKindOfRowExclusionsAndTheJournal) {
    const std::string file = machine.WriteFile("evil.exe", "12345");
    const std::string program = machine / "process.exe";
    ASSERT_TRUE(CopyFileW(
        Utf8ToWide(MScanFolder::ParentPath(OwnExecutablePath()) + "microsoft_company.exe").c_str(),
        Utf8ToWide(program).c_str(), FALSE));
    const std::string programSize = std::to_string(FileBytes(program).size()) + " bytes";
    const std::string cookie = machine.WriteFile("user@ads[1].txt", "cookie!");
    const std::string folder = machine.MakeFolder("Bad Folder");
    const std::string gone = machine / "gone.dll";
    data.WriteFile("ENoSignature.dat", "C:\\Keep\\one.exe\r\n\r\n \r\nC:\\Keep\\two.exe\r\n\r\n");
    data.WriteFile("quarantine\\QuarantineLog.txt", "first\r\n\r\nthird");
    addRows = [&] {
        AddRow("Evil", ItemFile, file, "Medium/High", "Shows ads.");
        AddRow("Running Application", ItemFile, program, "High", "Was stopped.");
        AddRow("Toolbar.X", ItemRegistry, "HKEY_CURRENT_USER\\Software\\X\\Bar", "Medium", "Keys.");
        AddRow("Cookie: user@ads[1].txt", ItemCookie, cookie, "Low", "Tracks you.");
        AddRow("Bad Folder", ItemFolder, folder, "Medium/High", "A folder.");
        AddRow("Kept", ItemExcluded, "C:\\Keep\\one.exe", "", "");
        AddRow("Gone", ItemFile, gone, "Low", "Removed since.");
    };
    EXPECT_EQ(
        Scan(),
        Joined(Head("12", "3456", "789") +
               Row(file, "Evil", "", "File", "5 bytes", "Shows ads.", "Medium/High") +
               Row(program, "Running Application", "Microsoft Corporation", "File", programSize,
                   "Was stopped.", "High") +
               Row("HKEY_CURRENT_USER\\Software\\X\\Bar", "Toolbar.X", "N/A", "Registry", "0 bytes",
                   "Keys.", "Medium") +
               Row(cookie, "Cookie: user@ads[1].txt", "N/A", "Cookie", "7 bytes", "Tracks you.",
                   "Low") +
               Row(folder, "Bad Folder", "N/A", "Folder", "0 bytes", "A folder.", "Medium/High") +
               Row("C:\\Keep\\one.exe", "Kept", "N/A", "EXCLUDED", "0 bytes", "", "") +
               // A file gone since the scan has no size to report; the report goes on.
               Row(gone, "Gone", "", "File", "not found", "Removed since.", "Low") + Total(7) +
               Lines{"", "[Files Currently Excluded]", "", "C:\\Keep\\one.exe", "C:\\Keep\\two.exe",
                     "", "", "", "[Current Quarantine Log]", "", "first", "", "", "", "third", "",
                     "", "", ""} +
               kEnd));
}

TEST_F(ReportTest, ItemTypesFollowTheSmallIcon) {
    const std::pair<int, const char*> types[] = {{0, ""},     {1, "Cookie"}, {2, "Registry"},
                                                 {3, "File"}, {4, "Folder"}, {5, "EXCLUDED"},
                                                 {6, ""},     {-1, ""}};
    for (const auto& [icon, type] : types)
        EXPECT_EQ(modReport::ItemTypeText(icon), type) << icon;
}

TEST_F(ReportTest, TheReportIsAnsiTextAndReplacesTheLastOne) {
    data.WriteFile("Scan_Log.txt", std::string(100000, '~'));
    addRows = [&] {
        AddRow("Caf\xC3\xA9", ItemRegistry, "HKEY_CURRENT_USER\\Caf\xC3\xA9", "", "");
    };
    const std::string report = Scan();
    EXPECT_NE(report.find("Name: Caf\xE9\r\n"), std::string::npos);
    EXPECT_EQ(report.find('~'), std::string::npos);
    const std::string end = "\r\n=====================End Of Report.\r\n";
    EXPECT_EQ(report.substr(report.size() - end.size()), end);
}

TEST_F(ReportTest, AnUnwritableReportLeavesTheOldOneAndTheScanGoesOn) {
    data.WriteFile("Scan_Log.txt", "old report");
    modGlobals::DataFolder = data / "no such folder";
    form->cmdScanNow_Click();
    EXPECT_FALSE(written);
    EXPECT_EQ(form->display.lblStatus.Caption, "MSG_SCAN_COMPLETED");
    modGlobals::DataFolder = data.Path();
    EXPECT_EQ(FileBytes(modReport::ReportPath()), "old report");
}

// The window shows each text line once, a run of empty lines as as many breaks, and the
// exclusion entries, written without empty lines between them, run together.
TEST_F(ReportTest, TheWindowsReaderJoinsTextLinesAndKeepsTheBreaks) {
    const struct {
        const char* name;
        std::string file;
        std::string shown;
    } rows[] = {
        {"text and empty lines", "a\r\n\r\nb\r\n\r\n\r\n", "a\r\nb\r\n\r\n"},
        {"blank lines count as empty", "a\r\n   \r\nb", "a\r\nb"},
        {"a lone CR ends a line", "a\rb\r\n\r\n", "ab\r\n"},
        {"exclusions run together", "one\r\ntwo\r\n\r\n\r\n", "onetwo\r\n\r\n"},
        {"ANSI text", "Caf\xE9\r\n\r\n", "Caf\xC3\xA9\r\n"},
        {"empty file", "", ""},
    };
    for (const auto& row : rows) {
        const std::string path = data.WriteFile("shown.txt", row.file);
        EXPECT_EQ(modReport::ReportDisplayText(path), row.shown) << row.name;
    }
    EXPECT_EQ(modReport::ReportDisplayText(data / "missing.txt"), "");
}

// A real Smart Scan in the sandbox over a planted file, folder and registry value: its report
// is the golden report of those three rows.
class RealScanReport : public MainWindowFixture {
  protected:
    RealScanReport() : tag_("rp" + std::to_string(GetCurrentProcessId())) {
        form->Links.MakeReport = [this] { modReport::MakeReport(*form); };
        form->chkMakeLog.SetValue(1);
        form->optScan[0].SetValue(true);
        DateText::SetLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
        DateText::SetClock([] { return kScanStart; });
        file_ = machine.WriteFile("Evil" + tag_ + ".exe", "evil");
        folder_ = machine.MakeFolder("Bad" + tag_);
        registryKey_ = "Software\\ReportScan-" + tag_;
        HKEY key;
        RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(registryKey_).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr);
        RegSetValueExW(key, L"Bar", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
        RegCloseKey(key);
        WriteDefinitionFile(kFileDefinitionFile,
                            {"Evil" + tag_ + ".exe=Evil Threat|" + machine.Path() + "|Adware"});
        WriteDefinitionFile(kDirectoryDefinitionFile,
                            {"Bad" + tag_ + "=Bad Folder|" + folder_ + "|Spyware"});
        WriteDefinitionFile(kRegistryDefinitionFile,
                            {"1^" + registryKey_ + "\\^Bar^=Toolbar.X|Adware"});
        WriteDefinitionFile(kExeDefinitionFile, {"NoSuchProgram" + tag_ + ".exe=None|C:\\"});
        WriteDefinitionFile(kBlockedCookiesFile, {"*" + tag_ + "-nowhere.biz"});
        modGlobals::DefinitionCount = modGlobals::CountDefinitions();
    }
    ~RealScanReport() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(registryKey_).c_str());
        DateText::SetClock(nullptr);
        DateText::SetLocale(0);
    }

    std::string tag_, file_, folder_, registryKey_;
};

TEST_F(RealScanReport, MatchesItsGoldenForm) {
    form->cmdScanNow_Click();
    ASSERT_EQ(form->display.lblStatus.Caption, "MSG_SCAN_COMPLETED");
    Lines head = Head(std::to_string(modGlobals::ProcessesInspected),
                      std::to_string(modGlobals::RegistryItemsInspected),
                      std::to_string(modGlobals::FilesFoldersInspected));
    head[14] = " Scan Finished at : 3/14/2024 10:30:15 AM";
    const std::string adware =
        "Adware displays ads on your computer and can compromise your security.";
    EXPECT_EQ(FileBytes(modReport::ReportPath()),
              Joined(head +
                     Row("HKEY_CURRENT_USER\\" + registryKey_ + "\\Bar", "Toolbar.X", "N/A",
                         "Registry", "0 bytes", adware, "Medium/High") +
                     Row(file_, "Evil Threat", "", "File", "4 bytes", adware, "Medium/High") +
                     Row(folder_, "Bad Folder", "N/A", "Folder", "0 bytes",
                         "Spys on your computer activity", "Medium/High") +
                     Total(3) + kEnd));
}
