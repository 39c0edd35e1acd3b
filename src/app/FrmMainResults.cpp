// The results page's lists: sorting by a column and opening a found item.
#include "FrmMain.h"

#include "ShellLaunch.h"
#include "TextRules.h"
#include "modListViewEnh.h"

#include <windows.h>

void FrmMain::ListView_ColumnClick(ui::ListView& list, int column) {
    // The native header counts columns from 0, the handlers from 1.
    if (&list == &lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved)
        lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ColumnClick(column + 1);
    else if (&list == &lists.lvwSpywareFound)
        lvwSpywareFound_ColumnClick(column + 1);
}

void FrmMain::ListView_DblClick(ui::ListView& list, int selectedRow) {
    if (&list == &lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved)
        lvwPicRemoveListOfSpywareFoundAndToBeRemoved_DblClick(selectedRow);
}

void FrmMain::lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ColumnClick(int column) {
    modListViewEnh::EnhListView_SortColumns(lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved,
                                            column, false);
}

void FrmMain::lvwSpywareFound_ColumnClick(int column) {
    modListViewEnh::EnhListView_SortColumns(lists.lvwSpywareFound, column, false);
}

void FrmMain::lvwPicRemoveListOfSpywareFoundAndToBeRemoved_DblClick(int selectedRow) {
    const ui::ListView& results = lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    if (selectedRow < 0 || static_cast<size_t>(selectedRow) >= results.Count())
        return;
    const ui::ListItem& row = results.Item(static_cast<size_t>(selectedRow));
    if (row.SmallIcon == ItemRegistry) {
        ShellLaunch::Start("regedit.exe", "", SW_SHOWMINIMIZED);
        return;
    }
    // Explorer is given the folder, never the found file: opening that would run it.
    const std::string& location = row.SubItem(1);
    const size_t lastSeparator = location.rfind('\\');
    if (lastSeparator == std::string::npos)
        return;
    ShellLaunch::Start("explorer.exe", ShellLaunch::QuotedFolder(location.substr(0, lastSeparator)),
                       SW_SHOWNORMAL);
}
