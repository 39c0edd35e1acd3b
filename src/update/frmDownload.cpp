#include "frmDownload.h"

#include "clsLanguages.h"
#include "clsTray.h"
#include "modIcon.h"
#include "modLorvane.h"
#include "modSkin.h"

#include <windows.h>

frmDownload& DownloadWindow() {
    static frmDownload window(Tray());
    return window;
}

frmDownload::frmDownload(clsTray& tray) : ui::Form("frmDownload"), tray_(tray) {
    BorderStyle = ui::FormBorder::Fixed;
    Width = 5760;
    Height = 2820;
    // Two arrows, up and down, stand for the request going out and the answer coming in.
    picUp.Caption = "\xE2\x96\xB2";   // U+25B2
    picDown.Caption = "\xE2\x96\xBC"; // U+25BC
    for (ui::Label* picture : {&picUp, &picDown}) {
        picture->FontBold = true;
        picture->Move(300, 300, 420, 420);
    }
    lblProduct.FontBold = true;
    lblProduct.Move(900, 300, 4500, 300);
    lblStatus.Caption = "Status:";
    lblStatus.Move(900, 720, 4500, 300);
    txtStatus.Locked = true;
    txtStatus.Move(300, 1080, 5100, 360);
    Command1.Caption = "Cancel";
    Command1.Move(3960, 1680, 1440, 420);
    for (ui::Control* control : std::initializer_list<ui::Control*>{
             &picUp, &picDown, &lblProduct, &lblStatus, &txtStatus, &Command1, &tmrBlink})
        Add(*control);
    Command1.Click = [this] { Command1_Click(); };
    tmrBlink.Tick = [this] { tmrBlink_Timer(); };
}

void frmDownload::Form_Load() {
    Caption = modLorvane::ProgramName + " Live Update";
    CenterOnScreen();
    step_ = 0;
    tmrBlink.Enabled = true;
    picDown.Visible = false;
    picUp.Visible = true;
    lblProduct.Caption = Lang.getMessages("MSG_DOWNLOADING");
    // The notification area shows the icon the window carries.
    modIcon::SetFormIcon(Handle(), "AAA", false);
    SetOwnMessageHandler(kTrayCallbackMessage, [this](uintptr_t, intptr_t lParam) {
        TrayIcon_MouseMessage(static_cast<unsigned>(lParam));
    });
    SetRegisteredMessageHandler(kTaskbarCreatedMessage,
                                [this](uintptr_t, intptr_t) { tray_.ShowIconAgain(*this); });
    tray_.RemoveIcon(*this);
    tray_.ShowIcon(*this);
    tray_.ChangeToolTip(*this, "Getting latest definitions.");
    modSkin::ApplySkin(*this);
}

void frmDownload::Form_Unload(bool&) {
    tray_.RemoveIcon(*this);
}

void frmDownload::tmrBlink_Timer() {
    if (picDown.Visible) {
        picDown.Visible = false;
        picUp.Visible = true;
        lblProduct.Caption = Lang.getMessages("MSG_CONNECTING");
    } else {
        lblProduct.Caption = Lang.getMessages("MSG_CHECKING");
        picDown.Visible = true;
        picUp.Visible = false;
    }
    if (step_ >= 15)
        step_ = 0;
    switch (step_) {
    case 0:
        lblProduct.Caption = Lang.getMessages("MSG_CONNECTING2");
        break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
        lblProduct.Caption = Lang.getMessages("MSG_SENDING");
        break;
    case 6:
        lblProduct.Caption = Lang.getMessages("MSG_SENT");
        break;
    case 8:
        lblProduct.Caption = Lang.getMessages("MSG_RECEIVING");
        break;
    default:
        break; // the picture's text stays
    }
    ++step_;
}

void frmDownload::TrayIcon_MouseMessage(unsigned mouseMessage) {
    if (!tray_.bRunningInTray || mouseMessage != WM_LBUTTONDBLCLK)
        return;
    SetWindowState(ui::vbNormal);
    Show();
    SetWindowState(ui::vbNormal);
}

void frmDownload::Command1_Click() {
    Unload();
}

void frmDownload::ShowStatus(const std::string& text) {
    if (!Loaded())
        Load();
    txtStatus.SetText(text);
}
