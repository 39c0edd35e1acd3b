// "Malicious Program Found": the process shield's alert for one running threat. STOP ends the
// process that matched; ALLOW adds its file name to the exclusion list. The scanner waits for
// an answer, and any other way the window goes (its close box, Alt+F4, the program ending)
// counts as no action and ends the wait as well. While it waits, the program is busy.
#pragma once

#include "BusyState.h"
#include "Controls.h"
#include "Form.h"
#include "MatchedProcess.h"
#include "ModMemoryItemsInspected.h"

#include <optional>

class frmSpywareFoundAlert : public ui::Form {
  public:
    frmSpywareFoundAlert();

    void Form_Load() override;
    void Form_Unload(bool& cancel) override;
    void cmdYes_Click();
    void cmdNO_Click();

    // Fills the window from the scanner's match and shows it without blocking.
    void ShowAlert(const ModMemoryItemsInspected::RunningProcessAlert& alert);
    // Closes an alert still waiting for its answer, as no answer.
    void Dismiss();
    bool Waiting() const { return waiting_.has_value(); }

    ui::Label lblProductName{"lblProductName"}, Label1{"Label1"}, SkinLabel4{"SkinLabel4"},
        lblAlertFileName{"lblAlertFileName"}, SkinLabel5{"SkinLabel5"},
        lblAlertCompanyName{"lblAlertCompanyName"}, SkinLabel2{"SkinLabel2"},
        SkinLabel3{"SkinLabel3"};
    ui::Button cmdYes{"cmdYes"}, cmdNO{"cmdNO"};
    // Switched on at load; nothing blinks in this build.
    ui::Timer tmrBlink{"tmrBlink", 800};

  private:
    MatchedProcess matched_;
    std::optional<BusyState::Operation> waiting_;
};

// The one process alert.
frmSpywareFoundAlert& SpywareFoundAlertWindow();
