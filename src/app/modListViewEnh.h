// Sorting a list view by the column header the user clicked.
#pragma once

#include "Controls.h"

namespace modListViewEnh {

// Sorts by the column with the 1-based index columnIndex (a form's ListView_ColumnClick column
// plus 1), flipping the order on every call whichever column was sorted before. An empty list
// stays as it is. True unless an error occurred (a column the list does not have); the error
// is shown in a message box only when showErrors is set.
bool EnhListView_SortColumns(ui::ListView& listView, int columnIndex, bool showErrors);

} // namespace modListViewEnh
