// Page switching, navigation and menus of the main window.
#include "FrmMain.h"

#include "BusyState.h"
#include "DoEvents.h"
#include "PanelSwitching.h"
#include "clsLanguages.h"

void FrmMain::HideAllPanels() {
    for (ui::Control* control : std::initializer_list<ui::Control*>{
             &frmOptions, &frmScan, &frmResults, &frmStatus, &pgbDeleteSpywaresFound,
             &lblDeletingPercentageCompleted, &lblDeletingCaption})
        control->Visible = false;
}

void FrmMain::cmdStatus_Click() {
    HideAllPanels();
    frmStatus.Visible = true;
}

void FrmMain::cmdScan_Click() {
    HideAllPanels();
    frmScan.Visible = true;
}

void FrmMain::cmdSettings_Click() {
    HideAllPanels();
    frmOptions.Visible = true;
}

void FrmMain::cmdResults_Click() {
    HideAllPanels();
    frmResults.Visible = true;
    if (lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count() == 0 && chkSendData.Value() == 1)
        RunLink(Links.SendProcessData);
}

void FrmMain::cmdRemove_Click() {
    cmdResults_Click();
}

void FrmMain::Command1_Click() {
    cmdScan_Click();
}

void FrmMain::Command6_Click() {
    ScanFromStartPage(2);
}

void FrmMain::Command7_Click() {
    ScanFromStartPage(3);
}

void FrmMain::lblOptions_Click() {
    modGenDec::ShowPanel(*this, false, true, false, false);
    lblSweepNow.Enabled = lblRemove.Enabled = lblResult.Enabled = lblExit.Enabled = true;
    lblOptions.Enabled = false;
}

void FrmMain::lblResult_Click() {
    modGenDec::ShowPanel(*this, false, false, true, false);
    lblDeletingPercentageCompleted.Visible = false;
    pgbDeleteSpywaresFound.Visible = false;
    lblDeletingCaption.Visible = false;
    lblSweepNow.Enabled = lblRemove.Enabled = lblOptions.Enabled = lblExit.Enabled = true;
    lblResult.Enabled = false;
}

void FrmMain::mnuFileItem_Click(int index) {
    // The scan and update items start nothing while a long operation runs.
    if ((index == 0 || index == 4) && BusyState::IsBusy())
        return;
    switch (index) {
    case 0:
        cmdScan_Click();
        break;
    case 2:
        RunLink(Links.ViewLog);
        break;
    case 4:
        RunLink(Links.RunLiveUpdate);
        break;
    case 6:
        RunLink(Links.SendToTray);
        break;
    case 8:
        Unload();
        break;
    }
}

void FrmMain::Control_MouseDown(ui::Control& control, int button, int shift, int, int) {
    if (&control == &cmdUpdate && Links.UpdateButtonMouseDown)
        Links.UpdateButtonMouseDown(button, shift);
}

void FrmMain::Control_MouseUp(ui::Control& control, int, int, int, int) {
    if (&control == &cmdUpdate)
        RunLink(Links.UpdateButtonMouseUp);
}

void FrmMain::mnuDebugItem_Click(int index) {
    if (index >= 0 && index < 3)
        RunLink(Links.ShowDebugWindow[index]);
    // For translators: a complete English language file from the windows' current texts.
    if (index == 3)
        Lang.makeLocalizationFile();
}

void FrmMain::mnuQuarItem_Click(int index) {
    if (Links.QuarantineMenuItem)
        Links.QuarantineMenuItem(index);
}

void FrmMain::mnuHelpItem_Click() {
    RunLink(Links.ShowHelp);
}

void FrmMain::mnuAboutItem_Click() {
    RunLink(Links.ShowAbout);
}

void FrmMain::tmrScroll_Timer() {
    ui::DoEvents();
}

void FrmMain::tmrTimeOut_Timer() {}
