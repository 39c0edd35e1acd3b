// The cookie scanner: its naming and matching rules, and scans of cookie folders.
#include "AnsiText.h"
#include "DefinitionFile.h"
#include "Exclusions.h"
#include "MCookies.h"
#include "ManualScanState.h"
#include "PlantedCookie.h"
#include "ScanFixture.h"
#include "ScanResults.h"
#include "modGenDec.h"
#include "modGlobals.h"

#include <windows.h>

#include <algorithm>

namespace {

using namespace MCookies;

const ui::ListItem* RowWithText(const ui::ListView& list, const std::string& text) {
    const auto& rows = list.Items();
    const auto found = std::find_if(rows.begin(), rows.end(),
                                    [&](const ui::ListItem& row) { return row.Text == text; });
    return found == rows.end() ? nullptr : &*found;
}

TEST(CookieRules, SiteFromTheFileName) {
    EXPECT_EQ(CookieSiteFromFileName("tester@ads.tracker[1].txt"), "ads.tracker");
    EXPECT_EQ(CookieSiteFromFileName("tester@tracker(2)[1].txt"), "tracker");
    EXPECT_EQ(CookieSiteFromFileName("tester@tracker.txt"), "tracker");
    EXPECT_EQ(CookieSiteFromFileName("tester@tracker"), "tracker");
    EXPECT_EQ(CookieSiteFromFileName("C:\\a@b\\tester@site[3].txt"), "site");
    EXPECT_EQ(CookieSiteFromFileName("index.dat"), "");
}

TEST(CookieRules, DomainsAreComparedWithoutTopLevelPartAndWww) {
    EXPECT_EQ(ComparableCookieDomain("tracker.com"), "tracker");
    EXPECT_EQ(ComparableCookieDomain("www.tracker.com"), "tracker");
    EXPECT_EQ(ComparableCookieDomain("WWW.tracker.com"), "tracker");
    EXPECT_EQ(ComparableCookieDomain("ads.tracker.com"), "ads.tracker");
    EXPECT_EQ(ComparableCookieDomain("localhost"), "localhost");
    EXPECT_EQ(ComparableCookieDomain(".com"), "");
}

TEST(CookieRules, BlockedListEntries) {
    EXPECT_TRUE(IsCookieBlocked({"tracker.net", ""}, "tracker"));
    EXPECT_TRUE(IsCookieBlocked({"*tracker.org", ""}, "tracker"));
    EXPECT_TRUE(IsCookieBlocked({"other.com", "ads.tracker.com", ""}, "ads.tracker"));
    EXPECT_FALSE(IsCookieBlocked({".tracker.com", ""}, "tracker"));
    EXPECT_FALSE(IsCookieBlocked({"mytracker.com", ""}, "tracker"));
    // The entry must contain the domain as written.
    EXPECT_FALSE(IsCookieBlocked({"Tracker.com", ""}, "tracker"));
    // The list's empty last entry would match an empty domain.
    EXPECT_FALSE(IsCookieBlocked({"tracker.com", ""}, ""));
    EXPECT_FALSE(IsCookieBlocked({}, "tracker"));
}

class CookieScan : public ScanFixture {
  protected:
    CookieScan() {
        SetManualScanTest([this] { return scanRunning; });
    }
    ~CookieScan() override { SetManualScanTest(nullptr); }

    void BlockSites(const std::vector<std::string>& patterns) const {
        WriteDefinitionFile(kBlockedCookiesFile, patterns);
    }
    std::string PlantCookie(const std::string& name, const std::string& domainAndPath) const {
        return cookies.WriteFile(name, CookieContent(domainAndPath));
    }

