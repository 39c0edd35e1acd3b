// Answers the program's input boxes from a queue during one test; a box that was not expected
// fails the test. Without a script, every input box fails the test that showed it.
#pragma once

#include "InputBox.h"

#include <deque>
#include <string>
#include <vector>

class ScriptedInputBoxes {
  public:
    ScriptedInputBoxes();
    ~ScriptedInputBoxes();
    ScriptedInputBoxes(const ScriptedInputBoxes&) = delete;
    ScriptedInputBoxes& operator=(const ScriptedInputBoxes&) = delete;

    // Queues the text typed into the next box and OK.
    void Answer(std::string text) { answers_.push_back(std::move(text)); }
    // Queues Cancel for the next box, which gives "".
    void Cancel() { answers_.emplace_back(); }
    // Every box shown so far, in order.
    const std::vector<ui::InputBoxRequest>& Shown() const { return shown_; }

  private:
    std::deque<std::string> answers_;
    std::vector<ui::InputBoxRequest> shown_;
};

// The handler in force between scripts: any input box fails the test.
void InstallUnexpectedInputBoxHandler();
