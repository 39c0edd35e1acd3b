// The main window in the notification area: "Minimize" sends it there, and its icon's mouse
// messages open the tray popup or bring the window back.
#pragma once

class FrmMain;
class clsTray;
class frmMenuPopUp;

// What a mouse message on the main window's icon does.
enum class TrayMouseAction { None, OpenPopup, RestoreWindow };

// Button-downs open the popup, double-clicks restore; moves, button-ups and the middle button
// do nothing.
TrayMouseAction TrayMouseActionOf(unsigned mouseMessage);

class TrayPanel {
  public:
    TrayPanel(FrmMain& form, frmMenuPopUp& popup, clsTray& tray);

    // Fills the main window's tray links and takes its icon's messages.
    void Connect();

    // "Minimize": the window goes to the tray. When the icon cannot be added the window stays,
    // as nothing could bring it back.
    void Command5_Click();
    // A mouse message on the main window's icon.
    void TrayIcon_MouseMessage(unsigned mouseMessage);
    // The shell made its taskbar anew: the main window's icon, when it has one, is added again.
    // When the new taskbar does not take it, a window hidden in the tray comes back.
    void TaskbarCreated();

  private:
    FrmMain& form_;
    frmMenuPopUp& popup_;
    clsTray& tray_;
};

// The main window's tray panel.
TrayPanel& MainTrayPanel();
