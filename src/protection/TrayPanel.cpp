#include "TrayPanel.h"

#include "FrmMain.h"
#include "SettingsStore.h"
#include "clsTray.h"
#include "frmMenuPopUp.h"
#include "modLorvane.h"

TrayMouseAction TrayMouseActionOf(unsigned mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        return TrayMouseAction::OpenPopup;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        return TrayMouseAction::RestoreWindow;
    default:
        return TrayMouseAction::None;
    }
}

TrayPanel& MainTrayPanel() {
    static TrayPanel panel(MainWindow(), MenuPopUpWindow(), Tray());
    return panel;
}

TrayPanel::TrayPanel(FrmMain& form, frmMenuPopUp& popup, clsTray& tray)
    : form_(form), popup_(popup), tray_(tray) {}

void TrayPanel::Connect() {
    form_.Links.SendToTray = [this] { Command5_Click(); };
    form_.Links.RemoveTrayIcon = [this] { tray_.RemoveIcon(form_); };
    form_.SetOwnMessageHandler(kTrayCallbackMessage, [this](uintptr_t, intptr_t lParam) {
        TrayIcon_MouseMessage(static_cast<unsigned>(lParam));
    });
    form_.SetRegisteredMessageHandler(kTaskbarCreatedMessage,
                                      [this](uintptr_t, intptr_t) { TaskbarCreated(); });
}

void TrayPanel::Command5_Click() {
    form_.SetWindowState(ui::vbMinimized);
    if (!tray_.ShowIcon(form_)) {
        form_.SetWindowState(ui::vbNormal);
        form_.Show();
        return;
    }
    form_.Hide();
    // The popup's first reference loads it, and it slides in.
    if (!popup_.Loaded())
        popup_.Load();
    popup_.mnuMaxmimaize.Enabled = true;
    tray_.ChangeToolTip(form_, modLorvane::ProgramName);
    SaveProgramSetting("Settings", "Minimized", "Yes");
}

void TrayPanel::TrayIcon_MouseMessage(unsigned mouseMessage) {
    switch (TrayMouseActionOf(mouseMessage)) {
    case TrayMouseAction::OpenPopup:
        popup_.Show();
        break;
    case TrayMouseAction::RestoreWindow:
        form_.SetWindowState(ui::vbNormal);
        form_.Show();
        // Hiding loads a popup that is not there yet; its next slide tick shows it again.
        if (!popup_.Loaded())
            popup_.Load();
        popup_.Hide();
        break;
    case TrayMouseAction::None:
        break;
    }
}

void TrayPanel::TaskbarCreated() {
    // Nothing else could bring it back.
    if (!tray_.ShowIconAgain(form_) && !form_.Visible()) {
        form_.SetWindowState(ui::vbNormal);
        form_.Show();
    }
}
