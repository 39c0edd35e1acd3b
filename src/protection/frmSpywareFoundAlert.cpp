#include <windows.h>

#include "frmSpywareFoundAlert.h"

#include "Exclusions.h"
#include "MessageBox.h"
#include "TextRules.h"
#include "clsLanguages.h"
#include "modLorvane.h"

namespace {

// True when a request to end the program waits in the queue.
bool QuitPending() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
}

} // namespace

frmSpywareFoundAlert& SpywareFoundAlertWindow() {
    static frmSpywareFoundAlert window;
    return window;
}

frmSpywareFoundAlert::frmSpywareFoundAlert() : ui::Form("frmSpywareFoundAlert") {
    BorderStyle = ui::FormBorder::Fixed;
    Width = 6300;
    Height = 4020;
    struct Place {
        ui::Label* label;
        const char* caption;
        int left, top, width, height;
    };
    for (const Place& place :
         {Place{&lblProductName, "Malicious Program Found", 240, 180, 5700, 300},
          Place{&Label1, "Spyware/Adware has been detected.", 240, 540, 5700, 300},
          Place{&SkinLabel4, "File Name:", 240, 1020, 1500, 300},
          Place{&lblAlertFileName, "Unknown Executable", 1800, 1020, 4140, 300},
          Place{&SkinLabel5, "Company Name:", 240, 1380, 1500, 300},
          Place{&lblAlertCompanyName, "Unknown Company", 1800, 1380, 4140, 600},
          Place{&SkinLabel2, "Click STOP to stop it from running.", 240, 2100, 5700, 300},
          Place{&SkinLabel3, "Click ALLOW to allow the program to run.", 240, 2400, 5700, 300}}) {
        place.label->Caption = place.caption;
        place.label->Move(place.left, place.top, place.width, place.height);
        Add(*place.label);
    }
    lblProductName.FontBold = true;
    lblAlertFileName.FontBold = true;
    cmdYes.Caption = "STOP";
    cmdYes.Move(1500, 2940, 1440, 420);
    cmdNO.Caption = "ALLOW";
    cmdNO.Move(3180, 2940, 1440, 420);
    Add(cmdYes);
    Add(cmdNO);
    Add(tmrBlink);
    cmdYes.Click = [this] { cmdYes_Click(); };
    cmdNO.Click = [this] { cmdNO_Click(); };
}

void frmSpywareFoundAlert::Form_Load() {
    Caption = modLorvane::ProgramName + " - Alert";
    tmrBlink.Enabled = true;
}

void frmSpywareFoundAlert::Form_Unload(bool&) {
    // However the window goes, the scanner stops waiting for it.
    ModMemoryItemsInspected::AlertAnswered = true;
    matched_.Release();
    waiting_.reset();
}

void frmSpywareFoundAlert::ShowAlert(const ModMemoryItemsInspected::RunningProcessAlert& alert) {
    // The program is ending: no new alert, and one still up goes unanswered.
    if (QuitPending()) {
        Unload();
        ModMemoryItemsInspected::AlertAnswered = true;
        return;
    }
    lblAlertCompanyName.Caption = alert.lblAlertCompanyName;
    lblAlertFileName.Caption = alert.lblAlertFileName;
    cmdYes.Enabled = true;
    matched_.Hold(alert.processId, alert.lblAlertFileName);
    if (!Load()) {
        // With no window to answer, the match goes unanswered rather than waited for.
        matched_.Release();
        ModMemoryItemsInspected::AlertAnswered = true;
        return;
    }
    // A close of the program is no answer: it ends the wait.
    waiting_.emplace([this] { Dismiss(); });
    Show();
}

void frmSpywareFoundAlert::Dismiss() {
    if (waiting_)
        Unload();
}

void frmSpywareFoundAlert::cmdYes_Click() {
    cmdYes.Enabled = false;
    ModMemoryItemsInspected::AlertAnswered = true;
    if (!matched_.Stop())
        ui::MsgBox(TextRules::ToUpper(TextRules::Trim(lblAlertFileName.Caption)) + " " +
                       Lang.getMessages("MSG_ERROR_STOPPED"),
                   MB_ICONINFORMATION | MB_OK, modLorvane::ProgramName);
    Unload();
}

void frmSpywareFoundAlert::cmdNO_Click() {
    ModMemoryItemsInspected::AlertAnswered = true;
    const std::string fileName = TextRules::Trim(lblAlertFileName.Caption);
    // Adding reloads the exclusion list, so the next pass lists the program as excluded.
    if (!modGlobals::AddExclusion(fileName))
        ui::MsgBox(fileName +
                       " could not be added to the exclusion list, so it will be reported again.",
                   MB_ICONEXCLAMATION | MB_OK, modLorvane::ProgramName);
    Unload();
}
