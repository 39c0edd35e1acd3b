#include "Controls.h"

#include <gtest/gtest.h>

TEST(ProgressBar, BringsValuesOutsideTheRangeToTheNearerEnd) {
    ui::ProgressBar bar("pb");
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Value(), 0);

    bar.SetValue(42.5);
    EXPECT_EQ(bar.Value(), 42.5);
    bar.SetValue(100);
    EXPECT_EQ(bar.Value(), 100);
    bar.SetValue(100.5);
    EXPECT_EQ(bar.Value(), 100);
    bar.SetValue(-1);
    EXPECT_EQ(bar.Value(), 0);
    bar.SetValue(1e9);
    EXPECT_EQ(bar.Value(), 100);
}

TEST(ProgressBar, SetMaxKeepsTheValueInsideTheRange) {
    ui::ProgressBar bar("pb");
    bar.SetValue(80);
    bar.SetMax(50);
    EXPECT_EQ(bar.Max(), 50);
    EXPECT_EQ(bar.Value(), 50);

    bar.SetMax(200);
    EXPECT_EQ(bar.Value(), 50);
    bar.SetValue(150);
    EXPECT_EQ(bar.Value(), 150);

    // A maximum below the minimum still leaves the value inside the range.
    bar.SetMax(-10);
    EXPECT_GE(bar.Max(), bar.Min());
    EXPECT_GE(bar.Value(), bar.Min());
    EXPECT_LE(bar.Value(), bar.Max());
}

TEST(ProgressBar, HoldsValuesBeyond32Bits) {
    ui::ProgressBar bar("pb");
    const double usedBytes = 5.0e12;
    bar.SetMax(usedBytes);
    bar.SetValue(4.0e12);
    EXPECT_EQ(bar.Max(), usedBytes);
    EXPECT_EQ(bar.Value(), 4.0e12);
    bar.SetValue(6.0e12);
    EXPECT_EQ(bar.Value(), usedBytes);
}

TEST(ListItem, SubItemsAreNumberedFromOneAndEmptyUntilSet) {
    ui::ListItem item;
    EXPECT_EQ(item.SubItem(1), "");
    EXPECT_EQ(item.SubItem(0), "");
    EXPECT_EQ(item.SubItem(-3), "");

    item.Text = "name";
    item.SetSubItem(1, "location");
    EXPECT_EQ(item.SubItem(1), "location");
    EXPECT_EQ(item.SubItem(0), "");
    EXPECT_EQ(item.SubItem(2), "");
    EXPECT_EQ(item.Text, "name");
}

TEST(ListItem, SetSubItemGrowsAndKeepsTheOthers) {
    ui::ListItem item;
    item.SetSubItem(3, "third");
    EXPECT_EQ(item.SubItem(1), "");
    EXPECT_EQ(item.SubItem(2), "");
    EXPECT_EQ(item.SubItem(3), "third");
    EXPECT_EQ(item.SubItem(4), "");

    item.SetSubItem(1, "first");
    item.SetSubItem(3, "THIRD");
    EXPECT_EQ(item.SubItem(1), "first");
    EXPECT_EQ(item.SubItem(3), "THIRD");

    // Numbers below 1 name no sub-item and change nothing.
    item.SetSubItem(0, "zero");
    item.SetSubItem(-1, "minus");
    EXPECT_EQ(item.SubItem(0), "");
    EXPECT_EQ(item.SubItem(1), "first");
    EXPECT_EQ(item.Text, "");
}

TEST(ListView, TakesItsColumnsAndCheckboxesFromTheConstructor) {
    ui::ListView list("lvwTest", {"Name", "Details", "Risk"}, true);
    EXPECT_EQ(list.Name, "lvwTest");
    ASSERT_EQ(list.ColumnHeaders.size(), 3u);
    EXPECT_EQ(list.ColumnHeaders[0].Text, "Name");
    EXPECT_EQ(list.ColumnHeaders[1].Text, "Details");
    EXPECT_EQ(list.ColumnHeaders[2].Text, "Risk");
    EXPECT_TRUE(list.Checkboxes);
    EXPECT_EQ(list.Count(), 0u);

    ui::ListView plain("lvwPlain", {});
    EXPECT_TRUE(plain.ColumnHeaders.empty());
    EXPECT_FALSE(plain.Checkboxes);
}

TEST(ListView, AddsRemovesAndClearsRowsInOrder) {
    ui::ListView list("lvw", {"Name"});
    ui::ListItem& first = list.Add("first");
    EXPECT_EQ(first.Text, "first");
    EXPECT_FALSE(first.Checked);
    first.SetSubItem(1, "one");
    list.Add("second").Checked = true;
    list.Add("third");
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Item(0).SubItem(1), "one");
    EXPECT_TRUE(list.Item(1).Checked);

    list.Remove(1);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Item(0).Text, "first");
    EXPECT_EQ(list.Item(1).Text, "third");
    EXPECT_FALSE(list.Item(1).Checked);
    EXPECT_EQ(list.Items().size(), 2u);

    // Out of range: harmless.
    list.Remove(2);
    list.Remove(static_cast<size_t>(-1));
    EXPECT_EQ(list.Count(), 2u);

    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    list.Remove(0);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Add("again").Text, "again");
    EXPECT_EQ(list.Count(), 1u);
}
