#include "MessageBox.h"

#include "AnsiText.h"
#include "modLorvane.h"

#include <windows.h>

namespace ui {

namespace {

HWND owner = nullptr;

int ShowRealMessageBox(const MessageBoxRequest& request) {
    return MessageBoxW(owner, Utf8ToWide(request.prompt).c_str(), Utf8ToWide(request.title).c_str(),
                       request.style);
}

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler = ShowRealMessageBox;
    return handler;
}

} // namespace

int MsgBox(const std::string& prompt, unsigned style, const std::string& title) {
    return Handler()({prompt, style, title.empty() ? modLorvane::ProgramName : title});
}

void SetMessageBoxOwner(void* ownerWindow) {
    owner = static_cast<HWND>(ownerWindow);
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
    Handler() = handler ? std::move(handler) : MessageBoxHandler(ShowRealMessageBox);
}

} // namespace ui
