#include "frmHomePageChangedAlert.h"

#include "ModSetHomePage.h"
#include "modLorvane.h"

frmHomePageChangedAlert& HomePageChangedAlertWindow() {
    static frmHomePageChangedAlert window;
    return window;
}

frmHomePageChangedAlert::frmHomePageChangedAlert() : ui::Form("frmHomePageChangedAlert") {
    BorderStyle = ui::FormBorder::Fixed;
    Width = 6600;
    Height = 4140;
    lblHomePageInfo.Move(240, 240, 6000, 2640);
    cmdYes.Caption = "Yes";
    cmdYes.Move(1800, 3000, 1320, 420);
    cmdNO.Caption = "No";
    cmdNO.Move(3360, 3000, 1320, 420);
    lblFrmHomePageProductName.Move(240, 3000, 1320, 300);
    lblFrmHomePageProductName.Visible = false;
    for (ui::Control* control : std::initializer_list<ui::Control*>{
             &lblHomePageInfo, &cmdYes, &cmdNO, &lblFrmHomePageProductName})
        Add(*control);
    cmdYes.Click = [this] { cmdYes_Click(); };
    cmdNO.Click = [this] { cmdNO_Click(); };
}

void frmHomePageChangedAlert::Form_Load() {
    Caption = modLorvane::ProgramName;
    lblFrmHomePageProductName.Caption = modLorvane::ProgramName;
}

void frmHomePageChangedAlert::cmdYes_Click() {
    ModSetHomePage::RestoreHomePage();
    Unload();
}

void frmHomePageChangedAlert::cmdNO_Click() {
    ModSetHomePage::AcceptHomePage();
    Unload();
}
