#include <windows.h>

#include "ScriptedMessageBoxes.h"
#include "modListViewEnh.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using modListViewEnh::EnhListView_SortColumns;

namespace {

struct ThreeRows : ui::ListView {
    ThreeRows() : ui::ListView("lvwSpywareFound", {"Name", "Details"}) {
        Add("b").SetSubItem(1, "3");
        Add("a").SetSubItem(1, "1");
        Add("c").SetSubItem(1, "2");
    }
};

std::string Texts(const ui::ListView& list) {
    std::string texts;
    for (const ui::ListItem& row : list.Items())
        texts += row.Text;
    return texts;
}

TEST(EnhListViewSortColumns, AnEmptyListStaysAsItIsWhateverTheColumn) {
    for (int column : {1, 2, 0, 9}) {
        ui::ListView list("lvwPicRemoveListOfSpywareFoundAndToBeRemoved", {"Name", "Location"});
        EXPECT_TRUE(EnhListView_SortColumns(list, column, true));
        EXPECT_FALSE(list.Sorted());
        EXPECT_EQ(list.SortKey(), 0);
        EXPECT_EQ(list.SortOrder(), 0);
    }
}

TEST(EnhListViewSortColumns, TheOrderFlipsOnEveryClickWhicheverColumn) {
    struct Click {
        int column;
        int key, order;
        const char* texts;
    };
    const Click clicks[] = {
        {1, 0, 1, "cba"},                   // first click: descending
        {1, 0, 0, "abc"}, {2, 1, 1, "bca"}, // another column goes on from the last order
        {2, 1, 0, "acb"}, {2, 1, 1, "bca"}, {1, 0, 0, "abc"},
    };
    ThreeRows list;
    for (const Click& click : clicks) {
        SCOPED_TRACE(click.texts);
        EXPECT_TRUE(EnhListView_SortColumns(list, click.column, false));
        EXPECT_TRUE(list.Sorted());
        EXPECT_EQ(list.SortKey(), click.key);
        EXPECT_EQ(list.SortOrder(), click.order);
        EXPECT_EQ(Texts(list), click.texts);
    }
}

TEST(EnhListViewSortColumns, AColumnTheListLacksIsAnErrorBoxedOnlyWhenAsked) {
    for (int column : {0, 3, -1}) {
        SCOPED_TRACE(column);
        ThreeRows list;
        // Unasked, no box: an unexpected one would fail the test.
        EXPECT_FALSE(EnhListView_SortColumns(list, column, false));
        // Sorting was switched on before the column was looked up; key and order stand.
        EXPECT_TRUE(list.Sorted());
        EXPECT_EQ(list.SortKey(), 0);
        EXPECT_EQ(list.SortOrder(), 0);
        EXPECT_EQ(Texts(list), "abc");

        ScriptedMessageBoxes boxes;
        boxes.Expect(IDOK);
        EXPECT_FALSE(EnhListView_SortColumns(list, column, true));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].prompt, "Error35600\tIndex out of bounds");
        EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_ICONINFORMATION));
        EXPECT_EQ(boxes.Shown()[0].title, "Error in Function : EnhListView_SortColumns");
    }
}

} // namespace
