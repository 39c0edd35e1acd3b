#include "ExpectedLaunches.h"
#include "ScriptedInputBoxes.h"
#include "ScriptedMessageBoxes.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // A real message or input box would wait for a person; in tests every box must be scripted.
    InstallUnexpectedMessageBoxHandler();
    InstallUnexpectedInputBoxHandler();
    // A real launch would reach the desktop of the machine running the tests.
    InstallUnexpectedLaunchHandler();
    return RUN_ALL_TESTS();
}
