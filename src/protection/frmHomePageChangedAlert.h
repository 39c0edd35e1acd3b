// The start-page shield's question: keep the remembered start page (Yes) or take the new one
// (No). Closed any other way it changes nothing, and the question comes back at the next tick.
#pragma once

#include "Controls.h"
#include "Form.h"

class frmHomePageChangedAlert : public ui::Form {
  public:
    frmHomePageChangedAlert();

    void Form_Load() override;
    void cmdYes_Click();
    void cmdNO_Click();

    // The message; the shield fills it before it shows the window.
    ui::Label lblHomePageInfo{"lblHomePageInfo"};
    ui::Button cmdYes{"cmdYes"}, cmdNO{"cmdNO"};
    // The product name, hidden.
    ui::Label lblFrmHomePageProductName{"lblFrmHomePageProductName"};
};

// The one start-page alert.
frmHomePageChangedAlert& HomePageChangedAlertWindow();
