// Answers the program's launches of other programs during one test; a launch that was not
// expected fails the test. Without a script, every launch fails the test that made it.
#pragma once

#include "ShellLaunch.h"

#include <deque>
#include <vector>

class ExpectedLaunches {
  public:
    ExpectedLaunches();
    ~ExpectedLaunches();
    ExpectedLaunches(const ExpectedLaunches&) = delete;
    ExpectedLaunches& operator=(const ExpectedLaunches&) = delete;

    // Queues the next launch's answer; the launch is recorded, never carried out.
    void Expect(ShellLaunch::Result answer = {true, false, 0}) {
        answers_.push_back({false, answer});
    }
    // Queues a launch that is carried out for real (a harmless program inside the sandbox).
    void ExpectReal() { answers_.push_back({true, {}}); }
    // Every launch asked for so far, in order.
    const std::vector<ShellLaunch::Request>& Launched() const { return launched_; }

  private:
    struct Answer {
        bool real;
        ShellLaunch::Result result;
    };
    std::deque<Answer> answers_;
    std::vector<ShellLaunch::Request> launched_;
};

// The launcher in force between scripts: any launch fails the test and starts nothing.
void InstallUnexpectedLaunchHandler();
