// The program's icons in the notification area. One object serves every window that shows an
// icon; each window has one icon, id 1, and its mouse messages come back to that window as
// kTrayCallbackMessage with the mouse message number in lParam.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <map>
#include <string>

namespace ui {
class Form;
}

// A message of the program's own, so that the icon's reports never look like the user's mouse
// moving over the window.
inline constexpr unsigned kTrayCallbackMessage = WM_APP + 1;

// The message the shell sends every top-level window when it has made its taskbar anew (as
// after Explorer restarts): the notification area is empty again.
inline constexpr char kTaskbarCreatedMessage[] = "TaskbarCreated";

class clsTray {
  public:
    // The first record layout every shell understands: a tip of 64 characters.
    static constexpr DWORD kRecordSize = NOTIFYICONDATAW_V1_SIZE;
    static constexpr size_t kTipLength = 64;

    // Asks the shell to add, change or delete an icon; replaced in tests.
    std::function<bool(DWORD message, NOTIFYICONDATAW& record)> NotifyIcon;

    clsTray();

    // Set by the last ShowIcon or RemoveIcon, whichever window it concerned.
    bool bRunningInTray = false;

    // Adds the form's icon with its caption as the tip. An icon the form already has counts
    // as shown. False when the form has no icon in the notification area afterwards.
    bool ShowIcon(ui::Form& frm);
    // Deletes the form's icon.
    void RemoveIcon(ui::Form& frm);
    // Only while bRunningInTray: the tip of the form's icon; the other fields stay as the last
    // ShowIcon or RemoveIcon left them.
    void ChangeToolTip(ui::Form& frm, const std::string& text);
    // After the taskbar was made anew: adds the form's icon again as it was last shown, when
    // the form has one. False when it has one and the shell takes it neither as new nor as
    // already there. bRunningInTray stays as it is.
    bool ShowIconAgain(ui::Form& frm);

    // The record as the last call filled it.
    const NOTIFYICONDATAW& Record() const { return record_; }

    // The first kTipLength units of tip as the record holds the text: cut to leave room for its
    // NUL, then blanks up to the full length.
    static void FillTip(WCHAR* tip, const std::string& text);

  private:
    void FillRecord(ui::Form& frm, UINT callbackMessage, const std::string& tip);

    NOTIFYICONDATAW record_{};
    // The icons in the notification area now, by window, as last handed to the shell.
    std::map<HWND, NOTIFYICONDATAW> shown_;
};

// The one tray object, created on first use.
clsTray& Tray();
