#include "ScanProgress.h"
#include "ScanFixture.h"
#include "ScanResults.h"
#include "modGlobals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void SetCounters(int processes, int registry, int files, int found) {
    modGlobals::ProcessesInspected = processes;
    modGlobals::RegistryItemsInspected = registry;
    modGlobals::FilesFoldersInspected = files;
    modGlobals::ItemsFound = found;
}

std::vector<std::string> Columns(const ui::ListView& list) {
    std::vector<std::string> texts;
    for (const ui::ColumnHeader& column : list.ColumnHeaders)
        texts.push_back(column.Text);
    return texts;
}

} // namespace

class ScanProgressTest : public ScanFixture {
  protected:
    // Checks the counter labels (and the found count of the removal page) against the texts.
    static void ExpectCounters(const std::string& processes, const std::string& registry,
                               const std::string& files, const std::string& found) {
        const ScanProgressDisplay& display = ScanDisplay();
        EXPECT_EQ(display.lblMemoryInspected.Caption, processes);
        EXPECT_EQ(display.lblRegistryInspected.Caption, registry);
        EXPECT_EQ(display.lblFilesFolderInspected.Caption, files);
        EXPECT_EQ(display.lblSoftwareFound.Caption, found);
        EXPECT_EQ(display.lblRemovePicSoftwareFound.Caption, found);
    }
};

TEST_F(ScanProgressTest, TheFirst24CallsChangeNothingAndThe25thShowsEverything) {
    SetCounters(12, 3456, 78901, 5);
    for (int call = 1; call <= 24; ++call)
        UpdateScanProgress("Scanning the registry", 40, 70);

    EXPECT_EQ(ProgressRefreshCount, 24);
    ExpectCounters("", "", "", "");
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "");
    EXPECT_EQ(ScanDisplay().pb1.Value(), 0);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 0);

    UpdateScanProgress("Scanning the registry", 40, 70);
    ExpectCounters("12", "3456", "78901", "5");
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "Scanning the registry");
    EXPECT_EQ(ScanDisplay().pb1.Value(), 40);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 70);
    EXPECT_EQ(ProgressRefreshCount, 0);
    // The phase line is not the throttle's.
    EXPECT_EQ(ScanDisplay().lblPercentageCompleted.Caption, "");
}

TEST_F(ScanProgressTest, TheCountRestartsSoEvery25thCallShowsAgain) {
    SetCounters(1, 1, 1, 1);
    for (int call = 1; call <= 25; ++call)
        UpdateScanProgress("first", 10, 20);
    ExpectCounters("1", "1", "1", "1");

    SetCounters(2, 20, 200, 2);
    for (int call = 26; call <= 49; ++call)
        UpdateScanProgress("second", 30, 40);
    ExpectCounters("1", "1", "1", "1");
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "first");
    EXPECT_EQ(ScanDisplay().pb1.Value(), 10);
    EXPECT_EQ(ProgressRefreshCount, 24);

    UpdateScanProgress("second", 30, 40);
    ExpectCounters("2", "20", "200", "2");
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "second");
    EXPECT_EQ(ScanDisplay().pb1.Value(), 30);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 40);
    EXPECT_EQ(ProgressRefreshCount, 0);
}

TEST_F(ScanProgressTest, ANegativePercentLeavesItsBar) {
    UpdateScanProgressNow("start", 30, 60);
    UpdateScanProgressNow("next", -1, -1);
    EXPECT_EQ(ScanDisplay().pb1.Value(), 30);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 60);
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "next");

    UpdateScanProgressNow("section only", 0, -5);
    EXPECT_EQ(ScanDisplay().pb1.Value(), 0);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 60);

    UpdateScanProgressNow("overall only", -1, 100);
    EXPECT_EQ(ScanDisplay().pb1.Value(), 0);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 100);

    // Through the throttle too.
    for (int call = 1; call <= 25; ++call)
        UpdateScanProgress("throttled", -1, 15);
    EXPECT_EQ(ScanDisplay().pb1.Value(), 0);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 15);
}

TEST_F(ScanProgressTest, APercentAboveTheBarsMaximumFillsTheBar) {
    UpdateScanProgressNow("over", 250, 101);
    EXPECT_EQ(ScanDisplay().pb1.Value(), 100);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 100);
}

TEST_F(ScanProgressTest, UpdateNowShowsAtOnceAndLeavesTheCountAlone) {
    for (int call = 1; call <= 7; ++call)
        UpdateScanProgress("counted", 1, 1);
    SetCounters(4, 0, 9, 0);

    UpdateScanProgressNow("Scanning C:\\Users\\x\\Documents", 55, 66);
    ExpectCounters("4", "0", "9", "0");
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "Scanning C:\\Users\\x\\Doents");
    EXPECT_EQ(ScanDisplay().pb1.Value(), 55);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 66);
    EXPECT_EQ(ProgressRefreshCount, 7);

    // The throttle goes on from 7: the 18 calls to 25 show on the last one only.
    for (int call = 8; call <= 24; ++call)
        UpdateScanProgress("later", 1, 1);
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "Scanning C:\\Users\\x\\Doents");
    UpdateScanProgress("later", 1, 1);
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "later");
}

TEST_F(ScanProgressTest, TheThrottledStatusIsFilteredToo) {
    for (int call = 1; call <= 25; ++call)
        UpdateScanProgress("C:\\Windows\\Sussex.dll", -1, -1);
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "C:\\Windows\\Sus.dll");
}

