#include "ScriptedMessageBoxes.h"

#include <gtest/gtest.h>

ScriptedMessageBoxes::ScriptedMessageBoxes() {
    ui::SetMessageBoxHandler([this](const ui::MessageBoxRequest& request) {
        shown_.push_back(request);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected message box: " << request.prompt;
            return 0;
        }
        Answer answer = std::move(answers_.front());
        answers_.pop_front();
        if (answer.whileOpen)
            answer.whileOpen();
        return answer.answer;
    });
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " expected message box(es) never shown";
    InstallUnexpectedMessageBoxHandler();
}

void InstallUnexpectedMessageBoxHandler() {
    ui::SetMessageBoxHandler([](const ui::MessageBoxRequest& request) {
        ADD_FAILURE() << "unexpected message box: " << request.prompt;
        return 0;
    });
}
