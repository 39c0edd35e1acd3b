// The platform's own cost of the main window's timers: a bare window whose timers tick at the
// given intervals and do nothing. tools/bench-idle compares the idle program with it.
//   idle_floor.exe [--hidden] INTERVAL_MS...

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <cwchar>

namespace {

LRESULT CALLBACK FloorWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER)
        return 0;
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return 2;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FloorWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"IdleFloor";
    if (!RegisterClassExW(&wc))
        return 1;
    HWND hwnd =
        CreateWindowExW(0, wc.lpszClassName, L"Idle floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 640, 480, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd)
        return 1;
    bool shown = true;
    UINT_PTR id = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--hidden") == 0)
            shown = false;
        else if (const long interval = std::wcstol(argv[i], nullptr, 10); interval > 0)
            SetTimer(hwnd, id++, static_cast<UINT>(interval), nullptr);
    }
    LocalFree(argv);
    if (shown)
        ShowWindow(hwnd, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
