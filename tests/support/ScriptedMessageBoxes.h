// Answers the program's message boxes from a queue during one test; a box that was not
// expected fails the test. Without a script, every box fails the test that showed it.
#pragma once

#include "MessageBox.h"

#include <deque>
#include <functional>
#include <vector>

class ScriptedMessageBoxes {
  public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    // Queues the answer for the next box, and what happens while that box is open (a timer, a
    // click elsewhere) before it is answered.
    void Expect(int answer, std::function<void()> whileOpen = {}) {
        answers_.push_back({answer, std::move(whileOpen)});
    }
    // Every box shown so far, in order.
    const std::vector<ui::MessageBoxRequest>& Shown() const { return shown_; }
    size_t Pending() const { return answers_.size(); }

  private:
    struct Answer {
        int answer;
        std::function<void()> whileOpen;
    };
    std::deque<Answer> answers_;
    std::vector<ui::MessageBoxRequest> shown_;
};

// The handler in force between scripts: any box fails the test.
void InstallUnexpectedMessageBoxHandler();
