// Answers the program's message boxes from a queue during one test; a box that was not
// expected fails the test. Without a script, every box fails the test that showed it.
#pragma once

#include "MessageBox.h"

#include <deque>
#include <vector>

class ScriptedMessageBoxes {
  public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    // Queues the answer for the next box.
    void Expect(int answer) { answers_.push_back(answer); }
    // Every box shown so far, in order.
    const std::vector<ui::MessageBoxRequest>& Shown() const { return shown_; }
    size_t Pending() const { return answers_.size(); }

  private:
    std::deque<int> answers_;
    std::vector<ui::MessageBoxRequest> shown_;
};

// The handler in force between scripts: any box fails the test.
void InstallUnexpectedMessageBoxHandler();
