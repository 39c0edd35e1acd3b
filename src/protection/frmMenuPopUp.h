// The tray popup: a small window that slides up from the taskbar at the bottom right of the
// screen, offers "Show Program", "Exit Program" and "Close This Menu", and slides back down and
// unloads after six idle seconds. Its position values are in twips.
#pragma once

#include "Controls.h"
#include "Form.h"

#include <cstdint>
#include <functional>

class FrmMain;
class clsTray;

// What the popup's placement reads from the screen: client rectangles in pixels, the screen's
// height in twips.
struct PopupScreen {
    int taskbarBottom = 0;
    int desktopRight = 0;
    int desktopBottom = 0;
    int screenHeight = 0;
};

// The taskbar's and the desktop's client rectangles, and the screen at 15 twips to a pixel.
PopupScreen ReadPopupScreen();

class frmMenuPopUp : public ui::Form {
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

    // Replaced in tests, so the slide runs on a screen of known size.
    std::function<PopupScreen()> Screen = ReadPopupScreen;

    int32_t IdleTicks() const { return idleTicks_; }
    int32_t TargetTop() const { return targetTop_; }

    ui::Label lblName{"lblName"};
    ui::Label mnuMaxmimaize{"mnuMaxmimaize"}, mnuClose{"mnuClose"}, lblMenuClose{"lblMenuClose"};
    ui::Timer tmrMenuPopup{"tmrMenuPopup", 1}, TmrEnablePopDown{"TmrEnablePopDown", 1000},
        tmrPopDown{"tmrPopDown", 10};

  private:
    // Starts at the taskbar's upper edge, aiming at a rest just above it.
    void PlaceAboveTaskbar();
    // The slide timers show the popup on every tick, also after it was hidden.
    void MakeVisible();

    FrmMain& main_;
    clsTray& tray_;
    int32_t idleTicks_ = 0;
    int16_t stepFactor_ = 1;
    int32_t targetTop_ = 0;
    int32_t left_ = 0;
    int32_t taskbarHeight_ = 0;
    int32_t desktopHeight_ = 0;
};

// The one tray popup of the main window.
frmMenuPopUp& MenuPopUpWindow();
