#include "ExpectedLaunches.h"
#include "ScriptedInputBoxes.h"
#include "ScriptedMessageBoxes.h"
#include "SettingsStore.h"

#include <gtest/gtest.h>

namespace {

// Each test starts as the program does: what the settings store knows comes from the registry,
// which fixtures set up and clear behind the store's back.
class FreshSettingsPerTest : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { ForgetStoredSettings(); }
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // A real message or input box would wait for a person; in tests every box must be scripted.
    InstallUnexpectedMessageBoxHandler();
    InstallUnexpectedInputBoxHandler();
    // A real launch would reach the desktop of the machine running the tests.
    InstallUnexpectedLaunchHandler();
    testing::UnitTest::GetInstance()->listeners().Append(new FreshSettingsPerTest);
    return RUN_ALL_TESTS();
}
