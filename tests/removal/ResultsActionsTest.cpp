// Browse, Exclude, Select All, the tick mirroring, the Quarantine menu, and what the results
// page's commands do while a removal runs.
#include "RemovalFixture.h"

#include "BusyState.h"
#include "Exclusions.h"
#include "FromMessageLoop.h"
#include "RegistryScanner.h"
#include "ShellLaunch.h"
#include "clsLanguages.h"
#include "modFileRelated.h"
#include "modGlobals.h"

#include <windows.h>

#include <gtest/gtest.h>

using ResultsActions = RemovalFixture;

TEST_F(ResultsActions, EachTickReachesExactlyTheRowsOfItsOwnItem) {
    // Two threats of one name, a folder, a nameless key and a value below it, and a cookie.
    AddFile("C:\\one\\same.exe", "Same Threat");
    AddFile("C:\\two\\same.exe", "Same Threat");
    AddFile("C:\\three\\Folder", "Folder Threat", ItemFolder);
    AddRegistry(-2147483647, "Software\\Bad", "", "");
    AddRegistry(-2147483647, "Software\\Bad", "Run", "");
    AddCookie("C:\\cookies\\user@bad[1].txt");
    const ScanResultLists& lists = form->lists;
    const struct {
        size_t row;
        const char *files, *registry, *cookies;
    } cases[] = {
        {0, "100", "00", "0"}, {1, "010", "00", "0"}, {2, "001", "00", "0"},
        {3, "000", "10", "0"}, {4, "000", "01", "0"}, {5, "000", "00", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        Tick(c.row, true);
        EXPECT_EQ(Ticks(lists.lvwFilesToBeDeleted), c.files);
        EXPECT_EQ(Ticks(lists.lvwRegistryToBeDeleted), c.registry);
        EXPECT_EQ(Ticks(lists.lvwCookiesToDelete), c.cookies);
        Tick(c.row, false);
        EXPECT_EQ(Ticks(lists.lvwFilesToBeDeleted) + Ticks(lists.lvwRegistryToBeDeleted) +
                      Ticks(lists.lvwCookiesToDelete),
                  "000000");
    }
    // Select All ticks every row and every removal row with it.
    panel.cmdSelectAll_Click();
    EXPECT_EQ(Ticks(lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved), "111111");
    EXPECT_EQ(Ticks(lists.lvwFilesToBeDeleted) + Ticks(lists.lvwRegistryToBeDeleted) +
                  Ticks(lists.lvwCookiesToDelete),
              "111111");
}

TEST_F(ResultsActions, BrowseShowsEachItemInItsFolderAndAsksOnceAfterTheSixth) {
    for (int i = 0; i < 8; ++i)
        AddFile("C:\\found\\evil " + std::to_string(i) + ".exe", "Evil");
    AddRegistry(-2147483647, "Software\\Bad", "Run", "Run Value");
    panel.cmdSelectAll_Click();
    {
        ExpectedLaunches launches;
        for (int i = 0; i < 6; ++i)
            launches.Expect();
        ScriptedMessageBoxes boxes;
        boxes.Expect(IDCANCEL);
        panel.cmdBrowse_Click();
        ASSERT_EQ(launches.Launched().size(), 6u);
        // Never the found file itself: Explorer would run it.
        EXPECT_EQ(launches.Launched()[0].File, "explorer.exe");
        EXPECT_EQ(launches.Launched()[0].Parameters, "/select,\"C:\\found\\evil 0.exe\"");
        EXPECT_EQ(boxes.Shown()[0].prompt,
                  "You have selected to browse more than 5 items at a time.  This can slow down "
                  "your computer.  Are you sure you want to continue?");
    }
    ExpectedLaunches launches;
    for (int i = 0; i < 8; ++i)
        launches.Expect();
    ScriptedMessageBoxes boxes;
    boxes.Expect(IDOK);
    panel.cmdBrowse_Click();
    // The registry row opens nothing.
    EXPECT_EQ(launches.Launched().size(), 8u);
}

TEST_F(ResultsActions, DoubleClickOpensTheParentFolderOrTheRegistryEditor) {
    AddFile("C:\\A\\b.exe", "B");
    AddFile("C:\\A\\Folder\\", "F", ItemFolder);
    AddRegistry(-2147483647, "Software\\Bad", "Run", "Run Value");
    ExpectedLaunches launches;
    launches.Expect();
    launches.Expect();
    launches.Expect();
    form->lvwPicRemoveListOfSpywareFoundAndToBeRemoved_DblClick(0);
    form->lvwPicRemoveListOfSpywareFoundAndToBeRemoved_DblClick(1);
    form->lvwPicRemoveListOfSpywareFoundAndToBeRemoved_DblClick(2);
    form->lvwPicRemoveListOfSpywareFoundAndToBeRemoved_DblClick(-1);
    ASSERT_EQ(launches.Launched().size(), 3u);
    EXPECT_EQ(launches.Launched()[0].Parameters, "\"C:\\A\"");
    EXPECT_EQ(launches.Launched()[1].Parameters, "\"C:\\A\\Folder\"");
    EXPECT_EQ(launches.Launched()[2].File, "regedit.exe");
}

TEST_F(ResultsActions, ExcludeStoresTheTickedItemsAndDropsTheirRows) {
    AddFile("C:\\found\\evil.exe", "Evil");
    AddCookie("C:\\cookies\\user@bad[1].txt");
    AddFile("C:\\found\\kept.exe", "Kept");
    AddFile("C:\\found\\\xe2\x98\x83.exe", "Snowman"); // no ANSI code page holds it
    Tick(0);
    Tick(1);
    Tick(3);
    ScriptedMessageBoxes boxes;
    boxes.Expect(IDYES);
    boxes.Expect(IDOK);
    panel.cmdExclude_Click();
    EXPECT_EQ(boxes.Shown()[0].title, Lang.getMessages("MSG_EXC_SURE4"));
    EXPECT_NE(boxes.Shown()[1].prompt.find("C:\\found\\\xe2\x98\x83.exe"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(modGlobals::DataFile(modGlobals::kExclusionFile)),
              "C:\\found\\evil.exe\r\n\r\nEvil\r\n\r\n"
              "C:\\cookies\\user@bad[1].txt\r\n\r\nuser@bad[1].txt\r\n\r\n");
    const ui::ListView& results = form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    ASSERT_EQ(results.Count(), 2u);
    EXPECT_EQ(results.Item(0).Text, "Kept");
    EXPECT_EQ(results.Item(1).Text, "Snowman");
    EXPECT_EQ(form->lists.lvwFilesToBeDeleted.Count(), 2u);
    EXPECT_EQ(form->lists.lvwCookiesToDelete.Count(), 0u);
    EXPECT_TRUE(modGlobals::IsExcluded("C:\\found\\evil.exe"));
}

TEST_F(ResultsActions, ExcludeWithNothingListedSaysSo) {
    ScriptedMessageBoxes boxes;
    boxes.Expect(IDOK);
    panel.cmdExclude_Click();
    EXPECT_EQ(boxes.Shown()[0].prompt, Lang.getMessages("MSG_SORRY"));
}

TEST_F(ResultsActions, QuarantineMenuOpensTheFolderAndTheExclusionList) {
    {
        ExpectedLaunches launches;
        launches.Expect();
        form->mnuQuarItem[0].Click();
        EXPECT_TRUE(PathExists(modFileRelated::QuarantineFolder()));
        EXPECT_EQ(launches.Launched()[0].File, "explorer.exe");
        EXPECT_EQ(launches.Launched()[0].Parameters,
                  "\"" + modFileRelated::QuarantineFolder() + "\"");
    }
    {
        ScriptedMessageBoxes boxes;
        boxes.Expect(IDOK);
        form->mnuQuarItem[1].Click();
        EXPECT_EQ(boxes.Shown()[0].prompt, "No exclusion file exists yet.");
        EXPECT_EQ(boxes.Shown()[0].title, "No Exclusion File");
    }
    modGlobals::AddExclusion("C:\\x.exe");
    ExpectedLaunches launches;
    launches.Expect();
    form->mnuQuarItem[1].Click();
    EXPECT_EQ(launches.Launched()[0].File, "notepad.exe");
    EXPECT_EQ(launches.Launched()[0].Parameters,
              "\"" + modGlobals::DataFile(modGlobals::kExclusionFile) + "\"");
    EXPECT_FALSE(form->mnuQuarItem[2].Visible);
    EXPECT_FALSE(form->mnuQuarItem[3].Visible);
}

// Presses the page's commands from inside the removal's message-loop passes, once, as soon as
// `when` holds.
class PressDuringRemoval : public FromMessageLoop {
  public:
    explicit PressDuringRemoval(
        std::function<void()> press, std::function<bool()> when = [] { return true; })
        : FromMessageLoop(std::move(press),
                          [when = std::move(when)] { return BusyState::IsBusy() && when(); }) {}
};

TEST_F(ResultsActions, CommandsPressedDuringARemovalDoNothing) {
    for (int i = 0; i < 40; ++i)
        AddFile(machine.WriteFile("f" + std::to_string(i) + ".txt", "x"), "F");
    AddFile(machine.WriteFile("unticked.txt", "x"), "Unticked");
    panel.cmdSelectAll_Click();
    form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.UserCheck(40, false);
    PressDuringRemoval press([&] {
        form->Command4.Click();
        form->cmdExclude.Click();
        form->cmdSelectAll.Click();
        form->cmdScanNow.Click();
        form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.UserCheck(40, true);
    });
    modGlobals::AutoRemoveAfterScan = true;
    panel.Command4_Click();
    EXPECT_TRUE(press.Done());
    // One run: no second confirmation, no exclusion asked, the unticked row left alone.
    const ui::ListView& results = form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    ASSERT_EQ(results.Count(), 1u);
    EXPECT_EQ(results.Item(0).Text, "Unticked");
    EXPECT_FALSE(results.Item(0).Checked);
    EXPECT_TRUE(PathExists(machine / "unticked.txt"));
    EXPECT_TRUE(form->cmdScanNow.Enabled);
    EXPECT_FALSE(BusyState::IsBusy());
}

TEST_F(ResultsActions, ACloseDuringARemovalStopsItAfterTheItemInHand) {
    for (int i = 0; i < 40; ++i)
        AddFile(machine.WriteFile("f" + std::to_string(i) + ".txt", "x"), "F");
    panel.cmdSelectAll_Click();
    Store("Settings", "lblDefRemoved", "7");
    RecordSteps();
    bool closeCancelled = false;
    // The close box, once the first file has gone: it asks the run to stop and waits until
    // the run has unwound.
    PressDuringRemoval press([&] { form->Form_QueryUnload(closeCancelled, ui::vbFormControlMenu); },
                             [&] { return !PathExists(machine / "f0.txt"); });
    modGlobals::AutoRemoveAfterScan = true;
    panel.Command4_Click();
    ASSERT_TRUE(press.Done());
    EXPECT_TRUE(closeCancelled);
    EXPECT_FALSE(BusyState::IsBusy());
    EXPECT_FALSE(BusyState::StopRequested());
    int left = 0;
    for (int i = 0; i < 40; ++i)
        left += PathExists(machine / ("f" + std::to_string(i) + ".txt")) ? 1 : 0;
    EXPECT_GT(left, 0);
    EXPECT_LT(left, 40);
    // Nothing counted or sent for a run the close cut short, and the closing window keeps its
    // rows.
    EXPECT_EQ(Stored("Settings", "lblDefRemoved"), "7");
    EXPECT_TRUE(std::find(calls.begin(), calls.end(), "SendProcessData") == calls.end());
    EXPECT_EQ(form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 40u);
}

TEST_F(ResultsActions, QuestionsHoldTheBusyStateWhileTheyAreOpen) {
    const std::string kept = machine.WriteFile("kept.txt", "kept");
    AddFile(machine.WriteFile("evil.txt", "evil"), "Evil");
    AddFile("C:\\found\\\xe2\x98\x83.exe", "Snowman"); // no ANSI code page holds it
    AddFile(kept, "Kept");
    const ui::ListView& results = form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    // What a scheduled scan falling due or another click tries while a box is open: nothing
    // starts, and the rows the answer is about stay as they are.
    size_t rows = 3;
    int tried = 0;
    const auto tryOthers = [&] {
        ++tried;
        EXPECT_TRUE(BusyState::IsBusy());
        form->lblStart_Click();
        form->Command4.Click();
        form->cmdExclude.Click();
        form->cmdSelectAll.Click();
        EXPECT_EQ(results.Count(), rows);
        EXPECT_FALSE(form->frmScan.Visible);
    };
    Tick(0);
    Tick(1);
    {
        ScriptedMessageBoxes boxes;
        boxes.Expect(IDYES, tryOthers); // Exclude's question
        boxes.Expect(IDOK, tryOthers);  // the row that cannot be excluded
        form->cmdExclude.Click();
        EXPECT_EQ(boxes.Shown().size(), 2u);
    }
    rows = 2;
    ASSERT_EQ(results.Count(), 2u);
    EXPECT_EQ(Ticks(results), "00");
    Tick(1);
    {
        ScriptedMessageBoxes boxes;
        boxes.Expect(IDYES, tryOthers); // Repair Now's confirmation
        form->Command4.Click();
    }
    EXPECT_EQ(tried, 3);
    EXPECT_FALSE(PathExists(kept));
    ASSERT_EQ(results.Count(), 1u);
    EXPECT_EQ(results.Item(0).Text, "Snowman");
    EXPECT_FALSE(BusyState::IsBusy());
}

TEST_F(ResultsActions, ACloseWhileRepairNowAsksRemovesNothing) {
    const std::string evil = machine.WriteFile("evil.txt", "evil");
    AddFile(evil, "Evil");
    Tick(0);
    bool closeCancelled = false;
    {
        ScriptedMessageBoxes boxes;
        boxes.Expect(IDYES, [&] { form->Form_QueryUnload(closeCancelled, ui::vbFormControlMenu); });
        form->Command4.Click();
    }
    EXPECT_TRUE(closeCancelled);
    EXPECT_TRUE(PathExists(evil));
    EXPECT_EQ(form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 1u);
    EXPECT_FALSE(BusyState::IsBusy());
}

TEST_F(ResultsActions, SortedRowsKeepTheirItems) {
    AddFile("C:\\a\\alpha.exe", "Alpha");
    AddFile("C:\\b\\beta.exe", "Beta");
    AddFile("C:\\c\\gamma.exe", "gamma");
    // The first click on a column sorts it descending, the second ascending.
    form->lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ColumnClick(1);
    const ui::ListView& results = form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    ASSERT_EQ(results.Count(), 3u);
    EXPECT_EQ(results.Item(0).Text + results.Item(1).Text + results.Item(2).Text, "gammaBetaAlpha");
    Tick(0);
    EXPECT_EQ(Ticks(form->lists.lvwFilesToBeDeleted), "001");
    form->lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ColumnClick(1);
    EXPECT_EQ(results.Item(2).Text, "gamma");
    EXPECT_TRUE(results.Item(2).Checked);
}
