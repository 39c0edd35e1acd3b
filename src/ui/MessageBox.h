// The one way the program asks the user a question in a message box. Tests replace the
// handler with a script of expected answers.
#pragma once

#include <functional>
#include <string>

namespace ui {

// Button and icon flags and answers are the platform's own (MB_YESNO, IDYES, ...).
struct MessageBoxRequest {
    std::string prompt;
    unsigned style = 0;
    std::string title;
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Shows the box and returns the answer. An empty title shows the product name.
int MsgBox(const std::string& prompt, unsigned style = 0, const std::string& title = {});

// The window that owns the boxes (none by default).
void SetMessageBoxOwner(void* ownerWindow);
// Replaces how boxes are answered; an empty handler restores the real message box.
void SetMessageBoxHandler(MessageBoxHandler handler);

} // namespace ui
