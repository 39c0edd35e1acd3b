#include "AnsiText.h"
#include "DefinitionFile.h"
#include "Definitions.h"
#include "Exclusions.h"
#include "MScanFolder.h"
#include "SafetyList.h"
#include "ScanFixture.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "modGenDec.h"
#include "modGlobals.h"

#include <windows.h>

using namespace MScanFolder;

namespace {

class KnownLocations : public ScanFixture {
  protected:
    // The machine folder written with "[drive]" for the system drive.
    std::string WithDriveToken() const {
        return "[drive]" + machine.Path().substr(modGenDec::GetSystemDriveRoot().size());
    }
    const ui::ListView& Found() const {
        return ScanLists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    }
};

TEST_F(KnownLocations, ReportsTheFilesThatExist) {
    const std::string evil = machine.WriteFile("Evil.exe", "x");
    machine.WriteFile("sub\\other.dll", "x");
    WriteDefinitionFile(kFileDefinitionFile,
                        {"Evil.exe=Evil Threat|" + machine.Path() + "|Adware",
                         "absent.exe=Absent|" + machine.Path(),
                         "other.dll=Other|" + WithDriveToken() + "\\\\sub\\\\"});
    ScanFileDefinitions();
    ASSERT_EQ(Found().Count(), 2u);
    EXPECT_EQ(Found().Item(0).Text, "Evil Threat");
    EXPECT_EQ(Found().Item(0).SubItem(1), evil);
    EXPECT_EQ(Found().Item(0).SubItem(2), "Adware");
    EXPECT_EQ(Found().Item(0).SmallIcon, ItemFile);
    EXPECT_EQ(Found().Item(1).Text, "Other");
    EXPECT_EQ(Found().Item(1).SubItem(1), machine / "sub\\other.dll");
    // The type carries over from the line before.
    EXPECT_EQ(Found().Item(1).SubItem(2), "Adware");
    EXPECT_EQ(ScanLists().lvwFilesToBeDeleted.Item(0).SubItem(1), "Evil Threat");
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 3);
    EXPECT_EQ(modGlobals::ItemsFound, 2);
    EXPECT_EQ(ScanDisplay().lbltracesFound.Caption, "2");
}

TEST_F(KnownLocations, ALineWithoutALocationLooksNowhere) {
    machine.WriteFile("bare.exe", "x");
    SetCurrentDirectoryW(Utf8ToWide(machine.Path()).c_str());
    WriteDefinitionFile(kFileDefinitionFile, {"bare.exe=Bare"});
    ScanFileDefinitions();
    SetCurrentDirectoryW(L"C:\\");
    EXPECT_EQ(Found().Count(), 0u);
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 1);
}

TEST_F(KnownLocations, LocationsWithoutADriveLetterOrInTheQuarantineAreNotLookedAt) {
    machine.WriteFile("evil.exe", "x");
    machine.MakeFolder("Bad");
    const std::string quarantine = data.MakeFolder("quarantine");
    data.WriteFile("quarantine\\evil.exe", "x");
    data.MakeFolder("quarantine\\Bad");
    // Both steps would find each of these: relative to the current folder, rooted on the
    // current drive, or copies of removed items in the quarantine.
    const std::string rooted = machine.Path().substr(2);
    SetCurrentDirectoryW(Utf8ToWide(machine.Path()).c_str());
    const std::vector<std::string> files = {"evil.exe=Relative|.", "evil.exe=Rooted|" + rooted,
                                            "evil.exe=Quarantined|" + quarantine,
                                            "evil.exe=Above|" + quarantine + "\\Bad\\.."};
    const std::vector<std::string> folders = {"Bad=Relative|Bad", "Bad=Rooted|" + rooted + "\\Bad",
                                              "Bad=Quarantined|" + quarantine + "\\Bad",
                                              "quarantine=Whole|" + TextRules::ToUpper(quarantine)};
    WriteDefinitionFile(kFileDefinitionFile, files);
    WriteDefinitionFile(kDirectoryDefinitionFile, folders);
    ScanFileDefinitions();
    ScanDirectoryDefinitions();
    SetCurrentDirectoryW(L"C:\\");
    EXPECT_EQ(ScanLists().lvwSpywareFound.Count(), 0u);
    EXPECT_EQ(Found().Count(), 0u);
    // Every line still counts as looked at.
    EXPECT_EQ(modGlobals::FilesFoldersInspected,
              static_cast<int32_t>(files.size() + folders.size()));
}

