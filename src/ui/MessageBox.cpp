#include "MessageBox.h"

#include "AnsiText.h"
#include "Form.h"
#include "modLorvane.h"

#include <windows.h>

namespace ui {

namespace {

HWND owner = nullptr;

int ShowRealMessageBox(const MessageBoxRequest& request) {
    // The box waits for the user: the windows behind it show what led to it.
    RefreshLoadedForms();
    return MessageBoxW(owner, Utf8ToWide(request.prompt).c_str(), Utf8ToWide(request.title).c_str(),
                       request.style);
}

MessageBoxHandler& BoxHandler() {
    static MessageBoxHandler handler = ShowRealMessageBox;
    return handler;
}

} // namespace

int MsgBox(const std::string& prompt, unsigned style, const std::string& title) {
    return BoxHandler()({prompt, style, title.empty() ? modLorvane::ProgramName : title});
}

void SetMessageBoxOwner(void* ownerWindow) {
    owner = static_cast<HWND>(ownerWindow);
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
    BoxHandler() = handler ? std::move(handler) : MessageBoxHandler(ShowRealMessageBox);
}

} // namespace ui
