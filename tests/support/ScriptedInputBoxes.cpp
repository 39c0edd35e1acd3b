#include "ScriptedInputBoxes.h"

#include <gtest/gtest.h>

ScriptedInputBoxes::ScriptedInputBoxes() {
    ui::SetInputBoxHandler([this](const ui::InputBoxRequest& request) {
        shown_.push_back(request);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected input box: " << request.prompt;
            return std::string();
        }
        std::string answer = std::move(answers_.front());
        answers_.pop_front();
        return answer;
    });
}

ScriptedInputBoxes::~ScriptedInputBoxes() {
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " expected input box(es) never shown";
    InstallUnexpectedInputBoxHandler();
}

void InstallUnexpectedInputBoxHandler() {
    ui::SetInputBoxHandler([](const ui::InputBoxRequest& request) {
        ADD_FAILURE() << "unexpected input box: " << request.prompt;
        return std::string();
    });
}
