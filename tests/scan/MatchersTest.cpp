#include "Definitions.h"
#include "Exclusions.h"
#include "MScanFolder.h"
#include "ModMemoryItemsInspected.h"
#include "SafetyList.h"
#include "ScanFixture.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "VersionInfo.h"
#include "modGenDec.h"
#include "modGlobals.h"

#include <windows.h>

using namespace MScanFolder;

namespace {

class Matchers : public ScanFixture {
  protected:
    void File(const std::string& name, const std::string& path, const std::string& threat = "T",
              const std::string& type = "Spyware") {
        modGlobals::FileDefinitionTable.push_back({name, path, type, threat});
        ++modGlobals::DefinitionTablesGeneration;
    }
    void Folder(const std::string& path, const std::string& threat = "T",
                const std::string& type = "Adware") {
        modGlobals::FolderDefinitionTable.push_back({"", path, type, threat});
        ++modGlobals::DefinitionTablesGeneration;
    }
    size_t Found() const {
        return ScanLists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count();
    }
    bool FileMatches(const std::string& item) {
        const size_t before = Found();
        CheckFileDefinitions(item);
        return Found() > before;
    }
};

TEST(PathHelpers, PiecesOfAPath) {
    EXPECT_EQ(PathDepth("c:\\a\\b\\"), 3);
    EXPECT_EQ(PathDepth("c:\\"), 1);
    EXPECT_EQ(LastPathPart("c:\\a\\b.exe"), "b.exe");
    EXPECT_EQ(LastPathPart("c:\\a\\"), "");
    EXPECT_EQ(ParentPath("c:\\a\\b.exe"), "c:\\a\\");
    EXPECT_EQ(ParentPath("c:\\a\\"), "c:\\a\\");
    EXPECT_EQ(FirstPathPart("c:\\a\\b"), "c:");
    // Pieces are compared from the end, drives ignored, gaps do not stop the count.
    EXPECT_EQ(PathMatchCount("c:\\a\\b\\", "e:\\a\\b\\"), 2);
    EXPECT_EQ(PathMatchCount("c:\\x\\a\\b\\", "d:\\y\\a\\b\\"), 2);
    EXPECT_EQ(PathMatchCount("c:\\a\\x\\c\\", "d:\\a\\y\\c\\"), 2);
    EXPECT_EQ(PathMatchCount("c:\\a\\b\\", "c:\\b\\a\\"), 0);
    EXPECT_EQ(PathMatchCount("", "c:\\a\\"), 0);
}

TEST_F(Matchers, LongExecutableNamesMatchAnywhere) {
    File("abcdefghijklm.exe", "c:\\somewhere\\else\\");
    File("abcdefghijkl.exe", "c:\\somewhere\\else\\");
    EXPECT_TRUE(FileMatches("c:\\x\\y\\z\\abcdefghijklm.exe"));
    EXPECT_FALSE(FileMatches("c:\\x\\y\\z\\abcdefghijkl.exe"));
}

TEST_F(Matchers, FilesAtADriveRootNeedARootDefinition) {
    File("evil.exe", "c:\\apps\\");
    EXPECT_FALSE(FileMatches("c:\\evil.exe"));
    File("evil.exe", "d:\\");
    EXPECT_TRUE(FileMatches("c:\\evil.exe"));
}

TEST_F(Matchers, TrailingFolderNamesMustAgree) {
    File("evil.exe", "e:\\apps\\evil\\");
    EXPECT_TRUE(FileMatches("c:\\Apps\\Evil\\EVIL.EXE"));
    EXPECT_FALSE(FileMatches("c:\\other\\evil\\evil.exe"));
    // One folder below the root never shares two pieces.
    EXPECT_FALSE(FileMatches("c:\\evil\\evil.exe"));
    // Deep paths: the last two folder names decide, whatever comes before.
    EXPECT_TRUE(FileMatches("c:\\1\\2\\3\\apps\\evil\\evil.exe"));
    EXPECT_FALSE(FileMatches("c:\\1\\2\\3\\apps\\good\\evil.exe"));
}

TEST_F(Matchers, SystemAndWindowsFoldersOnlyByDefinitionsNamingThem) {
    const std::string systemDir = TextRules::ToLower(modGenDec::GetSystemDir());
    File("helper.dll", "d:\\windows\\system32\\", "Elsewhere");
    EXPECT_FALSE(FileMatches(systemDir + "helper.dll"));
    File("helper.dll", systemDir, "InSystem");
    EXPECT_TRUE(FileMatches(systemDir + "helper.dll"));
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).Text, "InSystem");

    ResetScanState();
    // A long name matches anywhere, but the "windows" guard passes over a definition that does
    // not name that folder and goes on to the next one.
    File("longer-helper-name.exe", "c:\\apps\\", "Apps");
    File("longer-helper-name.exe", "c:\\windows\\tools\\", "Tools");
    EXPECT_TRUE(FileMatches("c:\\windows\\tools\\longer-helper-name.exe"));
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).Text, "Tools");
}

