#include "DoEvents.h"

#include "Form.h"

#include <windows.h>

namespace ui {

void DispatchUiMessage(MSG& msg) {
    // The forms are plain windows, so the dialog manager's key handling is asked for here. It
    // acts on keys alone: the timer ticks, most of what an idle program gets, go straight on.
    const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
    if (HWND root = key && msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr) {
        wchar_t className[16] = {};
        GetClassNameW(root, className, 16);
        if (lstrcmpW(className, kFormWindowClass) == 0 && IsDialogMessageW(root, &msg))
            return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool PumpPendingMessages() {
    // What the code that pumps has changed since the last handler shows first.
    RefreshLoadedFormsInPass();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        DispatchUiMessage(msg);
    }
    return true;
}

void DoEvents() {
    PumpPendingMessages();
}

void YieldToMessageLoop() {
    static DWORD lastRun = 0;
    const DWORD now = GetTickCount();
    if (now - lastRun < 25)
        return;
    lastRun = now;
    DoEvents();
}

} // namespace ui
