#include "BusyState.h"

#include <utility>
#include <vector>

namespace BusyState {

namespace {

int running = 0;
std::vector<std::pair<const void*, std::function<void()>>> waiting;

void RunWaiting() {
    while (running == 0 && !waiting.empty()) {
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
    return running > 0;
}

void WhenIdle(const void* owner, std::function<void()> action) {
    if (running == 0) {
        action();
        return;
    }
    for (const auto& entry : waiting)
        if (entry.first == owner)
            return;
    waiting.emplace_back(owner, std::move(action));
}

Operation::Operation() {
    ++running;
}

Operation::~Operation() {
    --running;
    RunWaiting();
}

} // namespace BusyState
