#include "AnsiText.h"
#include "Definitions.h"
#include "DoEvents.h"
#include "MScanFolder.h"
#include "ScanFixture.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "StopScanAt.h"
#include "TextRules.h"
#include "modGlobals.h"

#include <windows.h>

#include <set>
#include <vector>

using namespace MScanFolder;

namespace {

class FolderWalk : public ScanFixture {
  protected:
    // Definitions for files and folders in the test's machine folder, wherever it lies.
    void SetUp() override {
        root = TextRules::ToLower(machine.Path()) + "\\";
        modGlobals::FileDefinitionTable = {
            {"evil.exe", root + "bin\\deep\\", "Spyware", "Evil"},
            {"hidden.exe", root + "bin\\deep\\", "Spyware", "Hidden"},
        };
        modGlobals::FolderDefinitionTable = {{"", root + "bin\\deep\\bad", "Adware", "BadDir"}};
        ++modGlobals::DefinitionTablesGeneration;
    }
    std::set<std::string> FoundThreats() const {
        std::set<std::string> threats;
        for (const ui::ListItem& row : ScanLists().lvwSpywareFound.Items())
            threats.insert(row.Text);
        return threats;
    }
    std::string root;
};

TEST_F(FolderWalk, FindsFilesAndFoldersAtAnyDepth) {
    machine.WriteFile("bin\\deep\\evil.exe", "x");
    machine.WriteFile("bin\\deep\\harmless.txt", "x");
    machine.MakeFolder("bin\\deep\\bad\\sub");
    machine.WriteFile("bin\\deep\\bad\\sub\\evil.exe", "x"); // wrong folder for its definition
    ScanFolder(machine.Path() + "\\");
    EXPECT_EQ(FoundThreats(), (std::set<std::string>{"Evil", "BadDir"}));
    // bin, deep, evil.exe, harmless.txt, bad, sub, evil.exe
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 7);
    EXPECT_EQ(modGlobals::ItemsFound, 2);
}

TEST_F(FolderWalk, HiddenAndSystemEntriesAreLeftOut) {
    machine.WriteFile("bin\\deep\\hidden.exe", "x", FILE_ATTRIBUTE_HIDDEN);
    machine.WriteFile("bin\\deep\\evil.exe", "x", FILE_ATTRIBUTE_SYSTEM);
    ScanFolder(machine.Path() + "\\");
    EXPECT_TRUE(FoundThreats().empty());
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 2); // bin, deep
}

TEST_F(FolderWalk, AReadOnlyFolderIsCheckedAsAFileAndNotEntered) {
    // Made by the test run's fixture step (Wine cannot mark a folder read-only from inside).
    const std::string fixtures = "C:\\fixtures\\";
    const DWORD attributes = GetFileAttributesW(L"C:\\fixtures\\tree\\readonly");
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "no folder " << fixtures << "tree\\readonly";
    ASSERT_TRUE(attributes & FILE_ATTRIBUTE_READONLY) << fixtures << "tree\\readonly";
    modGlobals::FileDefinitionTable = {
        {"readonly", "c:\\fixtures\\tree\\", "Spyware", "Folder Taken For A File"},
        {"evil.exe", "c:\\fixtures\\tree\\readonly\\inside\\", "Spyware", "Inside"}};
    ++modGlobals::DefinitionTablesGeneration;
    ScanFolder(fixtures);
    EXPECT_EQ(FoundThreats(), (std::set<std::string>{"Folder Taken For A File"}));
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 2); // tree, readonly
    EXPECT_EQ(ScanLists().lvwFilesToBeDeleted.Item(0).Text, "c:\\fixtures\\tree\\readonly");
}

