// Links inside a removed folder. Wine cannot make junctions or symbolic links (it refuses the
// reparse-point call and only pretends to make symbolic links), so these tests have chosen
// folders taken for links through the walk's link test. A folder standing in for a link holds
// what a link's target would: whatever happens to it shows whether the walk entered the link.
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
    // Takes the given folders for links, and nothing else (no real link exists here).
    void TakeForLinks(Strings links) {
        FolderCopy::SetLinkTest([links](const std::string& path, unsigned long) {
            for (const std::string& link : links)
                if (TextRules::EqualsNoCase(path, link))
                    return true;
            return false;
        });
    }
};

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
    // folder stays with it, and nothing of it was copied or deleted.
    EXPECT_FALSE(QuarantineAndDeleteFolder(folder));
    EXPECT_EQ(ReadFileBytes(target), "not the folder's");
    EXPECT_EQ(Tree(folder), (Strings{"link\\", "link\\target.txt"}));
    EXPECT_EQ(Tree(Stored("Victim")), (Strings{"a.txt", "link.link.txt"}));
    EXPECT_EQ(Journal(), "");
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