TEST_F(Matchers, AHitFillsEveryListWithTheThreatName) {
    File("evil.exe", "c:\\apps\\evil\\", "Evil Threat", "Adware");
    CheckFileDefinitions("C:\\Apps\\Evil\\Evil.exe");
    const auto& lists = ScanLists();
    ASSERT_EQ(lists.lvwFilesToBeDeleted.Count(), 1u);
    EXPECT_EQ(lists.lvwFilesToBeDeleted.Item(0).Text, "c:\\apps\\evil\\evil.exe");
    // The removal row names the threat, by which the results page finds it again.
    EXPECT_EQ(lists.lvwFilesToBeDeleted.Item(0).SubItem(1), "Evil Threat");
    ASSERT_EQ(lists.lvwSpywareFound.Count(), 1u);
    EXPECT_EQ(lists.lvwSpywareFound.Item(0).Text, "Evil Threat");
    EXPECT_EQ(lists.lvwSpywareFound.Item(0).SmallIcon, ItemFile);
    const ui::ListItem& row = lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Item(0);
    EXPECT_EQ(row.Text, "Evil Threat");
    EXPECT_EQ(row.SmallIcon, ItemFile);
    EXPECT_EQ(row.SubItem(1), "c:\\apps\\evil\\evil.exe");
    EXPECT_EQ(row.SubItem(2), "Adware");
    EXPECT_EQ(row.Tag, "c:\\apps\\evil\\evil.exe");
    EXPECT_FALSE(row.Checked);
    EXPECT_EQ(modGlobals::ItemsFound, 1);
    EXPECT_EQ(ScanDisplay().lbltracesFound.Caption, "1");
}

TEST_F(Matchers, OneRowPerFileAndTheFirstEmptySlotEndsTheSearch) {
    File("evil.exe", "c:\\apps\\evil\\", "First");
    File("evil.exe", "c:\\apps\\evil\\", "Second");
    CheckFileDefinitions("c:\\apps\\evil\\evil.exe");
    EXPECT_EQ(Found(), 1u);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).Text, "First");

    ResetScanState();
    File(" ", "c:\\");
    File("evil.exe", "c:\\apps\\evil\\");
    EXPECT_FALSE(FileMatches("c:\\apps\\evil\\evil.exe"));
}

TEST_F(Matchers, DriveTokenInANameIsTheItemsDrive) {
    File("[DRIVE]evil.exe", "c:\\apps\\evil\\");
    EXPECT_FALSE(FileMatches("d:\\apps\\evil\\evil.exe"));
    EXPECT_TRUE(FileMatches("d:\\apps\\evil\\d:evil.exe"));
}

