#include "FromMessageLoop.h"

#include <windows.h>

namespace {

FromMessageLoop* active = nullptr;

} // namespace

FromMessageLoop::FromMessageLoop(std::function<void()> action, std::function<bool()> when)
    : action_(std::move(action)), when_(std::move(when)) {
    active = this;
    timer_ = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, reinterpret_cast<TIMERPROC>(&Tick));
}

FromMessageLoop::~FromMessageLoop() {
    if (timer_)
        KillTimer(nullptr, timer_);
    active = nullptr;
}

void FromMessageLoop::Tick(HWND, unsigned, uintptr_t, unsigned long) {
    FromMessageLoop* self = active;
    if (!self || self->done_ || !self->when_())
        return;
    self->done_ = true;
    self->action_();
}
