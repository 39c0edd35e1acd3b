#include "DoEvents.h"

#include <windows.h>

namespace ui {

void DoEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
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
