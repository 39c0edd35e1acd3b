#include "SlidingPopup.h"

#include <windows.h>

namespace {

// The program's pixel-to-twip factors for the slide-in windows.
constexpr double kTwipsPerPixelY = 14.5, kTwipsPerPixelX = 14.7;

} // namespace

PopupScreen ReadPopupScreen() {
    PopupScreen screen;
    RECT taskbar{}, desktop{};
    if (HWND bar = FindWindowW(L"shell_TrayWnd", L""))
        GetClientRect(bar, &taskbar);
    GetClientRect(GetDesktopWindow(), &desktop);
    screen.taskbarBottom = taskbar.bottom;
    screen.desktopRight = desktop.right;
    screen.desktopBottom = desktop.bottom;
    screen.screenHeight = GetSystemMetrics(SM_CYSCREEN) * 15;
    return screen;
}

void SlidingPopup::PlaceAboveTaskbar() {
    const PopupScreen screen = Screen();
    const auto taskbarHeight = static_cast<int32_t>(kTwipsPerPixelY * screen.taskbarBottom);
    const auto desktopHeight = static_cast<int32_t>(kTwipsPerPixelY * screen.desktopBottom);
    Top = desktopHeight - taskbarHeight;
    RECT inner{};
    GetClientRect(Handle(), &inner);
    Left = static_cast<int32_t>((screen.desktopRight - inner.right) * kTwipsPerPixelX);
    targetTop_ = desktopHeight - (Height + 100);
    MakeVisible();
}

void SlidingPopup::MakeVisible() {
    if (!Visible())
        Show();
}

bool SlidingPopup::SlideIn(int step) {
    MakeVisible();
    if (Top <= targetTop_)
        return true;
    Top -= step;
    return false;
}
