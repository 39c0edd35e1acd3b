// Runs an action once, from the first message-loop pass after a condition holds: what the user or
// another program does while a long operation yields. The timer behind it ends with the object.
#pragma once

#include <cstdint>
#include <functional>

class FromMessageLoop {
  public:
    explicit FromMessageLoop(
        std::function<void()> action, std::function<bool()> when = [] { return true; });
    ~FromMessageLoop();
    FromMessageLoop(const FromMessageLoop&) = delete;
    FromMessageLoop& operator=(const FromMessageLoop&) = delete;

    bool Done() const { return done_; }

  private:
    static void __stdcall Tick(struct HWND__*, unsigned, uintptr_t, unsigned long);

    std::function<void()> action_;
    std::function<bool()> when_;
    bool done_ = false;
    uintptr_t timer_ = 0;
};