    bool scanRunning = true;
    TempFolder cookies;
    int32_t cookieFileCount = 2;
};

TEST_F(CookieScan, DomainReadFromTheFile) {
    EXPECT_EQ(GetCookieDomain(PlantCookie("tester@ads.tracker[1].txt", "ads.tracker.com/")),
              "ads.tracker.com");
    // Fields end at commas too, and the domain starts where the site does.
    EXPECT_EQ(GetCookieDomain(
                  cookies.WriteFile("tester@site[1].txt", "a,b\r\nx,www.site.net/path,c\r\n")),
              "site.net");
    EXPECT_EQ(GetCookieDomain(PlantCookie("tester@nopath[1].txt", "nopath.com")), std::nullopt);
    EXPECT_EQ(GetCookieDomain(PlantCookie("nosite.txt", "nosite.com/")), std::nullopt);
    EXPECT_EQ(GetCookieDomain(cookies / "tester@absent[1].txt"), std::nullopt);
}

TEST_F(CookieScan, ListsTrackingCookiesWithTheirRowsAndCounters) {
    BlockSites({"*tracker.net", "ads.example.org"});
    const std::string tracking = PlantCookie("tester@tracker[1].txt", "tracker.com/");
    const std::string kept = PlantCookie("tester@www.ads.example[2].txt", "www.ads.example.com/");
    modGlobals::AddExclusion(kept);
    PlantCookie("tester@harmless[1].txt", "harmless.com/");
    PlantCookie("notacookie.txt", "tracker.com/");
    PlantCookie("tester@.com[1].txt", ".com/"); // its domain ends up empty
    ScanCookieFolder(cookies.Path(), cookieFileCount);

    const ui::ListView& running = ScanLists().lvwSpywareFound;
    ASSERT_EQ(running.Count(), 2u);
    const ui::ListItem* cookieRow = RowWithText(running, "Cookie");
    ASSERT_NE(cookieRow, nullptr);
    EXPECT_EQ(cookieRow->SubItem(1), "tester@tracker[1].txt");
    EXPECT_EQ(cookieRow->SmallIcon, ItemCookie);
    const ui::ListItem* excludedRow = RowWithText(running, "EXCLUDED");
    ASSERT_NE(excludedRow, nullptr);
    EXPECT_EQ(excludedRow->SubItem(1), kept);
    EXPECT_EQ(excludedRow->SmallIcon, ItemExcluded);

    ASSERT_EQ(ScanLists().lvwCookiesToDelete.Count(), 1u);
    EXPECT_EQ(ScanLists().lvwCookiesToDelete.Item(0).Text, tracking);
    const ui::ListView& found = ScanLists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    ASSERT_EQ(found.Count(), 1u);
    EXPECT_EQ(found.Item(0).Text, "Cookie: tester@tracker[1].txt");
    EXPECT_EQ(found.Item(0).SubItem(1), tracking);
    EXPECT_EQ(found.Item(0).SubItem(2), "Tracking Cookie");
    EXPECT_EQ(found.Item(0).SmallIcon, ItemCookie);
    EXPECT_EQ(found.Item(0).Tag, tracking);

    EXPECT_EQ(cookieFileCount, 2 + 5);
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 1);
    EXPECT_EQ(modGlobals::ItemsFound, 0);
    // The list's last index (two lines and the empty end) over five files, times five done.
    EXPECT_EQ(modGlobals::ProcessesInspected, 2);
}

TEST_F(CookieScan, OutsideAScanTheFirstTrackingCookieEndsTheFolder) {
    BlockSites({"tracker.net", "other.net"});
    PlantCookie("tester@tracker[1].txt", "tracker.com/");
    PlantCookie("tester@other[1].txt", "other.com/");
    scanRunning = false;
    ScanCookieFolder(cookies.Path(), cookieFileCount);
    ASSERT_EQ(ScanLists().lvwSpywareFound.Count(), 1u);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).Text, "Cookie");
    EXPECT_EQ(ScanLists().lvwCookiesToDelete.Count(), 0u);
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 0);
}

TEST_F(CookieScan, StopEndsTheScanBeforeTheNextFile) {
    BlockSites({"tracker.net"});
    PlantCookie("tester@tracker[1].txt", "tracker.com/");
    PlantCookie("tester@tracker[2].txt", "tracker.com/");
    modGlobals::StopScanRequested = true;
    ScanCookieFolder(cookies.Path(), cookieFileCount);
    EXPECT_EQ(cookieFileCount, 3);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Count(), 0u);
}

TEST_F(CookieScan, WithoutABlockedListNothingIsBlocked) {
    PlantCookie("tester@tracker[1].txt", "tracker.com/");
    ScanCookieFolder(cookies.Path(), cookieFileCount);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Count(), 0u);
    EXPECT_EQ(cookieFileCount, 3);
    // An empty list's last index is -1, and the counter shows it.
    EXPECT_EQ(modGlobals::ProcessesInspected, -1);
    // A folder that is not there is skipped.
    ScanCookieFolder(cookies / "absent", cookieFileCount);
    EXPECT_EQ(cookieFileCount, 3);
}

TEST_F(CookieScan, ScansTheUsersCookiesFolder) {
    const PlantedCookie planted;
    ASSERT_TRUE(planted.Written()) << planted.Path();
    BlockSites({"*" + planted.Site() + ".biz"});

    ScanCookies(cookieFileCount);
    EXPECT_GT(cookieFileCount, 2);
    const ui::ListItem* row = RowWithText(ScanLists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved,
                                          "Cookie: " + planted.FileName());
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->SubItem(1), planted.Path());
}

} // namespace
