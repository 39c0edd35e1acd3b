// The closing notice of a live update: it slides up from the taskbar at the bottom right of the
// screen with the outcome, rests about seven seconds and slides back down; OK closes it at
// once. Its position values are in twips.
#pragma once

#include "Controls.h"
#include "SlidingPopup.h"

#include <cstdint>
#include <functional>

class clsTray;
class frmDownload;

class frmSignatureUpdated : public SlidingPopup {
  public:
    frmSignatureUpdated(clsTray& tray, frmDownload& download);

    void Form_Load() override;
    // Closed by the user (Alt+F4), the notice is done with as by OK.
    void Form_QueryUnload(bool& cancel, int unloadMode) override;
    void tmrPopupSignatureUpdate_Timer();
    void tmrEnablePopDownTimer_Timer();
    void tmrPopDown_Timer();
    void cmdUpdateSuccesfullOK_Click();

    ui::Label Label1{"Label1"}, lblUpdateInfo{"lblUpdateInfo"}, SkinLabel1{"SkinLabel1"};
    ui::Button cmdUpdateSuccesfullOK{"cmdUpdateSuccesfullOK"};
    ui::Timer tmrPopupSignatureUpdate{"tmrPopupSignatureUpdate", 10},
        tmrEnablePopDownTimer{"tmrEnablePopDownTimer", 7000}, tmrPopDown{"tmrPopDown", 10};

  private:
    // What OK and a close by the user share.
    void Finish();

    clsTray& tray_;
    frmDownload& download_;
};

// The one definitions-updated notice.
frmSignatureUpdated& SignatureUpdatedWindow();
