// Links and other reparse points inside a removed folder. Wine cannot make reparse points (it
// refuses the reparse-point call and only pretends to make symbolic links), so these tests give
// chosen entries their reparse tags through the walk's tag reader. A folder standing in for a
// link holds what a link's target would: whatever happens to it shows whether the walk entered
// the link.
#include "QuarantineFixture.h"

#include "FolderCopy.h"
#include "TextRules.h"
#include "modFileRelated.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace modFileRelated;
using quarantine_test::Tree;
using Strings = std::vector<std::string>;

namespace {

class FolderLinks : public QuarantineFixture {
  protected:
    // Gives the chosen entries the tag, and no other entry any (no real reparse point exists
    // here).
    void GiveTag(Strings entries, unsigned long tag) {
        FolderCopy::SetReparseTagReader(
            [entries, tag](const std::string& path, unsigned long) -> std::optional<unsigned long> {
                for (const std::string& entry : entries)
                    if (TextRules::EqualsNoCase(path, entry))
                        return tag;
                return 0;
            });
    }
    // Takes the given entries for junctions.
    void TakeForLinks(Strings links) { GiveTag(std::move(links), IO_REPARSE_TAG_MOUNT_POINT); }
};

TEST_F(FolderLinks, OnlyJunctionsAndSymbolicLinksAreLinks) {
    const struct {
        unsigned long tag;
        bool link;
    } tags[] = {
        {IO_REPARSE_TAG_MOUNT_POINT, true}, {IO_REPARSE_TAG_SYMLINK, true},
        {IO_REPARSE_TAG_DEDUP, false},      {IO_REPARSE_TAG_CLOUD, false},
        {IO_REPARSE_TAG_WOF, false},        {IO_REPARSE_TAG_HSM, false},
    };
    const std::string file = machine.WriteFile("entry.txt", "x");
    for (const auto& [tag, link] : tags) {
        GiveTag({file}, tag);
        EXPECT_EQ(FolderCopy::IsLink(file, FILE_ATTRIBUTE_REPARSE_POINT), link) << std::hex << tag;
    }
    // A tag that cannot be read: a folder is never entered, a file is copied with its content.
    FolderCopy::SetReparseTagReader(
        [](const std::string&, unsigned long) -> std::optional<unsigned long> { return {}; });
    EXPECT_TRUE(FolderCopy::IsLink(file, FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(FolderCopy::IsLink(file, FILE_ATTRIBUTE_REPARSE_POINT));
}

TEST_F(FolderLinks, AnotherReparsePointIsCopiedWithItsContentBeforeItGoes) {
    const std::string folder = machine.MakeFolder("Victim");
    const std::string deduplicated = machine.WriteFile("Victim\\dedup.dat", "deduplicated data");
    const std::string cloud = machine.MakeFolder("Victim\\cloud");
    machine.WriteFile("Victim\\cloud\\placeholder.txt", "cloud data");
    const std::string alone = machine.WriteFile("alone.dat", "data");
    FolderCopy::SetReparseTagReader(
        [=](const std::string& path, unsigned long) -> std::optional<unsigned long> {
            if (TextRules::EqualsNoCase(path, deduplicated) || TextRules::EqualsNoCase(path, alone))
                return IO_REPARSE_TAG_DEDUP;
            return TextRules::EqualsNoCase(path, cloud) ? IO_REPARSE_TAG_CLOUD : 0;
        });

    EXPECT_TRUE(QuarantineAndDeleteFolder(folder));
    EXPECT_TRUE(QuarantineAndKillFile(alone, "alone.dat"));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_FALSE(PathExists(alone));
    EXPECT_EQ(Tree(Stored("Victim")), (Strings{"cloud\\", "cloud\\placeholder.txt", "dedup.dat"}));
    EXPECT_EQ(ReadFileBytes(Stored("Victim\\dedup.dat")), "deduplicated data");
    EXPECT_EQ(ReadFileBytes(Stored("Victim\\cloud\\placeholder.txt")), "cloud data");
    EXPECT_EQ(ReadFileBytes(Stored("alone.dat")), "data");
}

TEST_F(FolderLinks, ALinkIsRecordedAndRemovedAsItselfNeverEntered) {
    const std::string folder = machine.MakeFolder("Victim");
    machine.WriteFile("Victim\\a.txt", "a");
    machine.WriteFile("Victim\\sub\\b.txt", "b");
    const std::string emptyLink = machine.MakeFolder("Victim\\sub\\empty link");
    TakeForLinks({emptyLink});

    EXPECT_TRUE(QuarantineAndDeleteFolder(folder));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_EQ(Tree(Stored("Victim")),
              (Strings{"a.txt", "sub\\", "sub\\b.txt", "sub\\empty link.link.txt"}));
    EXPECT_EQ(ReadFileBytes(Stored("Victim\\sub\\empty link.link.txt")), "Link to: (unknown)\r\n");
}

TEST_F(FolderLinks, ALinksTargetSurvivesTheRemovalOfItsFolder) {
    const std::string folder = machine.MakeFolder("Victim");
    machine.WriteFile("Victim\\a.txt", "a");
    const std::string link = machine.MakeFolder("Victim\\link");
    const std::string target = machine.WriteFile("Victim\\link\\target.txt", "not the folder's");
    TakeForLinks({link});

    // The stand-in is a real folder with content, which cannot be removed as a link: the
    // folder stays with it, and nothing of it was copied or deleted. What went has its copy and
    // its journal entry.
    EXPECT_FALSE(QuarantineAndDeleteFolder(folder));
    EXPECT_EQ(ReadFileBytes(target), "not the folder's");
    EXPECT_EQ(Tree(folder), (Strings{"link\\", "link\\target.txt"}));
    EXPECT_EQ(Tree(Stored("Victim")), (Strings{"a.txt", "link.link.txt"}));
    EXPECT_EQ(Journal(), Now() + " - File: Victim\r\n - Location: " + folder + "\r\n\r\n\r\n");
}

TEST_F(FolderLinks, ALinkNamedForRemovalIsRemovedAsItself) {
    const std::string emptyLink = machine.MakeFolder("Empty Link");
    const std::string fullLink = machine.MakeFolder("Full Link");
    const std::string target = machine.WriteFile("Full Link\\target.txt", "target");
    TakeForLinks({emptyLink, fullLink});

    EXPECT_TRUE(QuarantineAndDeleteFolder(emptyLink));
    EXPECT_FALSE(PathExists(emptyLink));
    EXPECT_FALSE(QuarantineAndDeleteFolder(fullLink));
    EXPECT_EQ(ReadFileBytes(target), "target");
    EXPECT_EQ(QuarantineEntries(),
              (Strings{"Empty Link.link.txt", "Full Link.link.txt", "QuarantineLog.txt"}));
    EXPECT_EQ(Journal(),
              Now() + " - File: Empty Link.link.txt\r\n - Location: " + emptyLink + "\r\n\r\n\r\n");
}

} // namespace
