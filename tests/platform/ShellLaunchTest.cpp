// Launching other programs, and the paths the program is allowed to act on.
#include "ShellLaunch.h"
#include "DateText.h"
#include "DrivePath.h"
#include "ExpectedLaunches.h"
#include "VersionInfo.h"
#include "xfileExists.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(DrivePath, OnlyPathsOnADriveLetterCount) {
    const struct {
        const char* path;
        bool drive;
    } cases[] = {
        {"C:\\", true},
        {"c:\\windows\\x.exe", true},
        {"C:", true},
        {"\\\\?\\C:\\x", true},
        {"\\\\?\\unix\\etc\\passwd", false},
        {"\\\\?\\UNC\\server\\share", false},
        {"\\\\server\\share\\x", false},
        {"\\\\.\\C:\\x", false},
        {"C:x.exe", false},
        {"1:\\x", false},
        {"\\windows", false},
        {"x.exe", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DrivePath::HasDriveLetter(c.path), c.drive) << c.path;
}

TEST(ShellLaunch, FoldersAreQuotedWithoutATrailingSeparator) {
    EXPECT_EQ(ShellLaunch::QuotedFolder("C:\\A\\"), "\"C:\\A\"");
    EXPECT_EQ(ShellLaunch::QuotedFolder("C:\\My Files"), "\"C:\\My Files\"");
    EXPECT_EQ(ShellLaunch::QuotedFolder("C:\\"), "\"C:\\.\"");
}

TEST(ShellLaunch, AChildRunIsWaitedForAndEndedAfterItsTimeLimit) {
    std::string exe = OwnExecutablePath();
    exe = exe.substr(0, exe.size() - xfileExists::FileNamePart(exe).size()) + "dummy_process.exe";
    ExpectedLaunches launches;
    launches.ExpectReal();
    launches.ExpectReal();
    const ShellLaunch::Result quick = ShellLaunch::RunAndWait(exe, "--seconds 0", 20000);
    EXPECT_TRUE(quick.Started);
    EXPECT_FALSE(quick.TimedOut);
    EXPECT_EQ(quick.ExitCode, 0u);
    const DWORD start = GetTickCount();
    const ShellLaunch::Result slow = ShellLaunch::RunAndWait(exe, "--seconds 60", 300);
    EXPECT_TRUE(slow.Started);
    EXPECT_TRUE(slow.TimedOut);
    EXPECT_LT(GetTickCount() - start, 10000u);
    ASSERT_EQ(launches.Launched().size(), 2u);
    EXPECT_TRUE(launches.Launched()[1].Wait);
    EXPECT_EQ(launches.Launched()[1].TimeoutMs, 300u);
}

TEST(ShellLaunch, AProgramThatIsNotThereDoesNotStart) {
    ExpectedLaunches launches;
    launches.ExpectReal();
    EXPECT_FALSE(ShellLaunch::RunAndWait("C:\\no such folder\\none.exe", "", 1000).Started);
}

TEST(DateText, TheClockCanBeSet) {
    DateText::SetClock([] { return 40000.5; });
    EXPECT_EQ(DateText::Now(), 40000.5);
    EXPECT_EQ(DateText::NowText(), DateText::ToText(40000.5));
    DateText::SetClock(nullptr);
    EXPECT_GT(DateText::Now(), 45000.0); // after 2023
}
