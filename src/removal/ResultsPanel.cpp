// The results page's commands besides the removal run: Browse, Exclude, Select All, the tick
// mirroring, and the Quarantine menu.
#include "ResultsPanel.h"

#include "BusyState.h"
#include "DebugTestFiles.h"
#include "Exclusions.h"
#include "FrmMain.h"
#include "MessageBox.h"
#include "RemovalItems.h"
#include "ShellLaunch.h"
#include "TextRules.h"
#include "clsLanguages.h"
#include "frmDelete.h"
#include "modFileRelated.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <windows.h>

ResultsPanel& MainResultsPanel() {
    static ResultsPanel panel(MainWindow(), DeleteFailedWindow());
    return panel;
}

ResultsPanel::ResultsPanel(FrmMain& form, frmDelete& deleteFailed)
    : form_(form), deleteFailed_(deleteFailed) {}

void ResultsPanel::Connect() {
    // The user's commands start nothing while a scan or a removal runs; the scan driver's
    // automatic removal calls the handlers themselves.
    auto whenIdle = [this](void (ResultsPanel::*handler)()) {
        return [this, handler] {
            if (!BusyState::IsBusy())
                (this->*handler)();
        };
    };
    form_.Command4.Click = whenIdle(&ResultsPanel::Command4_Click);
    form_.lblRemove.Click = whenIdle(&ResultsPanel::lblRemove_Click);
    form_.cmdBrowse.Click = [this] { cmdBrowse_Click(); };
    form_.cmdExclude.Click = whenIdle(&ResultsPanel::cmdExclude_Click);
    form_.cmdSelectAll.Click = whenIdle(&ResultsPanel::cmdSelectAll_Click);
    form_.lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.ItemCheck = [this](ui::ListItem& row) {
        // A tick while the lists are being filled or removed from is taken back.
        if (BusyState::IsBusy()) {
            row.Checked = !row.Checked;
            return;
        }
        lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ItemCheck(row);
    };
    form_.Links.RunRemoval = [this] { Command4_Click(); };
    form_.Links.SelectAllResults = [this] { cmdSelectAll_Click(); };
    form_.Links.ClearDeleteFailedList = [this] {
        deleteFailed_.Hide();
        deleteFailed_.lstProblem.Clear();
    };
    form_.Links.LoadDeleteFailedWindow = [this] {
        deleteFailed_.Load();
        deleteFailed_.Hide();
    };
    form_.Links.QuarantineMenuItem = [this](int index) { mnuQuarItem_Click(index); };
    modFileRelated::ConnectRegistryJournal();
}

void ResultsPanel::cmdBrowse_Click() {
    static const char kManyWindows[] =
        "You have selected to browse more than 5 items at a time.  This can slow down your "
        "computer.  Are you sure you want to continue?";
    const ui::ListView& results = form_.lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    const size_t rowCount = results.Count();
    int opened = 0;
    bool asked = false;
    for (size_t i = 0; i < rowCount && i < results.Count(); ++i) {
        const ui::ListItem& row = results.Item(i);
        // A registry location is no place Explorer can show.
        if (!row.Checked || row.SmallIcon == ItemRegistry)
            continue;
        // Explorer shows the item in its folder; given the file itself it would run it.
        ShellLaunch::Start("explorer.exe", "/select," + ShellLaunch::Quoted(row.SubItem(1)),
                           SW_SHOWMINIMIZED);
        ++opened;
        if (opened >= 6 && !asked) {
            if (ui::MsgBox(kManyWindows, MB_OKCANCEL) == IDCANCEL)
                break;
            asked = true;
        }
    }
}

void ResultsPanel::cmdExclude_Click() {
    // Busy across its boxes: a scheduled scan falling due while one is open waits instead of
    // clearing the rows being excluded.
    BusyState::Operation busy;
    ScanResultLists& lists = form_.lists;
    ui::ListView& results = lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    if (results.Count() == 0 && lists.lvwRegistryToBeDeleted.Count() == 0 &&
        lists.lvwSpywareFound.Count() == 0) {
        ui::MsgBox(Lang.getMessages("MSG_SORRY"), MB_ICONINFORMATION);
        return;
    }
    const std::string question = Lang.getMessages("MSG_EXC_SURE1") + "\r\n\r\n" +
                                 Lang.getMessages("MSG_EXC_SURE2") + "\r\n\r\n" +
                                 Lang.getMessages("MSG_EXC_SURE3");
    // A close asked for while the question was open ends the program instead.
    if (ui::MsgBox(question, MB_YESNO, Lang.getMessages("MSG_EXC_SURE4")) != IDYES ||
        BusyState::StopRequested())
        return;
    for (size_t i = 0; i < results.Count(); ++i) {
        ui::ListItem& row = results.Item(i);
        if (!row.Checked)
            continue;
        const std::string location = row.SubItem(1);
        if (!modGlobals::AddExclusion(location) ||
            !modGlobals::AddExclusion(TextRules::Replace(row.Text, "Cookie: ", ""))) {
            // The list is stored in the ANSI code page; an item it cannot hold exactly would
            // never match again, so it stays offered for removal. Unticked before the box, so
            // that no row is held across it.
            row.Checked = false;
            lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ItemCheck(row);
            ui::MsgBox("This item cannot be excluded, because its name holds characters that the "
                       "exclusion list cannot store:\r\n\r\n" +
                           location,
                       MB_ICONEXCLAMATION);
        }
    }
    RemoveCheckedFiles();
    RemoveCheckedRegistry();
    RemoveCheckedSpyware();
    RemoveCheckedCookies();
    form_.lblDeletingCaption.Caption = "";
    RemoveCheckedResults();
}

void ResultsPanel::cmdSelectAll_Click() {
    ui::ListView& results = form_.lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    for (size_t i = 0; i < results.Count(); ++i) {
        ui::ListItem& row = results.Item(i);
        if (row.Checked)
            continue;
        row.Checked = true;
        lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ItemCheck(row);
    }
}

void ResultsPanel::lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ItemCheck(
    const ui::ListItem& item) {
    ui::ListView* list = RemovalList(form_.lists, item.SmallIcon);
    if (!list)
        return;
    for (size_t i = 0; i < list->Count(); ++i)
        if (RemovalItemOf(form_.lists, *list, list->Items()[i]) == item.Tag)
            list->Item(i).Checked = item.Checked;
}

void ResultsPanel::mnuQuarItem_Click(int index) {
    switch (index) {
    case 0:
        modFileRelated::CreateQuarantineFolder();
        ShellLaunch::Start("explorer.exe",
                           ShellLaunch::QuotedFolder(modFileRelated::QuarantineFolder()),
                           SW_SHOWNORMAL);
        break;
    case 1: {
        const std::string exclusions = modGlobals::DataFile(modGlobals::kExclusionFile);
        if (xfileExists::FileExists(exclusions))
            ShellLaunch::Start("notepad.exe", ShellLaunch::Quoted(exclusions), SW_SHOWNORMAL);
        else
            ui::MsgBox(Lang.getMessages("MSG_EXCLUDE1"), MB_OK, Lang.getMessages("MSG_EXCLUDE2"));
        break;
    }
    case 2:
        DebugTestFiles::LoadTestFileList();
        DebugTestFiles::GenerateTestFiles();
        break;
    case 3:
        DebugTestFiles::LoadTestFileList();
        DebugTestFiles::ShowRemainingTestFiles();
        break;
    default:
        break;
    }
}
