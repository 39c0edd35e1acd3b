// The results page's commands: Repair Now with its removal run, Browse, Exclude, Select All,
// the tick mirroring into the per-kind removal lists, and the Quarantine menu. The removal run
// works from the per-kind lists; every combined row carries in its Tag the one item it stands
// for, which is how a tick, an exclusion or a failure finds exactly its own rows.
#pragma once

#include "Controls.h"

#include <string>

class FrmMain;
class frmDelete;

class ResultsPanel {
  public:
    ResultsPanel(FrmMain& form, frmDelete& deleteFailed);

    // Connects the page's controls, the Quarantine menu and the main window's removal links.
    void Connect();

    // Repair Now: the confirmation, then the run.
    void Command4_Click();
    // The removal run itself.
    void lblRemove_Click();
    // One pass over the three per-kind lists.
    void RemoveSelectedItems();
    // Each removes every ticked row of its list and keeps the order of the rest.
    void RemoveCheckedFiles();
    void RemoveCheckedCookies();
    void RemoveCheckedRegistry();
    void RemoveCheckedSpyware();
    void RemoveCheckedResults();

    void cmdBrowse_Click();
    void cmdExclude_Click();
    void cmdSelectAll_Click();
    // Gives the per-kind rows of the item the tick of its combined row.
    void lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ItemCheck(const ui::ListItem& item);
    void mnuQuarItem_Click(int index);

    // The files, folders, registry entries and cookies the last run's second pass left.
    int FailureCount() const { return failures_; }

  private:
    void RemoveFiles();
    void RemoveRegistryEntries();
    void RemoveCookies();
    void ShowRemovalProgress(size_t row, size_t rowCount, double barValue);
    // A ticked item that survived the second pass: listed, and its rows unticked so that
    // pruning keeps them.
    // An empty location is taken from the item's results row.
    void ReportFailure(ui::ListItem& removalRow, std::string location,
                       const std::string& removalItem);
    void AddRemovedTotal();

    FrmMain& form_;
    frmDelete& deleteFailed_;
    bool quarantineReady_ = false;
    int failures_ = 0;
    int passFailures_ = 0;
};

// The one results panel of the main window.
ResultsPanel& MainResultsPanel();
