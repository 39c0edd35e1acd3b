// "Delete Failed": the files a removal run could not delete. Loaded hidden at start-up, shown
// by a run in which a file survived, hidden again by "Ok"; modeless.
#pragma once

#include "Controls.h"
#include "Form.h"

class frmDelete : public ui::Form {
  public:
    frmDelete();

    void Command1_Click();
    void Command2_Click();

    ui::Label Label1{"Label1"}, Label2{"Label2"};
    ui::ListView lstProblem{"lstProblem", {"Location"}};
    ui::Button Command1{"Command1"}, Command2{"Command2"};
};

// The one delete-failed window.
frmDelete& DeleteFailedWindow();
