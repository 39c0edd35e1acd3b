#include "frmSignatureUpdated.h"

#include "ModMemoryItemsInspected.h"
#include "SettingsStore.h"
#include "clsTray.h"
#include "frmDownload.h"
#include "frmSpywareFoundAlert.h"
#include "modLorvane.h"
#include "modSkin.h"

#include <windows.h>

namespace {

constexpr int kSlideInStep = 20, kSlideOutStep = 40;
// Below this top the notice is out of sight, whatever the screen's size.
constexpr int kGoneBelowTop = 11167;

} // namespace

frmSignatureUpdated& SignatureUpdatedWindow() {
    static frmSignatureUpdated window(Tray(), DownloadWindow());
    return window;
}

frmSignatureUpdated::frmSignatureUpdated(clsTray& tray, frmDownload& download)
    : SlidingPopup("frmSignatureUpdated"), tray_(tray), download_(download) {
    BorderStyle = ui::FormBorder::None;
    ShowInTaskbar = false;
    Width = 4200;
    Height = 1980;
    Label1.Caption = "Definition Update";
    Label1.FontBold = true;
    Label1.Move(180, 150, 3840, 300);
    lblUpdateInfo.Caption = "All application spyware/adware definitions have been updated.";
    lblUpdateInfo.Move(180, 540, 3840, 720);
    // Only a skinned notice puts its labels in copies of this one.
    SkinLabel1.Visible = false;
    cmdUpdateSuccesfullOK.Caption = "OK";
    cmdUpdateSuccesfullOK.Move(2940, 1380, 1080, 420);
    for (ui::Control* control : std::initializer_list<ui::Control*>{
             &Label1, &lblUpdateInfo, &SkinLabel1, &cmdUpdateSuccesfullOK, &tmrPopupSignatureUpdate,
             &tmrEnablePopDownTimer, &tmrPopDown})
        Add(*control);
    cmdUpdateSuccesfullOK.Click = [this] { cmdUpdateSuccesfullOK_Click(); };
    tmrPopupSignatureUpdate.Tick = [this] { tmrPopupSignatureUpdate_Timer(); };
    tmrEnablePopDownTimer.Tick = [this] { tmrEnablePopDownTimer_Timer(); };
    tmrPopDown.Tick = [this] { tmrPopDown_Timer(); };
}

void frmSignatureUpdated::Form_Load() {
    Caption = modLorvane::ProgramName;
    tmrEnablePopDownTimer.Enabled = false;
    tmrPopDown.Enabled = false;
    PlaceAboveTaskbar();
    // Each notice starts the alert's answer afresh, but an alert still waiting keeps the answer
    // the user may just have given.
    if (!SpywareFoundAlertWindow().Waiting())
        ModMemoryItemsInspected::AlertAnswered = false;
    tmrPopupSignatureUpdate.Enabled = true;
    modSkin::ApplySkin(*this);
}

void frmSignatureUpdated::tmrPopupSignatureUpdate_Timer() {
    if (SlideIn(kSlideInStep)) {
        tmrPopupSignatureUpdate.Enabled = false;
        tmrEnablePopDownTimer.Enabled = true;
    }
}

void frmSignatureUpdated::tmrEnablePopDownTimer_Timer() {
    tmrEnablePopDownTimer.Enabled = false;
    tmrPopDown.Enabled = true;
}

void frmSignatureUpdated::tmrPopDown_Timer() {
    MakeVisible();
    Top += kSlideOutStep;
    if (Top > kGoneBelowTop) {
        tmrPopDown.Enabled = false;
        cmdUpdateSuccesfullOK_Click();
    }
}

void frmSignatureUpdated::Finish() {
    SaveProgramSetting("OptionAndSettings", "SHOW", "false");
    tmrPopupSignatureUpdate.Enabled = false;
    // The progress window's icon, should an update have left one.
    tray_.RemoveIcon(download_);
}

void frmSignatureUpdated::cmdUpdateSuccesfullOK_Click() {
    Finish();
    Unload();
}

void frmSignatureUpdated::Form_QueryUnload(bool&, int unloadMode) {
    if (unloadMode == ui::vbFormControlMenu)
        Finish();
}
