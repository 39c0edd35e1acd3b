#include "ExpectedLaunches.h"

#include <gtest/gtest.h>

ExpectedLaunches::ExpectedLaunches() {
    ShellLaunch::SetLauncher([this](const ShellLaunch::Request& request) {
        launched_.push_back(request);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected launch: " << request.File << " " << request.Parameters;
            return ShellLaunch::Result{};
        }
        const Answer answer = answers_.front();
        answers_.pop_front();
        return answer.real ? ShellLaunch::LaunchForReal(request) : answer.result;
    });
}

ExpectedLaunches::~ExpectedLaunches() {
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " expected launch(es) never made";
    InstallUnexpectedLaunchHandler();
}

void InstallUnexpectedLaunchHandler() {
    ShellLaunch::SetLauncher([](const ShellLaunch::Request& request) {
        ADD_FAILURE() << "unexpected launch: " << request.File << " " << request.Parameters;
        return ShellLaunch::Result{};
    });
}
