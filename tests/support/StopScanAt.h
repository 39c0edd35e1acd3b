// Presses Stop from inside a scan, as a user would during one of its message-loop passes: once
// a scan counter has reached a value. The timer behind it ends with the object.
#pragma once

#include <cstdint>

class StopScanAt {
  public:
    StopScanAt(const int32_t& counter, int32_t at);
    ~StopScanAt();
    StopScanAt(const StopScanAt&) = delete;
    StopScanAt& operator=(const StopScanAt&) = delete;

    // The counter's value when Stop was pressed, or -1 while it was not.
    int32_t StoppedAt() const { return stoppedAt_; }
    bool Armed() const { return timer_ != 0; }

  private:
    static void __stdcall Tick(struct HWND__*, unsigned, uintptr_t, unsigned long);

    const int32_t& counter_;
    int32_t at_;
    int32_t stoppedAt_ = -1;
    uintptr_t timer_ = 0;
};
