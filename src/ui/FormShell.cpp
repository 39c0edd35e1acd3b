// Where the forms meet the shell and the session: the taskbar button, the end of the user's
// session, and the program's end once no window is left on the screen.
#include "FormNative.h"

#include "TextRules.h"

#include <shobjidl.h>

namespace ui {

using namespace detail;

namespace {

bool quitWhenNoneShown = false;

// Inside a handler, a pass of the message loop shows what changed at most this often: the eye
// takes in no more, and a repaint (a progress bar's above all) costs more than a small step of
// the work.
constexpr DWORD kPassRefreshMs = 100;
DWORD lastRefresh = 0;
// The timer that shows what a pass left unshown, in case no pass or handler comes soon.
UINT_PTR owedRefresh = 0;

void CALLBACK RefreshOwed(HWND, UINT, UINT_PTR, DWORD) {
    RefreshLoadedForms();
}

void SetTaskButton(HWND hwnd, bool shown) {
    const HRESULT entered = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ITaskbarList* taskbar = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ITaskbarList, reinterpret_cast<void**>(&taskbar)))) {
        if (SUCCEEDED(taskbar->HrInit())) {
            if (shown)
                taskbar->AddTab(hwnd);
            else
                taskbar->DeleteTab(hwnd);
        }
        taskbar->Release();
    }
    if (SUCCEEDED(entered))
        CoUninitialize();
}

} // namespace

void Form::Impl::EndSession(Form& f) {
    if (f.depth_ <= 1) {
        // Only this message is under way: the window procedure carries the unload out as it
        // returns.
        f.unloadPending_ = true;
        f.unloadMode_ = vbAppWindows;
        return;
    }
    // Inside one of this form's handlers, which the system will not let finish: the unload's
    // events run now, and the window stays for the handlers still on the call stack.
    bool cancel = false;
    ++f.depth_;
    try {
        f.Form_QueryUnload(cancel, vbAppWindows);
        if (!cancel)
            f.Form_Unload(cancel);
    } catch (...) {
    }
    --f.depth_;
}

void Form::Impl::PushTaskButton(Form& f, bool force) {
    if (!force && f.TaskVisible == f.pushedTaskVisible_)
        return;
    f.pushedTaskVisible_ = f.TaskVisible;
    // A hidden window has no button, and a window made without one never gets one.
    if (f.ShowInTaskbar && f.visible_ && f.hwnd_)
        SetTaskButton(f.hwnd_, f.TaskVisible);
}

void detail::QuitIfNoFormShown() {
    if (!quitWhenNoneShown)
        return;
    for (const Form* form : LoadedForms())
        if (form->Visible())
            return;
    quitWhenNoneShown = false;
    PostQuitMessage(0);
}

Form* LoadedForm(const std::string& name) {
    for (Form* form : LoadedForms())
        if (TextRules::EqualsNoCase(form->Name, name))
            return form;
    return nullptr;
}

int& detail::HandlersRunning() {
    static int running = 0;
    return running;
}

void RefreshLoadedForms() {
    if (owedRefresh) {
        KillTimer(nullptr, owedRefresh);
        owedRefresh = 0;
    }
    lastRefresh = GetTickCount();
    // A copy: a push may unload a form.
    const std::vector<Form*> forms = LoadedForms();
    for (Form* form : forms)
        if (std::find(LoadedForms().begin(), LoadedForms().end(), form) != LoadedForms().end())
            form->Refresh();
}

void RefreshLoadedFormsInPass() {
    if (HandlersRunning() == 0 || GetTickCount() - lastRefresh >= kPassRefreshMs) {
        RefreshLoadedForms();
        return;
    }
    if (!owedRefresh)
        owedRefresh = SetTimer(nullptr, 0, kPassRefreshMs, RefreshOwed);
}

void QuitWhenNoFormShown() {
    quitWhenNoneShown = true;
    QuitIfNoFormShown();
}

} // namespace ui
