// The progress window of a live update: a status box that the client and the parser write
// into, two pictures shown in turn and a cycling line of messages. While it is loaded it has an
// icon of its own in the notification area; a double-click on the icon brings it back.
#pragma once

#include "Controls.h"
#include "Form.h"

#include <cstdint>
#include <string>

class clsTray;

class frmDownload : public ui::Form {
  public:
    explicit frmDownload(clsTray& tray);

    void Form_Load() override;
    void Form_Unload(bool& cancel) override;
    void tmrBlink_Timer();
    // A mouse message on the window's notification-area icon: a left double-click restores it.
    void TrayIcon_MouseMessage(unsigned mouseMessage);
    // "Cancel": the window goes; the update itself goes on.
    void Command1_Click();

    // Writes a status text. A window the user cancelled is loaded again, hidden, to take it.
    void ShowStatus(const std::string& text);

    // The messages' step, from 0 at each load.
    int32_t StepCounter() const { return step_; }

    ui::TextBox txtStatus{"txtStatus"};
    ui::Label lblProduct{"lblProduct"}, lblStatus{"lblStatus"};
    ui::Label picUp{"picUp"}, picDown{"picDown"};
    ui::Button Command1{"Command1"};
    ui::Timer tmrBlink{"tmrBlink", 800};

  private:
    clsTray& tray_;
    int32_t step_ = 0;
};

// The one progress window.
frmDownload& DownloadWindow();
