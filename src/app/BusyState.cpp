#include "BusyState.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace BusyState {

namespace {

std::vector<Operation*> running;
bool stopRequested = false;
std::vector<std::pair<const void*, std::function<void()>>> waiting;

void RunWaiting() {
    while (running.empty() && !waiting.empty()) {
        std::function<void()> action = std::move(waiting.front().second);
        waiting.erase(waiting.begin());
        try {
            action();
        } catch (...) {
            // A failed close or follow-up must not take the program down with it.
        }
    }
}

} // namespace

bool IsBusy() {
    return !running.empty();
}

void WhenIdle(const void* owner, std::function<void()> action) {
    if (running.empty()) {
        action();
        return;
    }
    for (const auto& entry : waiting)
        if (entry.first == owner)
            return;
    waiting.emplace_back(owner, std::move(action));
}

void RequestStop() {
    if (running.empty())
        return;
    stopRequested = true;
    // A stop may start or end operations of its own: ask from a copy, each operation once.
    const std::vector<Operation*> operations = running;
    for (Operation* operation : operations) {
        if (std::find(running.begin(), running.end(), operation) == running.end())
            continue;
        operation->AskToStop();
    }
}

bool StopRequested() {
    return stopRequested;
}

Operation::Operation() {
    running.push_back(this);
}

Operation::Operation(std::function<void()> stop) : stop_(std::move(stop)) {
    running.push_back(this);
}

Operation::~Operation() {
    running.erase(std::find(running.begin(), running.end(), this));
    if (running.empty())
        stopRequested = false;
    RunWaiting();
}

void Operation::AskToStop() {
    if (stopAsked_ || !stop_)
        return;
    stopAsked_ = true;
    std::function<void()> stop = stop_;
    try {
        stop();
    } catch (...) {
        // The operation then simply runs to its end.
    }
}

} // namespace BusyState
