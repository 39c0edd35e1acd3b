#include <windows.h>

#include "Controls.h"
#include "Form.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each row's text, or its sub-item's text when column > 0, in list order.
std::vector<std::string> Column(const ui::ListView& list, int column = 0) {
    std::vector<std::string> texts;
    for (const ui::ListItem& row : list.Items())
        texts.push_back(column == 0 ? row.Text : row.SubItem(column));
    return texts;
}

using Texts = std::vector<std::string>;

TEST(ListViewSort, OrdersByTheKeyColumnsTextWithoutRegardToCaseTiesKeepingTheirOrder) {
    struct Case {
        Texts texts;
        int order;
        Texts sorted;
    };
    const Case cases[] = {
        {{"beta", "Alpha", "gamma", "alpha", "ALPHA"},
         0,
         {"Alpha", "alpha", "ALPHA", "beta", "gamma"}},
        {{"beta", "Alpha", "gamma", "alpha", "ALPHA"},
         1,
         {"gamma", "beta", "Alpha", "alpha", "ALPHA"}},
        // Text, not numbers; an empty text first.
        {{"9", "10", "", "100"}, 0, {"", "10", "100", "9"}},
        // The user's locale: an accented letter sorts with its base letter, not after "z".
        {{"zebra", "\303\251clair", "fig", "Eagle"}, 0, {"Eagle", "\303\251clair", "fig", "zebra"}},
        {{"zebra", "\303\251clair", "fig", "Eagle"}, 1, {"zebra", "fig", "\303\251clair", "Eagle"}},
    };
    for (const Case& c : cases) {
        for (int key : {0, 2}) {
            SCOPED_TRACE(c.texts.front() + " order " + std::to_string(c.order) + " key " +
                         std::to_string(key));
            ui::ListView list("lvw", {"Name", "Location", "Risk"});
            for (const std::string& text : c.texts)
                list.Add(key == 0 ? text : "row").SetSubItem(key, text);
            list.SetSortKey(key);
            list.SetSortOrder(c.order);
            EXPECT_EQ(Column(list, key), c.texts) << "no sort while Sorted is off";
            list.SetSorted(true);
            EXPECT_EQ(Column(list, key), c.sorted);
        }
    }
}

TEST(ListViewSort, EveryRowKeepsWhatItCarries) {
    ui::ListView list("lvw", {"Name", "Location"}, true);
    struct Row {
        const char* text;
        const char* location;
        bool checked;
        int icon;
    };
    const Row rows[] = {{"c", "C:\\c", true, 3}, {"a", "C:\\a", false, 1}, {"b", "C:\\b", true, 4}};
    std::vector<uint64_t> ids;
    for (const Row& row : rows) {
        ui::ListItem& item = list.Add(row.text);
        item.SetSubItem(1, row.location);
        item.Checked = row.checked;
        item.SmallIcon = row.icon;
        item.Key = std::string("key-") + row.text;
        item.Tag = std::string("tag-") + row.text;
        ids.push_back(item.Id());
    }
    EXPECT_NE(ids[0], ids[1]);
    list.SetSorted(true);
    ASSERT_EQ(Column(list), (Texts{"a", "b", "c"}));
    const size_t from[] = {1, 2, 0}; // where each sorted row stood
    for (size_t i = 0; i < 3; ++i) {
        const ui::ListItem& item = list.Item(i);
        const Row& row = rows[from[i]];
        EXPECT_EQ(item.SubItem(1), row.location);
        EXPECT_EQ(item.Checked, row.checked);
        EXPECT_EQ(item.SmallIcon, row.icon);
        EXPECT_EQ(item.Key, std::string("key-") + row.text);
        EXPECT_EQ(item.Tag, std::string("tag-") + row.text);
        EXPECT_EQ(item.Id(), ids[from[i]]);
    }
}

TEST(ListViewSort, ANewKeyOrOrderSortsAgainAndRowsChangedLaterKeepTheirPlace) {
    ui::ListView list("lvw", {"Name", "Location"});
    list.Add("b").SetSubItem(1, "2");
    list.Add("a").SetSubItem(1, "3");
    list.Add("c").SetSubItem(1, "1");
    list.SetSorted(true);
    EXPECT_EQ(Column(list), (Texts{"a", "b", "c"}));
    list.SetSortKey(1);
    EXPECT_EQ(Column(list), (Texts{"c", "b", "a"}));
    list.SetSortOrder(1);
    EXPECT_EQ(Column(list), (Texts{"a", "b", "c"}));
    // Any order but descending is ascending.
    list.SetSortOrder(7);
    EXPECT_EQ(list.SortOrder(), 0);
    EXPECT_EQ(Column(list), (Texts{"c", "b", "a"}));

    list.Item(0).SetSubItem(1, "9");
    EXPECT_EQ(Column(list), (Texts{"c", "b", "a"}));
    list.SetSortOrder(1);
    EXPECT_EQ(Column(list), (Texts{"c", "a", "b"}));

    // Removing keeps the order; switching off keeps it too.
    list.Remove(1);
    EXPECT_EQ(Column(list), (Texts{"c", "b"}));
    list.SetSorted(false);
    EXPECT_EQ(Column(list), (Texts{"c", "b"}));
}