TEST_F(KnownLocations, SafeExcludedAndStoppedLines) {
    const std::string safe = machine.WriteFile("safe.exe", "x");
    const std::string kept = machine.WriteFile("kept.exe", "x");
    WriteDefinitionFile(kSafetyFile, {"SFILE|safe.exe=x|" + safe});
    modGlobals::LoadSafetyList();
    modGlobals::AddExclusion(kept);
    WriteDefinitionFile(kFileDefinitionFile,
                        {"safe.exe=S|" + machine.Path(), "kept.exe=K|" + machine.Path()});
    ScanFileDefinitions();
    EXPECT_EQ(Found().Count(), 0u);
    ASSERT_EQ(ScanLists().lvwSpywareFound.Count(), 1u);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).Text, "EXCLUDED");
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).SubItem(1), kept);

    ResetScanState();
    modGlobals::StopScanRequested = true;
    ScanFileDefinitions();
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 0);
}

TEST_F(KnownLocations, ProgressFollowsTheDefinitionCounts) {
    std::vector<std::string> lines;
    for (int i = 0; i < 50; ++i)
        lines.push_back("f" + std::to_string(i) + ".exe=T|" + machine.Path());
    WriteDefinitionFile(kFileDefinitionFile, lines);
    WriteDefinitionFile(kRegistryDefinitionFile, std::vector<std::string>(50, "x"));
    modGlobals::DefinitionCount = modGlobals::CountDefinitions();
    modGlobals::ScanPhasePrefix = "Known files: ";
    ScanFileDefinitions();
    EXPECT_EQ(ScanDisplay().pb1.Value(), 100);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 100);
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "Known files: \r\nf49.exe");

    // More lines than counted (the file changed since) stop at 100; no counts at all give 0
    // instead of a division by zero.
    ResetScanState();
    modGlobals::FileDefinitionCount = 10;
    modGlobals::DefinitionCount = 0;
    ScanDisplay().pb2.SetValue(50);
    ScanFileDefinitions();
    EXPECT_EQ(ScanDisplay().pb1.Value(), 100);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 0);
}

TEST_F(KnownLocations, FoldersThatExist) {
    const std::string bad = machine.MakeFolder("Bad Folder");
    machine.MakeFolder("kept\\inner");
    WriteDefinitionFile(kDirectoryDefinitionFile,
                        {"Bad Folder=Bad\tFolder|" + bad + "|Adware", "nopath=No Path",
                         "inner=Inner|" + machine.Path() + "\\kept\\inner",
                         "gone=Gone|" + machine.Path() + "\\gone"});
    modGlobals::AddExclusion(machine.Path() + "\\kept");
    ScanDirectoryDefinitions();
    ASSERT_EQ(Found().Count(), 1u);
    EXPECT_EQ(Found().Item(0).Text, "BadFolder");
    EXPECT_EQ(Found().Item(0).SmallIcon, ItemFolder);
    EXPECT_EQ(Found().Item(0).SubItem(1), bad);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).SmallIcon, ItemFolder);
    EXPECT_EQ(ScanLists().lvwFilesToBeDeleted.Item(0).Text, bad);
    // A folder below an excluded one counts as excluded.
    ASSERT_EQ(ScanLists().lvwSpywareFound.Count(), 2u);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(1).Text, "EXCLUDED");
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 4);
}

TEST_F(KnownLocations, MissingDefinitionFilesScanNothing) {
    ScanFileDefinitions();
    ScanDirectoryDefinitions();
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 0);
    EXPECT_EQ(Found().Count(), 0u);
}

} // namespace
