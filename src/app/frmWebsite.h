// The website window: never shown, it hands the product's website to the user's browser when it
// loads and unloads itself a second later. While it is loaded a second request opens nothing.
#pragma once

#include "Controls.h"
#include "Form.h"

#include <functional>

class frmWebsite : public ui::Form {
  public:
    frmWebsite();

    void Form_Load() override;
    void Timer1_Timer();

    ui::Timer Timer1{"Timer1", 1000, true};

    // Reads the application identity anew, so the address follows the version information.
    std::function<void()> RefreshIdentity;
};

// The one website window.
frmWebsite& WebsiteWindow();

// cmdWebsite_Click and the About box's lblWebsite_Click: the website, opened once per second
// at most.
void OpenWebsite();