TEST(FolderWalkEntries, OnlyPlainFoldersAreEntered) {
    EXPECT_TRUE(IsWalkedFolder(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(IsWalkedFolder(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    EXPECT_FALSE(IsWalkedFolder(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(IsWalkedFolder(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_FALSE(IsWalkedFolder(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_FALSE(IsWalkedFolder(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_FALSE(IsWalkedFolder(FILE_ATTRIBUTE_NORMAL));
}

TEST_F(FolderWalk, StopEndsTheWalkBeforeTheNextEntry) {
    machine.WriteFile("a.txt", "x");
    machine.WriteFile("b.txt", "x");
    machine.WriteFile("bin\\deep\\evil.exe", "x");
    modGlobals::StopScanRequested = true;
    ScanFolder(machine.Path() + "\\");
    // The listing starts with ".", which is passed over; the stop test follows it.
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 0);
    EXPECT_TRUE(FoundThreats().empty());
}

TEST_F(FolderWalk, StopDeepInTheTreeUnwindsEveryLevel) {
    // Seven levels of folders "a" (walked first) and "b"; the deepest "a" holds many files that
    // each match a definition, which takes the walk long enough there to be stopped in it.
    std::string level = "top";
    for (int depth = 0; depth < 7; ++depth) {
        machine.MakeFolder(level + "\\b");
        level += "\\a";
    }
    modGlobals::FileDefinitionTable.clear();
    for (int i = 0; i < 1000; ++i) {
        const std::string name = "deep-file-number-" + std::to_string(i) + ".exe";
        machine.WriteFile(level + "\\" + name, "x");
        modGlobals::FileDefinitionTable.push_back({name, "c:\\elsewhere\\", "Spyware", "Deep"});
    }
    ++modGlobals::DefinitionTablesGeneration;
    // Stopped once the walk has reached the deepest folder (15 entries above it).
    StopScanAt stop(modGlobals::FilesFoldersInspected, 15);
    ASSERT_TRUE(stop.Armed());
    ScanFolder(machine.Path() + "\\");
    const int32_t inspectedAtStop = stop.StoppedAt();
    ASSERT_GE(inspectedAtStop, 15) << "the walk ended before the stop came";
    // Nothing more was looked at after the stop: not the rest of the deepest folder, and not
    // the "b" folders waiting on every level above it.
    EXPECT_EQ(modGlobals::FilesFoldersInspected, inspectedAtStop);
    EXPECT_LT(modGlobals::FilesFoldersInspected, 15 + 1000);
    EXPECT_EQ(static_cast<int32_t>(ScanLists().lvwSpywareFound.Count()), inspectedAtStop - 15);
}

TEST_F(FolderWalk, MissingFoldersAreSkipped) {
    ScanFolder(machine.Path() + "\\no such folder\\");
    ScanFolderFiles(machine.Path() + "\\no such folder\\");
    EXPECT_EQ(modGlobals::ItemsFound, 0);
    EXPECT_EQ(ScanDisplay().pbgMain.Value(), ScanDisplay().pbgMain.Max());
}

TEST_F(FolderWalk, FolderScanChecksTheChosenFolderToo) {
    machine.WriteFile("bin\\deep\\bad\\evil.exe", "x");
    ScanFolderFiles(machine.Path() + "\\bin\\deep\\bad\\");
    EXPECT_EQ(FoundThreats(), (std::set<std::string>{"BadDir"}));
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 2);
    EXPECT_EQ(ScanDisplay().pbgMain.Max(), 100);
    EXPECT_EQ(ScanDisplay().pbgMain.Value(), 100);
}

TEST_F(FolderWalk, FileScanChecksOneFileAndShowsIt) {
    const std::string file = machine.WriteFile("bin\\deep\\evil.exe", "x");
    ScanFolderExecutables(file);
    EXPECT_EQ(FoundThreats(), (std::set<std::string>{"Evil"}));
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 1);
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "Scanning: " + file);
    EXPECT_EQ(ScanDisplay().pbgMain.Value(), 1);
}

TEST_F(FolderWalk, FullDriveWalkReachesTheTestsFiles) {
    machine.WriteFile("bin\\deep\\evil.exe", "x");
    ScanDrive("C:\\");
    EXPECT_EQ(FoundThreats(), (std::set<std::string>{"Evil"}));
    EXPECT_GT(modGlobals::FilesFoldersInspected, 100);
    EXPECT_GT(ScanDisplay().pbgMain.Max(), 0);
    EXPECT_EQ(ScanDisplay().pbgMain.Value(), ScanDisplay().pbgMain.Max());

    ResetScanState();
    ScanDrive("Q:\\");
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 0);
}

// One step of a scan given one path, and whether it finds the planted threat.
struct StepCase {
    const char* step;
    void (*run)(const std::string&);
    std::string path;
    bool finds;
};

TEST_F(FolderWalk, NothingIsEnteredThroughAPathWithoutADriveLetter) {
    const std::string evil = machine.WriteFile("bin\\deep\\evil.exe", "x");
    machine.MakeFolder("bin\\deep\\bad");
    // Paths that Windows resolves without a drive letter of their own: against the current
    // folder, the current drive, or the device namespace.
    const std::string rooted = machine.Path().substr(2);
    const std::string device = "\\\\.\\" + machine.Path();
    ASSERT_TRUE(SetCurrentDirectoryW(Utf8ToWide(machine.Path()).c_str()));
    const std::vector<StepCase> cases = {
        {"ScanFolder", ScanFolder, "bin\\", false},
        {"ScanFolder", ScanFolder, rooted + "\\", false},
        {"ScanFolder", ScanFolder, device + "\\", false},
        {"ScanFolder", ScanFolder, "\\\\?\\" + machine.Path() + "\\", true},
        {"ScanFolderFiles", ScanFolderFiles, "bin\\", false},
        {"ScanFolderFiles", ScanFolderFiles, device + "\\", false},
        {"ScanFolderFiles", ScanFolderFiles, "\\\\?\\" + machine.Path() + "\\", true},
        {"ScanDrive", ScanDrive, "\\", false},
        {"ScanDrive", ScanDrive, "\\\\.\\C:\\", false},
        {"ScanFolderExecutables", ScanFolderExecutables, "bin\\deep\\evil.exe", false},
        {"ScanFolderExecutables", ScanFolderExecutables, rooted + "\\bin\\deep\\evil.exe", false},
        {"ScanFolderExecutables", ScanFolderExecutables, "\\\\?\\" + evil, true},
        {"CheckFileDefinitions", CheckFileDefinitions, device + "\\bin\\deep\\evil.exe", false},
        {"CheckFileDefinitions", CheckFileDefinitions, " " + evil, false},
        {"CheckFileDefinitions", CheckFileDefinitions, evil, true},
        {"CheckFolderDefinitions", CheckFolderDefinitions, rooted + "\\bin\\deep\\bad\\", false},
        {"CheckFolderDefinitions", CheckFolderDefinitions, machine / "bin\\deep\\bad\\", true},
    };
    for (const StepCase& c : cases) {
        ResetScanState();
        modGlobals::FileDefinitionTable = {{"evil.exe", root + "bin\\deep\\", "Spyware", "Evil"}};
        // "[drive]" is the item's drive, which a rooted path lacks: this definition names it.
        modGlobals::FolderDefinitionTable = {
            {"", "[drive]" + rooted + "\\bin\\deep\\bad", "Adware", "BadDir"}};
        ++modGlobals::DefinitionTablesGeneration;
        ScanDisplay().pbgMain.SetMax(7);
        ScanDisplay().pbgMain.SetValue(3);
        c.run(c.path);
        EXPECT_EQ(ScanLists().lvwSpywareFound.Count() > 0, c.finds) << c.step << " " << c.path;
        if (!c.finds) {
            EXPECT_EQ(modGlobals::FilesFoldersInspected, 0) << c.step << " " << c.path;
            EXPECT_EQ(ScanDisplay().lblStatus.Caption, "") << c.step << " " << c.path;
            EXPECT_EQ(ScanDisplay().pbgMain.Max(), 7) << c.step << " " << c.path;
            EXPECT_EQ(ScanDisplay().pbgMain.Value(), 3) << c.step << " " << c.path;
        }
    }
    SetCurrentDirectoryW(L"C:\\");
}

TEST_F(FolderWalk, TheQuarantineIsNeitherWalkedNorReported) {
    // Copies of removed items in the quarantine, and the same names beside it. A name longer
    // than 16 characters ending in ".exe" matches its definition wherever it lies.
    const std::string quarantine = data.MakeFolder("quarantine");
    const std::string copy = data.WriteFile("quarantine\\removed-earlier.exe", "x");
    data.MakeFolder("quarantine\\Bad");
    data.WriteFile("removed-earlier.exe", "x");
    data.WriteFile("quarantine-old\\removed-earlier.exe", "x");
    const std::string lowerData = TextRules::ToLower(data.Path());
    auto setTables = [&lowerData] {
        modGlobals::FileDefinitionTable = {{"removed-earlier.exe", "c:\\x\\", "Spyware", "Copy"}};
        modGlobals::FolderDefinitionTable = {
            {"", lowerData + "\\quarantine", "Adware", "Whole"},
            {"", lowerData + "\\quarantine\\bad", "Adware", "Bad"}};
        ++modGlobals::DefinitionTablesGeneration;
    };
    const std::vector<StepCase> cases = {
        {"ScanFolder", ScanFolder, quarantine + "\\", false},
        {"ScanFolderFiles", ScanFolderFiles, TextRules::ToUpper(quarantine) + "\\", false},
        {"ScanFolderExecutables", ScanFolderExecutables, "\\\\?\\" + copy, false},
        {"CheckFileDefinitions", CheckFileDefinitions,
         data / "Bad\\..\\quarantine\\removed-earlier.exe", false},
        {"CheckFolderDefinitions", CheckFolderDefinitions, quarantine + "\\", false},
        {"CheckFolderDefinitions", CheckFolderDefinitions, quarantine + "\\Bad\\", false},
        {"CheckFileDefinitions", CheckFileDefinitions, data / "removed-earlier.exe", true},
    };
    for (const StepCase& c : cases) {
        ResetScanState();
        setTables();
        c.run(c.path);
        EXPECT_EQ(ScanLists().lvwSpywareFound.Count() > 0, c.finds) << c.step << " " << c.path;
    }

    // A walk of the data folder looks at the quarantine folder but never goes in.
    ResetScanState();
    setTables();
    ScanFolder(data.Path() + "\\");
    ASSERT_EQ(ScanLists().lvwFilesToBeDeleted.Count(), 2u);
    EXPECT_EQ(ScanLists().lvwFilesToBeDeleted.Item(0).Text, lowerData + "\\removed-earlier.exe");
    EXPECT_EQ(ScanLists().lvwFilesToBeDeleted.Item(1).Text,
              lowerData + "\\quarantine-old\\removed-earlier.exe");
    // quarantine, quarantine-old, removed-earlier.exe, and the copy in quarantine-old
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 4);
}

TEST_F(FolderWalk, QuarantinePaths) {
    const std::string q = data / "quarantine";
    const std::vector<std::pair<std::string, bool>> cases = {
        {q, true},
        {q + "\\", true},
        {TextRules::ToUpper(q) + "\\x.exe", true},
        {"\\\\?\\" + q + "\\x.exe", true},
        {data / "other\\..\\quarantine\\sub\\x.exe", true},
        {q + "-old\\x.exe", false},
        {q + "\\..\\x.exe", false},
        {data.Path(), false},
        {machine / "quarantine", false},
    };
    for (const auto& [path, inside] : cases)
        EXPECT_EQ(IsInQuarantine(path), inside) << path;
    modGlobals::DataFolder.clear();
    EXPECT_FALSE(IsInQuarantine(q));
    EXPECT_FALSE(IsInQuarantine("\\quarantine\\x.exe"));
}

TEST_F(FolderWalk, TheSandboxListsOnlyDriveC) {
    ListDrives();
    ASSERT_EQ(ScanLists().lvwHardDrives.Count(), 1u);
    EXPECT_EQ(ScanLists().lvwHardDrives.Item(0).Text, "C");
}

} // namespace
