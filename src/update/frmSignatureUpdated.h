// The closing notice of a live update: it slides up from the taskbar at the bottom right of the
// screen with the outcome, rests about seven seconds and slides back down; OK closes it at
// once. Its position values are in twips.
#pragma once

#include "Controls.h"
#include "Form.h"
#include "frmMenuPopUp.h"

#include <cstdint>
#include <functional>

class clsTray;
class frmDownload;

class frmSignatureUpdated : public ui::Form {
  public:
    frmSignatureUpdated(clsTray& tray, frmDownload& download);

    void Form_Load() override;
    // Closed by the user (Alt+F4), the notice is done with as by OK.
    void Form_QueryUnload(bool& cancel, int unloadMode) override;
    void tmrPopupSignatureUpdate_Timer();
    void tmrEnablePopDownTimer_Timer();
    void tmrPopDown_Timer();
    void cmdUpdateSuccesfullOK_Click();

    // Replaced in tests, so the slide runs on a screen of known size.
    std::function<PopupScreen()> Screen = ReadPopupScreen;
    int32_t TargetTop() const { return targetTop_; }

    ui::Label Label1{"Label1"}, lblUpdateInfo{"lblUpdateInfo"}, SkinLabel1{"SkinLabel1"};
    ui::Button cmdUpdateSuccesfullOK{"cmdUpdateSuccesfullOK"};
    ui::Timer tmrPopupSignatureUpdate{"tmrPopupSignatureUpdate", 10},
        tmrEnablePopDownTimer{"tmrEnablePopDownTimer", 7000}, tmrPopDown{"tmrPopDown", 10};

  private:
    // Starts at the taskbar's upper edge, aiming at a rest just above it.
    void PlaceAboveTaskbar();
    void MakeVisible();
    // What OK and a close by the user share.
    void Finish();

    clsTray& tray_;
    frmDownload& download_;
    int32_t targetTop_ = 0;
    int32_t taskbarHeight_ = 0;
    int32_t desktopHeight_ = 0;
    int32_t left_ = 0;
    int16_t stepFactor_ = 1;
};

// The one definitions-updated notice.
frmSignatureUpdated& SignatureUpdatedWindow();
