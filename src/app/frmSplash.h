// The start-up window: it fills the application identity, waits 75 ticks of its timer, then
// loads and shows the main window and hides itself. It stays loaded for the life of the process.
#pragma once

#include "Form.h"

#include <cstdint>

class frmSplash : public ui::Form {
  public:
    frmSplash();

    void Form_Load() override;
    void Timer2_Timer();

    ui::Label Image1{"Image1"};
    ui::Label Label3{"Label3"};
    ui::Timer Timer2{"Timer2", 2};

  private:
    int16_t counter_ = 0;
};

// The one splash window.
frmSplash& SplashWindow();
