#include <windows.h>

#include "WindowAnswers.h"

#include <gtest/gtest.h>

namespace {

WindowAnswers* active = nullptr;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (active)
        active->Check();
}

} // namespace

WindowAnswers::WindowAnswers(ui::Form& window) : window_(window) {
    active = this;
    timer_ = SetTimer(nullptr, 0, 20, OnTimer);
}

WindowAnswers::~WindowAnswers() {
    KillTimer(nullptr, static_cast<UINT_PTR>(timer_));
    active = nullptr;
}

WindowAnswers& WindowAnswers::Then(Action action) {
    actions_.push_back(std::move(action));
    return *this;
}

void WindowAnswers::Check() {
    if (answering_ || !window_.Loaded() || !IsWindowVisible(window_.Handle()))
        return;
    answering_ = true;
    if (actions_.empty()) {
        ADD_FAILURE() << window_.Name << " came up unexpectedly";
        PostMessageW(window_.Handle(), WM_CLOSE, 0, 0);
    } else {
        Action action = std::move(actions_.front());
        actions_.pop_front();
        action(window_);
    }
    answering_ = false;
}

WindowAnswers::Action WindowAnswers::Click(const ui::Control& button) {
    return
        [&button](ui::Form& window) { SendMessageW(window.ControlHandle(button), BM_CLICK, 0, 0); };
}

WindowAnswers::Action WindowAnswers::CloseBox() {
    return [](ui::Form& window) { SendMessageW(window.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); };
}

WindowAnswers::Action WindowAnswers::Quit() {
    return [](ui::Form&) { PostQuitMessage(0); };
}

void DropQuitRequest() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}
