// Answers a window that the code under test brings up and then waits for in a message loop of
// its own: whenever the window shows, the next queued action runs on it, as a person would act.
// A showing with no action left fails the test and closes the window, so nothing hangs.
#pragma once

#include "Form.h"

#include <deque>
#include <functional>

class WindowAnswers {
  public:
    using Action = std::function<void(ui::Form&)>;

    explicit WindowAnswers(ui::Form& window);
    ~WindowAnswers();
    WindowAnswers(const WindowAnswers&) = delete;
    WindowAnswers& operator=(const WindowAnswers&) = delete;

    WindowAnswers& Then(Action action);
    size_t Pending() const { return actions_.size(); }

    // A click on one of the window's buttons.
    static Action Click(const ui::Control& button);
    // The close box (Alt+F4 comes the same way).
    static Action CloseBox();
    // The program is told to end.
    static Action Quit();

    // Runs the next action when the window is showing; the test's timer calls it.
    void Check();

  private:
    ui::Form& window_;
    std::deque<Action> actions_;
    unsigned long long timer_ = 0;
    bool answering_ = false;
};

// Ends a test's quit request, so the tests after it run their loops.
void DropQuitRequest();