TEST(ListViewSort, RowsAddedWhileSortedGoToTheirPlaceOnceFilled) {
    struct Case {
        int key, order;
        Texts added; // the key column's texts, added one by one after sorting
        Texts sorted;
    };
    const Case cases[] = {
        {0, 0, {"d", "0", "B", "b"}, {"0", "a", "b", "B", "b", "c", "d"}},
        {0, 1, {"d", "0", "B"}, {"d", "c", "b", "B", "a", "0"}},
        {1, 0, {"k", "a"}, {"a", "j", "k", "x", "y"}},
        {1, 1, {"k", "z", "a"}, {"z", "y", "x", "k", "j", "a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.key) + " order " + std::to_string(c.order));
        ui::ListView list("lvw", {"Name", "Location"}, true);
        if (c.key == 0)
            for (const char* text : {"c", "a", "b"})
                list.Add(text);
        else
            for (const char* text : {"y", "j", "x"})
                list.Add("row").SetSubItem(1, text);
        list.SetSortKey(c.key);
        list.SetSortOrder(c.order);
        list.SetSorted(true);
        for (const std::string& text : c.added) {
            // The caller fills the row it got back before the list is used again.
            ui::ListItem& row = list.Add(c.key == 0 ? text : "new");
            row.SetSubItem(1, c.key == 0 ? "sub-" + text : text);
            row.Checked = true;
            row.Tag = "new";
        }
        EXPECT_EQ(Column(list, c.key), c.sorted);
        for (const ui::ListItem& row : list.Items())
            EXPECT_EQ(row.Checked, row.Tag == "new");
        for (const ui::ListItem& row : list.Items())
            if (c.key == 0 && row.Tag == "new") {
                EXPECT_EQ(row.SubItem(1), "sub-" + row.Text);
            }
    }
}

TEST(ListViewSort, ClearEndsTheSortState) {
    ui::ListView list("lvw", {"Name", "Location"});
    list.Clear();
    EXPECT_FALSE(list.Sorted());
    list.Add("b");
    list.Add("a");
    list.SetSortKey(1);
    list.SetSortOrder(1);
    list.SetSorted(true);
    EXPECT_TRUE(list.Sorted());

    const uint64_t revision = list.Revision();
    list.Clear();
    EXPECT_GT(list.Revision(), revision);
    EXPECT_FALSE(list.Sorted());
    EXPECT_EQ(list.SortKey(), 0);
    EXPECT_EQ(list.SortOrder(), 0);
    list.Add("b");
    list.Add("a");
    EXPECT_EQ(Column(list), (Texts{"b", "a"}));
}

// A window with one list view whose column clicks sort it, as the results lists do.
class SortForm : public ui::Form {
  public:
    SortForm() : ui::Form("frmSort") {
        Width = 6000;
        Height = 4000;
        lvwRows.Move(0, 0, 5500, 3000);
        Add(lvwRows);
    }
    ui::ListView lvwRows{"lvwRows", {"Name", "Location"}, true};

  protected:
    void ListView_ColumnClick(ui::ListView& list, int column) override {
        list.SetSorted(true);
        list.SetSortKey(column);
        list.SetSortOrder(list.SortOrder() == 0 ? 1 : 0);
    }
};

TEST(ListViewSortWindow, TheNativeViewShowsTheModelOrderItsArrowAndTheSelectedRow) {
    SortForm form;
    for (const char* text : {"b", "c", "a"})
        form.lvwRows.Add(text).SetSubItem(1, std::string("C:\\") + text);
    form.lvwRows.Item(1).Checked = true; // "c"
    ASSERT_TRUE(form.Load());
    form.Show();
    form.Refresh();
    HWND view = form.ControlHandle(form.lvwRows);
    HWND header = reinterpret_cast<HWND>(SendMessageW(view, LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);

    auto shown = [&](int column) {
        Texts texts;
        const int count = static_cast<int>(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[64] = {};
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 64;
            SendMessageW(view, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
            texts.emplace_back(text, text + wcslen(text));
        }
        return texts;
    };
    auto arrow = [&](int column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
        return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    };
    auto selected = [&] {
        return static_cast<int>(
            SendMessageW(view, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    };
    auto clickColumn = [&](int column) {
        NMLISTVIEW click{};
        click.hdr.hwndFrom = view;
        click.hdr.idFrom = form.CommandId(form.lvwRows);
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        SendMessageW(form.Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    };

    EXPECT_EQ(shown(0), (Texts{"b", "c", "a"}));
    EXPECT_EQ(arrow(0), 0);
    // The user selects "c".
    LVITEMW select{};
    select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(view, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));

    clickColumn(0); // descending
    EXPECT_EQ(shown(0), (Texts{"c", "b", "a"}));
    EXPECT_EQ(shown(1), (Texts{"C:\\c", "C:\\b", "C:\\a"}));
    EXPECT_EQ(arrow(0), HDF_SORTDOWN);
    EXPECT_EQ(arrow(1), 0);
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(SendMessageW(view, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK),
              INDEXTOSTATEIMAGEMASK(2));

    clickColumn(1); // ascending, by location
    EXPECT_EQ(shown(0), (Texts{"a", "b", "c"}));
    EXPECT_EQ(arrow(0), 0);
    EXPECT_EQ(arrow(1), HDF_SORTUP);
    EXPECT_EQ(selected(), 2);

    // A removed selected row takes the selection with it; clearing ends the arrow.
    form.lvwRows.Remove(2);
    form.Refresh();
    EXPECT_EQ(selected(), -1);
    form.lvwRows.Clear();
    form.Refresh();
    EXPECT_EQ(arrow(1), 0);
    form.Unload();
}

} // namespace
