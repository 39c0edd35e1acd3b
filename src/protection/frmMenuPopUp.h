// The tray popup: a small window that slides up from the taskbar at the bottom right of the
// screen, offers "Show Program", "Exit Program" and "Close This Menu", and slides back down and
// unloads after six idle seconds. Its position values are in twips.
#pragma once

#include "Controls.h"
#include "SlidingPopup.h"

#include <cstdint>
#include <functional>

class FrmMain;
class clsTray;

class frmMenuPopUp : public SlidingPopup {
  public:
    frmMenuPopUp(FrmMain& main, clsTray& tray);

    void Form_Load() override;
    // Over the popup's own surface: it stays while the mouse moves over it.
    void Form_MouseMove(int button, int shift, int x, int y) override;

    void mnuMaxmimaize_Click();
    void mnuClose_Click();
    void lblMenuClose_Click();
    void lblMenuClose_MouseMove();
    void tmrMenuPopup_Timer();
    void TmrEnablePopDown_Timer();
    void tmrPopDown_Timer();

    int32_t IdleTicks() const { return idleTicks_; }

    ui::Label lblName{"lblName"};
    ui::Label mnuMaxmimaize{"mnuMaxmimaize"}, mnuClose{"mnuClose"}, lblMenuClose{"lblMenuClose"};
    ui::Timer tmrMenuPopup{"tmrMenuPopup", 1}, TmrEnablePopDown{"TmrEnablePopDown", 1000},
        tmrPopDown{"tmrPopDown", 10};

  private:
    FrmMain& main_;
    clsTray& tray_;
    int32_t idleTicks_ = 0;
};

// The one tray popup of the main window.
frmMenuPopUp& MenuPopUpWindow();
