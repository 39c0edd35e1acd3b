// One busy state for the program's long operations: a scan, a removal run, an update, a shield
// alert waiting for its answer. They all pump messages, so the user can press buttons while one
// runs. While one is running the commands that would start another do nothing, and a close asked
// for meanwhile asks the operations to stop and is carried out once they have unwound.
#pragma once

#include <functional>

namespace BusyState {

bool IsBusy();

// Runs the action once no operation is running: at once when idle, otherwise when the
// outermost operation ends. An action already waiting is not queued twice.
void WhenIdle(const void* owner, std::function<void()> action);

// Asks the running operations to stop early, as their own Stop would: each operation that said
// how it stops is asked once, and StopRequested() reads true until the outermost one ends.
// Nothing happens while idle.
void RequestStop();
bool StopRequested();

// Marks an operation for its lifetime; operations nest. Whatever way the operation ends (a
// return or an exception), the state is released.
class Operation {
  public:
    Operation();
    // stop: how RequestStop asks this operation to end early.
    explicit Operation(std::function<void()> stop);
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

  private:
    friend void RequestStop();
    void AskToStop();

    std::function<void()> stop_;
    bool stopAsked_ = false;
};

} // namespace BusyState
