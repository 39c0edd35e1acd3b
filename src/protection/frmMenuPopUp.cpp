#include "frmMenuPopUp.h"

#include "FrmMain.h"
#include "SettingsStore.h"
#include "clsTray.h"
#include "modLorvane.h"
#include "modSkin.h"

#include <windows.h>

#include <initializer_list>
#include <utility>

namespace {

constexpr int kSlideInStep = 80, kSlideOutStep = 100;
// Ticks of TmrEnablePopDown without a mouse move before the popup slides out.
constexpr int kIdleTicksBeforePopDown = 5;
// The popup is gone once its top is this far above the screen's lower edge.
constexpr int kGoneAboveBottom = 2000;

} // namespace

frmMenuPopUp& MenuPopUpWindow() {
    static frmMenuPopUp window(MainWindow(), Tray());
    return window;
}

frmMenuPopUp::frmMenuPopUp(FrmMain& main, clsTray& tray)
    : SlidingPopup("frmMenuPopUp"), main_(main), tray_(tray) {
    BorderStyle = ui::FormBorder::None;
    ShowInTaskbar = false;
    Width = 3000;
    Height = 1950;
    lblName.Move(180, 150, 2640, 300);
    lblName.FontBold = true;
    int top = 630;
    for (auto [item, caption] :
         {std::pair{&mnuMaxmimaize, "Show Program"}, std::pair{&mnuClose, "Exit Program"},
          std::pair{&lblMenuClose, "Close This Menu"}}) {
        item->Caption = caption;
        item->Move(360, top, 2460, 285);
        top += 390;
    }
    for (ui::Control* control :
         std::initializer_list<ui::Control*>{&lblName, &mnuMaxmimaize, &mnuClose, &lblMenuClose,
                                             &tmrMenuPopup, &TmrEnablePopDown, &tmrPopDown})
        Add(*control);
    mnuMaxmimaize.Click = [this] { mnuMaxmimaize_Click(); };
    mnuClose.Click = [this] { mnuClose_Click(); };
    lblMenuClose.Click = [this] { lblMenuClose_Click(); };
    lblMenuClose.MouseMove = [this] { lblMenuClose_MouseMove(); };
    tmrMenuPopup.Tick = [this] { tmrMenuPopup_Timer(); };
    TmrEnablePopDown.Tick = [this] { TmrEnablePopDown_Timer(); };
    tmrPopDown.Tick = [this] { tmrPopDown_Timer(); };
}

void frmMenuPopUp::Form_Load() {
    lblName.Caption = modLorvane::ProgramName;
    // Each load starts from the design, as a freshly loaded window does.
    lblMenuClose.FontItalic = false;
    idleTicks_ = 0;
    tmrPopDown.Enabled = false;
    TmrEnablePopDown.Enabled = false;
    mnuClose.Enabled = main_.lblResult.Enabled || main_.lblOptions.Enabled;
    mnuMaxmimaize.Enabled = !main_.Visible();
    Caption = modLorvane::ProgramName;
    PlaceAboveTaskbar();
    tmrMenuPopup.Enabled = true;
    modSkin::ApplySkin(*this);
}

void frmMenuPopUp::Form_MouseMove(int, int, int, int) {
    idleTicks_ = 0;
}

void frmMenuPopUp::mnuMaxmimaize_Click() {
    main_.SetWindowState(ui::vbNormal);
    main_.Show();
    lblMenuClose_Click();
}

void frmMenuPopUp::mnuClose_Click() {
    SaveProgramSetting("OptionAndSettings", "RESTART", "False");
    SaveProgramSetting("OptionAndSettings", "STATUS", "STOPPED");
    tray_.RemoveIcon(main_);
    main_.Unload();
    lblMenuClose_Click();
}

void frmMenuPopUp::lblMenuClose_Click() {
    TmrEnablePopDown.Enabled = false;
    tmrMenuPopup.Enabled = false;
    tmrPopDown.Enabled = true;
}

void frmMenuPopUp::lblMenuClose_MouseMove() {
    lblMenuClose.FontItalic = true;
}

void frmMenuPopUp::tmrMenuPopup_Timer() {
    if (SlideIn(kSlideInStep)) {
        tmrMenuPopup.Enabled = false;
        TmrEnablePopDown.Enabled = true;
    }
}

void frmMenuPopUp::TmrEnablePopDown_Timer() {
    if (++idleTicks_ > kIdleTicksBeforePopDown) {
        idleTicks_ = 0;
        TmrEnablePopDown.Enabled = false;
        tmrPopDown.Enabled = true;
    }
}

void frmMenuPopUp::tmrPopDown_Timer() {
    MakeVisible();
    Top += kSlideOutStep;
    if (Top > Screen().screenHeight - kGoneAboveBottom) {
        tmrPopDown.Enabled = false;
        Unload();
    }
}