TEST_F(ScanProgressTest, RefreshCountersShowsOnlyTheCountersAndRestartsTheCount) {
    ScanProgressDisplay& display = ScanDisplay();
    display.lblStatus.Caption = "status before";
    display.pb1.SetValue(10);
    display.pb2.SetValue(20);
    for (int call = 1; call <= 11; ++call)
        UpdateScanProgress("counted", 1, 1);
    SetCounters(3, 14, 159, 26);

    RefreshScanCounters();
    ExpectCounters("3", "14", "159", "26");
    EXPECT_EQ(display.lblStatus.Caption, "status before");
    EXPECT_EQ(display.pb1.Value(), 10);
    EXPECT_EQ(display.pb2.Value(), 20);
    EXPECT_EQ(ProgressRefreshCount, 0);

    // A full 25 calls are needed again before the next refresh.
    for (int call = 1; call <= 24; ++call)
        UpdateScanProgress("after", 50, 50);
    EXPECT_EQ(display.lblStatus.Caption, "status before");
    UpdateScanProgress("after", 50, 50);
    EXPECT_EQ(display.lblStatus.Caption, "after");
}

TEST_F(ScanProgressTest, CountersShowAsPlainDecimalNumbers) {
    SetCounters(0, 1000000, 2147483647, 99);
    RefreshScanCounters();
    ExpectCounters("0", "1000000", "2147483647", "99");
}

TEST(ScanProgressFilterWords, RemovesEachListedWordInAnyCase) {
    // Every word of the list but "faggot", whose own removal is shown below.
    const char* const words[] = {
        "fuck",    "shit",   "asshole", "cock",  "slut", "whore",   "blowjob", "anal",
        "bastard", "fag",    "cum",     "pussy", "suck", "lesbian", "dick",    "bitch",
        "pecker",  "nigger", "kike",    "kyke",  "cunt", "tits",    "titty",   "titties",
        "boob",    "clit",   "spic",    "fart",  "piss", "butt",    "boner",   "racist",
        "douche",  "beaver", "dike",    "jap",   "wop",  "sex",     "porn",    "incest",
    };
    for (const std::string word : words) {
        std::string upper = word;
        for (char& c : upper)
            c = static_cast<char>(c - 'a' + 'A');
        std::string mixed = word;
        mixed[0] = upper[0];
        EXPECT_EQ(FilterWords(word), "") << word;
        EXPECT_EQ(FilterWords(upper), "") << upper;
        EXPECT_EQ(FilterWords(mixed), "") << mixed;
        // Inside words and more than once.
        EXPECT_EQ(FilterWords("<" + word + "|" + upper + ">"), "<|>") << word;
    }
}

TEST(ScanProgressFilterWords, RemovesWordsInsideOtherWords) {
    EXPECT_EQ(FilterWords("C:\\Users\\x\\Documents"), "C:\\Users\\x\\Doents");
    EXPECT_EQ(FilterWords("SEX"), "");
    EXPECT_EQ(FilterWords("Sussex"), "Sus");
    EXPECT_EQ(FilterWords("Scunthorpe"), "Shorpe");
    EXPECT_EQ(FilterWords("C:\\Program Files\\Butterfly\\Japan.exe"),
              "C:\\Program Files\\erfly\\an.exe");
}

TEST(ScanProgressFilterWords, AppliesTheWordsInTheirFixedOrder) {
    // "fag" comes before "faggot", so "faggot" itself never matches.
    EXPECT_EQ(FilterWords("faggot"), "got");
    EXPECT_EQ(FilterWords("FAGGOT"), "GOT");
    // A removal that joins a later word lets that word go too...
    EXPECT_EQ(FilterWords("sfagex"), "");
    // ...but not one already passed.
    EXPECT_EQ(FilterWords("fsexag"), "fag");
    // "fuck" is listed twice: a second pass takes what the first one joined.
    EXPECT_EQ(FilterWords("ffuckuck"), "");
    EXPECT_EQ(FilterWords("fffuckuckuck"), "fuck");
}

TEST(ScanProgressFilterWords, LeavesOtherTextAsItIs) {
    EXPECT_EQ(FilterWords(""), "");
    EXPECT_EQ(FilterWords("Scanning HKEY_LOCAL_MACHINE\\Software\\Run"),
              "Scanning HKEY_LOCAL_MACHINE\\Software\\Run");
    EXPECT_EQ(FilterWords("C:\\Windows\\System32\\Ärger.exe"), "C:\\Windows\\System32\\Ärger.exe");
    EXPECT_EQ(FilterWords("  spaced  \t text  "), "  spaced  \t text  ");
}

TEST_F(ScanProgressTest, ResultListsHaveTheirColumnsAndCheckboxes) {
    ScanResultLists& lists = ScanLists();
    EXPECT_EQ(Columns(lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved),
              (std::vector<std::string>{"File", "Location", "Type", "Risk", "Details"}));
    EXPECT_TRUE(lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Checkboxes);
    EXPECT_EQ(Columns(lists.lvwSpywareFound), (std::vector<std::string>{"Name", "Details"}));
    EXPECT_EQ(Columns(lists.lvwRegistryToBeDeleted),
              (std::vector<std::string>{"Main Key", "KeyValue", "Value", "SpywareName"}));
    EXPECT_EQ(Columns(lists.lvwCookiesToDelete),
              (std::vector<std::string>{"Cookie Name", "CookieLocation"}));
    EXPECT_TRUE(lists.lvwHardDrives.Checkboxes);
}
