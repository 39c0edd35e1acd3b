// Closing the main window: the run-state values, the tray icon, the results columns and the
// window state, the secondary windows, and the end of the program.
#include "FrmMain.h"

#include "BusyState.h"
#include "SettingsStore.h"
#include "modGlobals.h"

#include <windows.h>

#include <string>

namespace {

// Unloaded by the close in this order. They belong to later parts of the program, which the
// main window reaches by name only.
constexpr const char* kSecondaryWindows[] = {
    "Form8",        "frmAbout",  "frmDownload",         "frmHomePageChangedAlert",
    "frmMenuPopUp", "frmReport", "frmSignatureUpdated", "frmSpywareFoundAlert",
    "frmHidden",    "frmDelete"};

// While the website window is showing, the program goes on until it closes.
constexpr char kWebsiteWindow[] = "frmWebsite";

} // namespace

void FrmMain::AskOperationsToStop() {
    if (!BusyState::IsBusy())
        return;
    // As Stop does: a scan, or a shield's pass over the running processes, ends at its next
    // check; the other operations end at theirs.
    modGlobals::StopScanRequested = true;
    BusyState::RequestStop();
}

bool FrmMain::CloseWhenIdle(const void* road, std::function<void()> close) {
    if (!BusyState::IsBusy())
        return false;
    AskOperationsToStop();
    BusyState::WhenIdle(road, std::move(close));
    return true;
}

void FrmMain::Form_QueryUnload(bool& cancel, int unloadMode) {
    // The session ends whether or not an operation unwinds: it is only asked to stop.
    if (unloadMode == ui::vbAppWindows) {
        AskOperationsToStop();
    } else if (CloseWhenIdle(this, [this] { Unload(); })) {
        cancel = true;
        return;
    }
    SaveProgramSetting("OptionAndSettings", "RESTART", "False");
    SaveProgramSetting("OptionAndSettings", "STATUS", "STOPPED");
    RunLink(Links.RemoveTrayIcon);
}

void FrmMain::Form_Unload(bool&) {
    const auto& columns = lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.ColumnHeaders;
    for (size_t n = 1; n <= columns.size(); ++n)
        SaveProgramSetting("Settings", "FoundCol2" + std::to_string(n),
                           std::to_string(columns[n - 1].Width));
    SaveProgramSetting("Settings", "Max", WindowState() == ui::vbMaximized ? "1" : "0");

    SetWindowState(ui::vbMinimized);
    Hide();
    for (const char* name : kSecondaryWindows)
        if (ui::Form* window = ui::LoadedForm(name))
            window->Unload();
    const ui::Form* website = ui::LoadedForm(kWebsiteWindow);
    if (website && website->Visible())
        ui::QuitWhenNoFormShown();
    else
        PostQuitMessage(0);
}

void FrmMain::lblHide_Click() {
    if (CloseWhenIdle(&lblHide, [this] { lblHide_Click(); }))
        return;
    bool cancel = false;
    Form_Unload(cancel);
}

void FrmMain::lblHide_MouseMove() {
    lblHide.FontItalic = true;
}
