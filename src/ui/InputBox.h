// The one way the program asks the user to type a line of text: a small modal window with a
// prompt, a text box, OK and Cancel. Win32 has none of its own. Tests replace the handler with
// a script of expected answers, as they do for message boxes.
#pragma once

#include "Controls.h"
#include "Form.h"

#include <functional>
#include <string>

namespace ui {

struct InputBoxRequest {
    std::string prompt;
    std::string title;
    std::string defaultText;
};

// The typed text; "" when the user cancelled.
using InputBoxHandler = std::function<std::string(const InputBoxRequest&)>;

// Shows the box and returns the text as typed (not trimmed), or "" when the user chose Cancel
// or closed the window. An empty title shows the product name.
std::string InputBox(const std::string& prompt, const std::string& title = {},
                     const std::string& defaultText = {});

// Replaces how input boxes are answered; an empty handler restores the real window.
void SetInputBoxHandler(InputBoxHandler handler);

// The window behind InputBox. Enter in the text box chooses OK and Escape chooses Cancel.
class frmInputBox : public Form {
  public:
    frmInputBox();

    // Fills the window from the request and shows it in the middle of the screen, with the
    // focus in the text box and its text selected.
    void Open(const InputBoxRequest& request);
    // Waits, letting the program's windows run, until OK, Cancel or the close box ends the
    // question; then unloads the window and returns the answer ("" unless OK).
    std::string WaitForAnswer();

    void cmdOK_Click();
    void cmdCancel_Click();
    void txtAnswer_KeyPress(int& keyAscii);

    Label lblPrompt{"lblPrompt"};
    TextBox txtAnswer{"txtAnswer"};
    Button cmdOK{"cmdOK"}, cmdCancel{"cmdCancel"};

  private:
    bool accepted_ = false;
};

} // namespace ui
