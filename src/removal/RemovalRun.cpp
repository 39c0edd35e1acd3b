// Repair Now: the confirmation, the removal run with its two passes and restore point, and the
// pruning of the result lists afterwards.
#include "ResultsPanel.h"

#include "AnsiText.h"
#include "BusyState.h"
#include "DateText.h"
#include "DoEvents.h"
#include "FrmMain.h"
#include "MessageBox.h"
#include "ModRegistryRelated.h"
#include "PanelSwitching.h"
#include "RegistryKeyGuard.h"
#include "RemovalItems.h"
#include "SettingsStore.h"
#include "SystemRestore.h"
#include "TextRules.h"
#include "clsLanguages.h"
#include "frmDelete.h"
#include "modFileRelated.h"
#include "modGlobals.h"
#include "modLorvane.h"
#include "xfileExists.h"

#include <windows.h>

#include <limits>

using modFileRelated::RemovalFirstPass;

namespace {

// The run ignores every error: a failing item is skipped and the run goes on with the next.
template <typename Step> void IgnoringErrors(Step step) {
    try {
        step();
    } catch (...) {
    }
}

// Sees hidden and system files and folders too.
bool PathExists(const std::string& path) {
    return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool AnyTicked(const ui::ListView& list) {
    for (const ui::ListItem& row : list.Items())
        if (row.Checked)
            return true;
    return false;
}

// Removes every ticked row, keeping the order of the rest.
void PruneTicked(ui::ListView& list) {
    for (size_t i = list.Count(); i-- > 0;)
        if (list.Items()[i].Checked)
            list.Remove(i);
}

// A registry row as the removal reads it: exactly the key and value the scanner matched. A value
// is named as it was found (" " and "x " are values of their own, not the default value or
// "x"); only a whole key, found by its trimmed path, has no value name.
struct RegistryRow {
    std::string rootText, subkey, value;
    bool wholeKey;
    explicit RegistryRow(const ui::ListItem& row)
        : rootText(TextRules::Trim(row.Text)), value(row.SubItem(2)),
          wholeKey(row.SubItem(2).empty()) {
        subkey = wholeKey ? TextRules::Trim(row.SubItem(1)) : row.SubItem(1);
    }
    bool Usable() const { return !rootText.empty() && !TextRules::IsBlank(subkey); }
    int32_t Root() const { return static_cast<int32_t>(TextRules::ToLong(rootText, -1)); }
    bool Exists() const {
        return wholeKey ? ModRegistryRelated::RegistryKeyExists(Root(), subkey)
                        : ModRegistryRelated::RegistryValueExists(Root(), subkey, value);
    }
};

} // namespace

void ResultsPanel::Command4_Click() {
    ui::ListView& results = form_.lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    if (!AnyTicked(results)) {
        if (!modGlobals::AutoRemoveAfterScan)
            ui::MsgBox(Lang.getMessages("MSG_SELECTED"), MB_ICONINFORMATION | MB_OK);
        return;
    }
    std::string question = Lang.getMessages("MSG_CONFIRM1") + "\r\n\r\n" +
                           Lang.getMessages("MSG_CONFIRM2") + "\r\n\r\n" +
                           modFileRelated::QuarantineFolder();
    if (SystemRestore::SupportsSystemRestore())
        question += "\r\n\r\n" + Lang.getMessages("MSG_CONFIRM3") + "\r\n\r\n" +
                    Lang.getMessages("MSG_CONFIRM4");
    // Busy from the question on: a scheduled scan falling due while it is open waits, and cannot
    // change the lists the answer is about.
    BusyState::Operation busy;
    if (!modGlobals::AutoRemoveAfterScan &&
        (ui::MsgBox(question, MB_YESNO, Lang.getMessages("MSG_REALLY")) != IDYES ||
         BusyState::StopRequested()))
        return;
    form_.pgbDeleteSpywaresFound.Visible = true;
    form_.lblDeletingPercentageCompleted.Visible = true;
    form_.lblDeletingCaption.Visible = true;
    deleteFailed_.lstProblem.Clear();
    lblRemove_Click();
}

namespace {

// The quarantine's memory of one run, and its registry backups, last exactly as long as the run.
class RemovalRunScope {
  public:
    RemovalRunScope() { modFileRelated::BeginRemovalRun(); }
    ~RemovalRunScope() {
        RemovalFirstPass = false;
        modFileRelated::EndRemovalRun();
    }
    RemovalRunScope(const RemovalRunScope&) = delete;
    RemovalRunScope& operator=(const RemovalRunScope&) = delete;
};

} // namespace

void ResultsPanel::lblRemove_Click() {
    BusyState::Operation busy;
    RemovalRunScope run;
    FrmMain& f = form_;
    failures_ = 0;
    // Without a quarantine nothing is removed: every removal keeps a copy first.
    quarantineReady_ = modFileRelated::CreateQuarantineFolder();
    {
        modGenDec::ShieldTimersOff timersOff(f);
        IgnoringErrors([&] {
            modGenDec::ShowPanel(f, false, false, true, false);
            f.lblSweepNow.Enabled = f.lblOptions.Enabled = f.lblResult.Enabled = f.lblExit.Enabled =
                true;
            f.lblRemove.Enabled = false;
            f.pgbDeleteSpywaresFound.Visible = f.lblDeletingPercentageCompleted.Visible =
                f.lblDeletingCaption.Visible = true;

            f.lblDeletingPercentageCompleted.Caption = Lang.getMessages("MSG_INFORMATION");
            // A short pause that keeps the window responsive.
            for (int i = 0; i < 20; ++i) {
                ui::DoEvents();
                Sleep(5);
            }
            f.lblDeletingPercentageCompleted.Caption = "";
        });
        const bool restorePoint = SystemRestore::SupportsSystemRestore();
        if (restorePoint)
            IgnoringErrors([&] {
                f.lblDeletingPercentageCompleted.Caption = Lang.getMessages("MSG_RESTOREPOINT");
                ui::DoEvents();
                SystemRestore::BeginRestorePoint(modLorvane::ProgramName + " Restore Point " +
                                                     DateText::NowText(),
                                                 SystemRestore::kRestoreType);
            });
        RemovalFirstPass = true;
        IgnoringErrors([&] { RemoveSelectedItems(); });
        RemovalFirstPass = false;
        IgnoringErrors([&] { RemoveSelectedItems(); });
        if (restorePoint)
            IgnoringErrors([] { SystemRestore::EndRestorePoint(); });
        // A close stopped the run after the item in hand: the window goes, so nothing is tidied,
        // counted or sent.
        if (BusyState::StopRequested())
            return;

        IgnoringErrors([&] {
            RemoveCheckedFiles();
            RemoveCheckedRegistry();
            RemoveCheckedSpyware();
            f.lblDeletingCaption.Caption = "";
            RemoveCheckedResults();
            f.pgbDeleteSpywaresFound.SetValue(f.pgbDeleteSpywaresFound.Max());
            f.lblDeletingPercentageCompleted.Caption = "100% " + Lang.getMessages("MSG_COMPLETE");
        });
    }
    f.lblRemove.Enabled = true;
    IgnoringErrors([&] {
        AddRemovedTotal();
        if (f.chkSendData.Value() == 1)
            RunLink(f.Links.SendProcessData);
        f.UpdateStatusLabels();
    });
    f.pgbDeleteSpywaresFound.Visible = f.lblDeletingPercentageCompleted.Visible =
        f.lblDeletingCaption.Visible = false;
}

void ResultsPanel::AddRemovedTotal() {
    const ScanProgressDisplay& display = form_.display;
    int64_t total = TextRules::ToLong(GetProgramSetting("Settings", "lblDefRemoved", "0"), 0);
    for (const ui::Label* found :
         {&display.lblRemovePicSoftwareFound, &display.lbltracesFound, &display.lblSoftwareFound})
        total += TextRules::ToLong(found->Caption, 0);
    if (total > std::numeric_limits<int32_t>::max() || total < std::numeric_limits<int32_t>::min())
        return;
    SaveProgramSetting("Settings", "lblDefRemoved", std::to_string(total));
}

void ResultsPanel::RemoveSelectedItems() {
    FrmMain& f = form_;
    passFailures_ = 0;
    if (f.lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count() > 0) {
        f.lblDeletingPercentageCompleted.Visible = f.pgbDeleteSpywaresFound.Visible = true;
        f.lblDeletingPercentageCompleted.Caption = Lang.getMessages("MSG_REMOVING");
        f.pgbDeleteSpywaresFound.SetValue(0);
        f.pgbDeleteSpywaresFound.SetMax(static_cast<double>(f.lists.lvwRegistryToBeDeleted.Count() +
                                                            f.lists.lvwFilesToBeDeleted.Count()));
    }
    RemoveFiles();
    RemoveRegistryEntries();
    RemoveCookies();
    if (passFailures_ > 0) {
        deleteFailed_.Show();
        if (deleteFailed_.Handle())
            SetWindowPos(deleteFailed_.Handle(), HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void ResultsPanel::ShowRemovalProgress(size_t row, size_t rowCount, double barValue) {
    form_.pgbDeleteSpywaresFound.SetValue(barValue);
    const long percent =
        rowCount == 0 ? 0 : TextRules::RoundHalfEven(static_cast<double>(row) / rowCount * 100);
    form_.lblDeletingPercentageCompleted.Caption = Lang.getMessages("MSG_REMOVING2") + " : " +
                                                   std::to_string(percent) + "% " +
                                                   Lang.getMessages("MSG_COMPLETED");
}

void ResultsPanel::ReportFailure(ui::ListItem& removalRow, std::string location,
                                 const std::string& removalItem) {
    removalRow.Checked = false;
    ui::ListView& results = form_.lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    for (size_t i = 0; i < results.Count(); ++i) {
        if (results.Items()[i].Tag != removalItem)
            continue;
        results.Item(i).Checked = false;
        // A registry entry is listed by the location its results row shows.
        if (location.empty())
            location = results.Items()[i].SubItem(1);
    }
    deleteFailed_.lstProblem.Add(location);
    ++passFailures_;
    ++failures_;
}

void ResultsPanel::RemoveFiles() {
    ui::ListView& files = form_.lists.lvwFilesToBeDeleted;
    const size_t rowCount = files.Count();
    for (size_t i = 0; i < rowCount && i < files.Count() && !BusyState::StopRequested(); ++i) {
        const bool ticked = files.Items()[i].Checked;
        const std::string path = files.Items()[i].Text;
        if (ticked)
            IgnoringErrors([&] {
                ShowRemovalProgress(i + 1, files.Count(), static_cast<double>(i + 1));
                form_.lblDeletingCaption.Caption = TextRules::ToLower(path);
                if (!quarantineReady_)
                    return;
                const std::string extension =
                    TextRules::ToUpper(xfileExists::GetFileExtension(path));
                if (extension == "DLL" || extension == "OCX") {
                    // Unregistered there once its copy is safe, never before.
                    modFileRelated::QuarantineAndDeleteFile(path);
                    modFileRelated::QuarantineAndDeleteFolder(path);
                } else if (extension == "EXE") {
                    modFileRelated::QuarantineFile(path);
                } else {
                    modFileRelated::QuarantineAndDeleteFolder(path);
                }
            });
        // Once per row, but no more often than the window needs to answer: every pass redraws
        // the bar and the item's caption, which costs more than removing a small file.
        ui::YieldToMessageLoop();
        if (!ticked || RemovalFirstPass || i >= files.Count())
            continue;
        IgnoringErrors([&] {
            if (!PathExists(path))
                return;
            if (quarantineReady_ && TextRules::Contains(path, ".exe", TextRules::Compare::Text))
                modFileRelated::QuarantineFile(path);
            if (PathExists(path))
                ReportFailure(files.Item(i), path, path);
        });
    }
}

void ResultsPanel::RemoveRegistryEntries() {
    ui::ListView& registry = form_.lists.lvwRegistryToBeDeleted;
    const size_t rowCount = registry.Count();
    const double filesShown = static_cast<double>(form_.lists.lvwFilesToBeDeleted.Count());
    for (size_t i = 0; i < rowCount && i < registry.Count() && !BusyState::StopRequested(); ++i) {
        const bool ticked = registry.Items()[i].Checked;
        const RegistryRow entry(registry.Items()[i]);
        if (ticked)
            IgnoringErrors([&] {
                ShowRemovalProgress(i + 1, registry.Count(), filesShown + i + 1);
                form_.lblDeletingCaption.Caption = TextRules::ToLower(
                    registry.Items()[i].SubItem(1) + "\\" + registry.Items()[i].SubItem(2));
                if (!quarantineReady_ || !entry.Usable())
                    return;
                if (!entry.wholeKey) {
                    ModRegistryRelated::DeleteRegistryValue(entry.Root(), entry.subkey,
                                                            entry.value);
                    return;
                }
                // A key the system depends on is refused whole: not even its default value goes.
                if (!RegistryKeyGuard::MayDeleteKey(entry.Root(), entry.subkey))
                    return;
                // A whole key: its default value first, then the key with everything below.
                ModRegistryRelated::DeleteRegistryValue(entry.Root(), entry.subkey, "");
                ModRegistryRelated::DeleteRegistryKey(entry.Root(), entry.subkey);
            });
        ui::YieldToMessageLoop();
        if (!ticked || RemovalFirstPass || i >= registry.Count())
            continue;
        IgnoringErrors([&] {
            if (entry.Usable() && entry.Exists())
                ReportFailure(registry.Item(i), "",
                              RemovalItemOf(form_.lists, registry, registry.Items()[i]));
        });
    }
}

void ResultsPanel::RemoveCookies() {
    ui::ListView& cookies = form_.lists.lvwCookiesToDelete;
    const size_t rowCount = cookies.Count();
    for (size_t i = 0; i < rowCount && i < cookies.Count() && !BusyState::StopRequested(); ++i) {
        const bool ticked = cookies.Items()[i].Checked;
        const std::string path = cookies.Items()[i].Text;
        if (ticked)
            IgnoringErrors([&] {
                // The bar stays where the registry entries left it.
                ShowRemovalProgress(i + 1, cookies.Count(), form_.pgbDeleteSpywaresFound.Value());
                form_.lblDeletingCaption.Caption = TextRules::ToLower(path);
                if (quarantineReady_ && PathExists(path))
                    modFileRelated::QuarantineCookieFile(path);
            });
        ui::YieldToMessageLoop();
        if (ticked && !RemovalFirstPass && i < cookies.Count())
            IgnoringErrors([&] {
                if (PathExists(path))
                    ReportFailure(cookies.Item(i), path, path);
            });
    }
}

void ResultsPanel::RemoveCheckedFiles() {
    PruneTicked(form_.lists.lvwFilesToBeDeleted);
}

void ResultsPanel::RemoveCheckedCookies() {
    PruneTicked(form_.lists.lvwCookiesToDelete);
}

void ResultsPanel::RemoveCheckedRegistry() {
    PruneTicked(form_.lists.lvwRegistryToBeDeleted);
}

void ResultsPanel::RemoveCheckedSpyware() {
    PruneTicked(form_.lists.lvwSpywareFound);
}

void ResultsPanel::RemoveCheckedResults() {
    PruneTicked(form_.lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved);
}
