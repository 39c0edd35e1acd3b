#include "ThreatClassification.h"
#include "ScanFixture.h"
#include "ScanResults.h"

#include <set>
#include <string>

using namespace ThreatClassification;

namespace {

class Classification : public ScanFixture {
  protected:
    ui::ListItem& Row(const std::string& type) {
        return AddFoundItemRow("item", ItemFile, "c:\\item", type, "c:\\item");
    }
    const ui::ListView& Found() const {
        return ScanLists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    }
};

TEST(ThreatTable, HoldsFortyDistinctCategoriesInItsOrder) {
    const auto table = ThreatDescriptions();
    ASSERT_EQ(table.size(), 40u);
    std::set<std::string> categories;
    const std::set<std::string> risks = {"Medium", "Medium/High",     "Low",
                                         "HIGH",   "Low/Medium/High", "No risk"};
    for (const ThreatDescription& entry : table) {
        categories.insert(entry.Category);
        EXPECT_TRUE(risks.count(entry.Risk)) << entry.Category << ": " << entry.Risk;
    }
    EXPECT_EQ(categories.size(), 40u);
    EXPECT_STREQ(table[0].Category, "");
    EXPECT_STREQ(table[22].Category, "Worm");
    EXPECT_STREQ(table[23].Category, "Misc Tool");
    EXPECT_STREQ(table[39].Category, "Trojan");
    // Texts are kept as written, double blanks and spelling included.
    EXPECT_STREQ(table[5].Description,
                 "If you installed this software it is not a threat.  Otherwise you should "
                 "research it.  This software embeds itself in your browser.");
    EXPECT_STREQ(table[15].Description, "Tries to peform denial of service attacks on websites");
    EXPECT_STREQ(table[26].Description, "Attempts to seal your passwords");
}

TEST_F(Classification, RowsGetTheRiskAndDescriptionOfTheirCategory) {
    Row("Tracking Cookie");
    Row("");
    Row("Backdoor");
    Row("Trojan");
    Row("Adware");
    ui::ListItem& kept = Row("adware");
    kept.SetSubItem(3, "old risk");
    Row("Adware ");
    Row("Something new");
    AssignThreatDescriptions();
    const std::pair<const char*, const char*> expected[] = {
        {"Low", "Not malicious but can be a privacy concern"},
        {"Medium", "Unknown"},
        {"HIGH", "Allows remote access to your computer"},
        {"HIGH", "Allows remote access to your computer.  Can be malicious and damage your "
                 "system."},
        {"Medium/High", "Adware displays ads on your computer and can compromise your security."},
        {"old risk", ""},
        {"", ""},
        {"", ""},
    };
    ASSERT_EQ(Found().Count(), std::size(expected));
    for (size_t i = 0; i < Found().Count(); ++i) {
        EXPECT_EQ(Found().Item(i).SubItem(3), expected[i].first) << i;
        EXPECT_EQ(Found().Item(i).SubItem(4), expected[i].second) << i;
    }

    // A second pass changes nothing and keeps the rows as they are.
    const std::vector<ui::ListItem> before = Found().Items();
    AssignThreatDescriptions();
    ASSERT_EQ(Found().Count(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(Found().Item(i).SubItem(2), before[i].SubItem(2));
        EXPECT_EQ(Found().Item(i).SubItem(3), before[i].SubItem(3));
        EXPECT_EQ(Found().Item(i).SubItem(4), before[i].SubItem(4));
    }
}

} // namespace
