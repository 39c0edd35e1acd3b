#include "clsTray.h"

#include "AnsiText.h"
#include "Form.h"

#include <algorithm>

namespace {

// The icon the window shows in its title bar, which is what the notification area shows too.
HICON FormIcon(HWND window) {
    if (!window)
        return nullptr;
    for (WPARAM kind : {ICON_SMALL, ICON_BIG})
        if (auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, kind, 0)))
            return icon;
    return reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
}

} // namespace

clsTray& Tray() {
    static clsTray tray;
    return tray;
}

clsTray::clsTray()
    : NotifyIcon([](DWORD message, NOTIFYICONDATAW& record) {
          return Shell_NotifyIconW(message, &record) != FALSE;
      }) {}

void clsTray::FillTip(WCHAR* tip, const std::string& text) {
    const std::wstring wide = Utf8ToWide(text);
    size_t length = std::min(wide.size(), kTipLength - 1);
    // A character made of two units is not cut in half.
    if (length > 0 && length < wide.size() && IS_HIGH_SURROGATE(wide[length - 1]))
        --length;
    std::copy_n(wide.begin(), length, tip);
    tip[length] = L'\0';
    std::fill(tip + length + 1, tip + kTipLength, L' ');
}

void clsTray::FillRecord(ui::Form& frm, UINT callbackMessage, const std::string& tip) {
    record_.cbSize = kRecordSize;
    record_.hWnd = frm.Handle();
    record_.uID = 1;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = callbackMessage;
    record_.hIcon = FormIcon(frm.Handle());
    FillTip(record_.szTip, tip);
}

bool clsTray::ShowIcon(ui::Form& frm) {
    FillRecord(frm, kTrayCallbackMessage, frm.Caption);
    // A window restored from the tray keeps its icon, so the add finds it there already.
    bRunningInTray = NotifyIcon(NIM_ADD, record_) || NotifyIcon(NIM_MODIFY, record_);
    if (bRunningInTray)
        shown_[record_.hWnd] = record_;
    return bRunningInTray;
}

void clsTray::RemoveIcon(ui::Form& frm) {
    FillRecord(frm, 1, "");
    NotifyIcon(NIM_DELETE, record_);
    shown_.erase(record_.hWnd);
    bRunningInTray = false;
}

void clsTray::ChangeToolTip(ui::Form& frm, const std::string& text) {
    if (!bRunningInTray)
        return;
    record_.cbSize = kRecordSize;
    record_.hWnd = frm.Handle();
    FillTip(record_.szTip, text);
    NotifyIcon(NIM_MODIFY, record_);
    if (auto icon = shown_.find(record_.hWnd); icon != shown_.end())
        icon->second = record_;
}

bool clsTray::ShowIconAgain(ui::Form& frm) {
    auto icon = shown_.find(frm.Handle());
    if (icon == shown_.end())
        return true;
    // A taskbar that kept the icon takes it as a change.
    return NotifyIcon(NIM_ADD, icon->second) || NotifyIcon(NIM_MODIFY, icon->second);
}
