// The report window: the last scan report, read whole from "Scan_Log.txt" each time the window
// loads. Shown modally; OK unloads it, so every opening reads the file anew.
#pragma once

#include "Controls.h"
#include "Form.h"

class frmReport : public ui::Form {
  public:
    frmReport();

    void Form_Load() override;
    void cmdOk_Click();

    ui::TextBox txtReport{"txtReport"};
    ui::Button cmdOk{"cmdOk"};
};

// The one report window.
frmReport& ReportWindow();