TEST_F(Matchers, SafeExcludedAndMicrosoftFilesEndTheCheck) {
    File("evil.exe", "c:\\apps\\evil\\");
    File("evil.exe", "c:\\apps\\evil\\", "Later");
    WriteDefinitionFile("Safety.dat", {"SFILE|evil.exe=x|c:\\apps\\evil\\evil.exe"});
    modGlobals::LoadSafetyList();
    EXPECT_FALSE(FileMatches("D:\\apps\\evil\\evil.exe"));
    EXPECT_EQ(ScanLists().lvwSpywareFound.Count(), 0u);

    modGlobals::SafetyList.clear();
    modGlobals::AddExclusion("c:\\apps\\evil\\evil.exe");
    EXPECT_FALSE(FileMatches("C:\\Apps\\Evil\\evil.exe"));
    ASSERT_EQ(ScanLists().lvwSpywareFound.Count(), 1u);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).Text, "EXCLUDED");
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).SmallIcon, ItemExcluded);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).SubItem(1), "c:\\apps\\evil\\evil.exe");
    EXPECT_EQ(modGlobals::ItemsFound, 0);
    EXPECT_EQ(ScanLists().lvwFilesToBeDeleted.Count(), 0u);
}

TEST_F(Matchers, FilesOfMicrosoftAreNeverReported) {
    // The build puts this program, which names the system's maker, beside the tests.
    std::string fixture = OwnExecutablePath();
    fixture = ParentPath(fixture) + "microsoft_company.exe";
    ASSERT_EQ(ModMemoryItemsInspected::GetFileCompanyName(fixture), "Microsoft Corporation");
    File("microsoft_company.exe", TextRules::ToLower(ParentPath(fixture)));
    EXPECT_FALSE(FileMatches(fixture));
    EXPECT_EQ(ScanLists().lvwSpywareFound.Count(), 0u);
    EXPECT_EQ(ModMemoryItemsInspected::GetFileCompanyName(machine.Path()), "");
    // A string table the translation list leaves out still names the maker.
    EXPECT_EQ(
        ModMemoryItemsInspected::GetFileCompanyName(ParentPath(fixture) + "unlisted_table.exe"),
        "Microsoft Corporation");
}

TEST_F(Matchers, FoldersMatchTheirPath) {
    Folder("c:\\apps\\evil", "Evil Folder", "Hijacker");
    CheckFolderDefinitions("C:\\Apps\\Evil\\");
    const auto& lists = ScanLists();
    ASSERT_EQ(Found(), 1u);
    const ui::ListItem& row = lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Item(0);
    EXPECT_EQ(row.Text, "Evil Folder Directory");
    EXPECT_EQ(row.SmallIcon, ItemFolder);
    EXPECT_EQ(row.SubItem(1), "c:\\apps\\evil");
    EXPECT_EQ(row.SubItem(2), "Hijacker");
    EXPECT_EQ(lists.lvwSpywareFound.Item(0).SmallIcon, ItemFile);
    EXPECT_EQ(lists.lvwFilesToBeDeleted.Item(0).Text, "c:\\apps\\evil");
    EXPECT_EQ(lists.lvwFilesToBeDeleted.Item(0).SubItem(1), "Evil Folder");

    CheckFolderDefinitions("c:\\apps\\good\\");
    CheckFolderDefinitions("c:\\other\\apps\\evil\\");
    EXPECT_EQ(Found(), 1u);
}

TEST_F(Matchers, FolderDefinitionsWithTheDriveToken) {
    Folder("[drive]\\apps\\evil");
    CheckFolderDefinitions("e:\\apps\\evil\\");
    EXPECT_EQ(Found(), 1u);
}

TEST_F(Matchers, ExcludedFoldersAreListedWithTheirPath) {
    Folder("c:\\apps\\evil");
    modGlobals::AddExclusion("c:\\apps\\evil");
    CheckFolderDefinitions("c:\\apps\\evil\\");
    EXPECT_EQ(Found(), 0u);
    ASSERT_EQ(ScanLists().lvwSpywareFound.Count(), 1u);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).SubItem(1), "c:\\apps\\evil\\");
}

} // namespace
