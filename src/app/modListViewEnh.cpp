#include <windows.h>

#include "modListViewEnh.h"

#include "MessageBox.h"

#include <string>

namespace modListViewEnh {

namespace {

// The list view control's own error for a column index it does not have.
constexpr int kIndexOutOfBounds = 35600;

} // namespace

bool EnhListView_SortColumns(ui::ListView& listView, int columnIndex, bool showErrors) {
    if (listView.Count() == 0)
        return true;
    if (!listView.Sorted())
        listView.SetSorted(true);
    if (columnIndex < 1 || columnIndex > static_cast<int>(listView.ColumnHeaders.size())) {
        if (showErrors)
            ui::MsgBox("Error" + std::to_string(kIndexOutOfBounds) + "\tIndex out of bounds",
                       MB_ICONINFORMATION, "Error in Function : EnhListView_SortColumns");
        return false;
    }
    listView.SetSortKey(columnIndex - 1);
    listView.SetSortOrder(listView.SortOrder() == 0 ? 1 : 0);
    return true;
}

} // namespace modListViewEnh
