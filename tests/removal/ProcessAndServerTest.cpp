#include "QuarantineFixture.h"

#include "AnsiText.h"
#include "ExpectedLaunches.h"
#include "PlantedProcess.h"
#include "ProcessControl.h"
#include "X86View.h"
#include "modFileRelated.h"
#include "modRegsvr32.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace modFileRelated;

namespace {

using ExeRemoval = QuarantineFixture;

TEST_F(ExeRemoval, StopsExactlyTheProcessesRunningThatFile) {
    const std::string name = UniqueProcessName("evil.exe");
    PlantedProcess removed(name);
    PlantedProcess sameNameElsewhere(name);
    ASSERT_TRUE(removed.Running());
    ASSERT_TRUE(sameNameElsewhere.Running());

    EXPECT_EQ(QuarantineFile(removed.Path()), 1);
    EXPECT_TRUE(removed.Ended());
    EXPECT_FALSE(PathExists(removed.Path()));
    EXPECT_EQ(ReadFileBytes(Stored(name)).substr(0, 2), "MZ");
    // The other copy of the same name in another folder runs on, its file untouched.
    EXPECT_TRUE(sameNameElsewhere.Running());
    EXPECT_TRUE(PathExists(sameNameElsewhere.Path()));
}

TEST_F(ExeRemoval, AProcessThatCannotBeStoppedKeepsItsFile) {
    PlantedProcess running(UniqueProcessName("stubborn.exe"));
    ProcessControl::SetTerminateOverride([](uint32_t, unsigned) { return false; });
    const int result = QuarantineFile(running.Path());
    ProcessControl::SetTerminateOverride(nullptr);
    EXPECT_EQ(result, 2);
    EXPECT_TRUE(running.Running());
    EXPECT_TRUE(PathExists(running.Path()));
    EXPECT_EQ(QuarantineEntries(), std::vector<std::string>{});
}

// The suite's registration fixture, written out from this program's resources to a folder of
// the test's own, where it also leaves its marks.
class ServerRegistration : public QuarantineFixture {
  protected:
    ServerRegistration() {
        HRSRC resource = FindResourceW(nullptr, L"REGISTRATION_MARKER", MAKEINTRESOURCEW(10));
        EXPECT_NE(resource, nullptr);
        if (!resource)
            return;
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
        dll = machine.WriteFile("Evil Server.dll",
                                std::string(bytes, SizeofResource(nullptr, resource)));
    }
    // What the library last wrote about itself: "registered", "unregistered" or "".
    std::string Mark() const {
        const std::string mark = ReadFileBytes(dll + ".mark");
        return mark == "<missing>" ? "" : mark;
    }

    std::string dll;
    ExpectedLaunches launches;
};

TEST_F(ServerRegistration, RunsTheRegistrationToolAndNeverLoadsTheLibrary) {
    launches.ExpectReal();
    launches.ExpectReal();
    EXPECT_TRUE(modRegsvr32::RegisterServer(dll, true));
    EXPECT_EQ(Mark(), "registered");
    EXPECT_TRUE(modRegsvr32::RegisterServer(dll, false));
    EXPECT_EQ(Mark(), "unregistered");
    EXPECT_EQ(GetModuleHandleW(Utf8ToWide(dll).c_str()), nullptr);

    ASSERT_EQ(launches.Launched().size(), 2u);
    const std::string tool = X86View::NativeSystemFolder() + "\\regsvr32.exe";
    EXPECT_EQ(launches.Launched()[0].File, tool);
    EXPECT_EQ(launches.Launched()[0].Parameters, "/s \"" + dll + "\"");
    EXPECT_EQ(launches.Launched()[1].Parameters, "/u /s \"" + dll + "\"");
    EXPECT_TRUE(launches.Launched()[1].Wait);
    EXPECT_EQ(launches.Launched()[1].TimeoutMs, modRegsvr32::kTimeoutMs);
}

TEST_F(ServerRegistration, AFailedOrOverlongRunIsAFailure) {
    launches.Expect({true, false, 3});
    launches.Expect({true, true, 1});
    launches.Expect({false, false, 0});
    EXPECT_FALSE(modRegsvr32::RegisterServer(dll, false));
    EXPECT_FALSE(modRegsvr32::RegisterServer(dll, false));
    EXPECT_FALSE(modRegsvr32::RegisterServer(dll, false));
    // A missing library, or one the removal may not touch, starts nothing.
    EXPECT_FALSE(modRegsvr32::RegisterServer(machine / "missing.dll", false));
    EXPECT_FALSE(modRegsvr32::RegisterServer("\\\\?\\unix\\tmp\\evil.dll", false));
    EXPECT_EQ(Mark(), "");
}

TEST_F(ServerRegistration, ALibraryIsUnregisteredThenQuarantined) {
    launches.ExpectReal();
    EXPECT_EQ(QuarantineAndDeleteFile(dll), 1);
    EXPECT_EQ(Mark(), "unregistered");
    EXPECT_FALSE(PathExists(dll));
    EXPECT_EQ(ReadFileBytes(Stored("Evil Server.dll")).substr(0, 2), "MZ");
    EXPECT_EQ(Journal(),
              Now() + " - File: Evil Server.dll\r\n - Location: " + dll + "\r\n\r\n\r\n");
    // The second pass finds nothing and starts nothing.
    RemovalFirstPass = false;
    EXPECT_EQ(QuarantineAndDeleteFile(dll), -1);
}

} // namespace
