#include "StopScanAt.h"

#include "modGlobals.h"

#include <windows.h>

namespace {

StopScanAt* active = nullptr;

} // namespace

StopScanAt::StopScanAt(const int32_t& counter, int32_t at) : counter_(counter), at_(at) {
    active = this;
    timer_ = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, reinterpret_cast<TIMERPROC>(&Tick));
}

StopScanAt::~StopScanAt() {
    if (timer_)
        KillTimer(nullptr, timer_);
    active = nullptr;
}

void StopScanAt::Tick(HWND, unsigned, uintptr_t, unsigned long) {
    StopScanAt* self = active;
    if (!self || self->stoppedAt_ >= 0 || self->counter_ < self->at_)
        return;
    modGlobals::StopScanRequested = true;
    self->stoppedAt_ = self->counter_;
}
