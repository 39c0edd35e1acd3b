#include <windows.h>

#include "InputBox.h"

#include "modLorvane.h"

namespace ui {

namespace {

constexpr int kEnter = 13, kEscape = 27;

std::string AskWithWindow(const InputBoxRequest& request) {
    frmInputBox box;
    box.Open(request);
    return box.WaitForAnswer();
}

InputBoxHandler& AnswerHandler() {
    static InputBoxHandler handler = AskWithWindow;
    return handler;
}

} // namespace

std::string InputBox(const std::string& prompt, const std::string& title,
                     const std::string& defaultText) {
    return AnswerHandler()({prompt, title.empty() ? modLorvane::ProgramName : title, defaultText});
}

void SetInputBoxHandler(InputBoxHandler handler) {
    AnswerHandler() = handler ? std::move(handler) : InputBoxHandler(AskWithWindow);
}

frmInputBox::frmInputBox() : Form("frmInputBox") {
    BorderStyle = FormBorder::Fixed;
    Width = 6360;
    Height = 3000;
    // The prompt wraps beside the buttons, room for some ten lines; the answer runs below.
    lblPrompt.Move(120, 120, 4800, 1800);
    cmdOK.Caption = "OK";
    cmdOK.Move(5040, 120, 1080, 375);
    cmdCancel.Caption = "Cancel";
    cmdCancel.Move(5040, 600, 1080, 375);
    txtAnswer.Move(120, 2040, 6000, 330);
    // The text box first, so that Tab goes on to OK and Cancel.
    for (Control* control : {static_cast<Control*>(&txtAnswer), static_cast<Control*>(&cmdOK),
                             static_cast<Control*>(&cmdCancel), static_cast<Control*>(&lblPrompt)})
        Add(*control);
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    txtAnswer.KeyPress = [this](int& keyAscii) { txtAnswer_KeyPress(keyAscii); };
}

void frmInputBox::Open(const InputBoxRequest& request) {
    Caption = request.title;
    lblPrompt.Caption = request.prompt;
    txtAnswer.SetText(request.defaultText);
    accepted_ = false;
    CenterOnScreen();
    Show();
    if (HWND text = ControlHandle(txtAnswer)) {
        SetFocus(text);
        SendMessageW(text, EM_SETSEL, 0, -1);
    }
}

std::string frmInputBox::WaitForAnswer() {
    if (Visible())
        ShowModal();
    Unload();
    return accepted_ ? txtAnswer.Text() : std::string();
}

void frmInputBox::cmdOK_Click() {
    accepted_ = true;
    Hide();
}

void frmInputBox::cmdCancel_Click() {
    accepted_ = false;
    Hide();
}

void frmInputBox::txtAnswer_KeyPress(int& keyAscii) {
    if (keyAscii == kEnter) {
        keyAscii = 0;
        cmdOK_Click();
    } else if (keyAscii == kEscape) {
        keyAscii = 0;
        cmdCancel_Click();
    }
}

} // namespace ui
