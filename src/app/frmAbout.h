// The About box: product, version, owner and website from the application identity. Loaded by
// the About menu and kept until the main window unloads it.
#pragma once

#include "Controls.h"
#include "Form.h"

class frmAbout : public ui::Form {
  public:
    frmAbout();

    void Form_Load() override;
    void lblWebsite_Click();

    ui::Label Picture1{"Picture1"};
    ui::Label Label1{"Label1"}, Label2{"Label2"}, Label3{"Label3"}, Label4{"Label4"};
    ui::Label lblVersion{"lblVersion"}, lblCompany{"lblCompany"}, lblWebsite{"lblWebsite"};
    ui::Label Label5{"Label5"};
};

// The one About box.
frmAbout& AboutWindow();
