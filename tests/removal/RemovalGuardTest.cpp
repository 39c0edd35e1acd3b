#include "RemovalGuard.h"

#include "ScanFixture.h"
#include "modGenDec.h"
#include "modGlobals.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

using namespace RemovalGuard;

namespace {

using RemovalGuardTest = ScanFixture;

std::string Parent(const std::string& path) {
    return path.substr(0, path.rfind('\\'));
}

std::string Special(int csidl) {
    std::string folder = modGenDec::GetSpecialFolderPath(csidl);
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

TEST(RemovalGuardPaths, NormalizeToOneComparableForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"c:/Tide/water//./x/../Evil. ", "C:\\Tide\\water\\Evil"},
        {"\\\\?\\c:\\Tide\\", "C:\\Tide"},
        {"C:", "C:\\"},
        {"c:\\..\\..", "C:\\"},
        {"C:\\Tide\\...\\x", ""},
        {"C:\\Tide\\. .\\x", ""},
        {"C:\\Tide\\*.exe", ""},
        {"C:\\Tide\\a?.exe", ""},
        {"C:\\Tide\\file.txt:stream", ""},
        {"C:\\Tide\\a|b", ""},
        {"Tide\\x", ""},
        {"\\\\?\\unix\\etc\\passwd", ""},
        {"\\\\server\\share\\x", ""},
        {"", ""},
    };
    for (const auto& [path, normalized] : cases)
        EXPECT_EQ(NormalizedPath(path), normalized) << path;
}

TEST(RemovalGuardPaths, InsideMeansBelowASeparator) {
    EXPECT_TRUE(IsSameOrInside("c:\\TIDE\\water", "C:\\tide"));
    EXPECT_TRUE(IsSameOrInside("C:\\Tide", "c:\\tide\\"));
    EXPECT_TRUE(IsSameOrInside("C:\\Tide\\x", "C:\\"));
    EXPECT_FALSE(IsSameOrInside("C:\\Tidewater", "C:\\Tide"));
    EXPECT_FALSE(IsSameOrInside("C:\\Tide", "C:\\Tide\\water"));
    EXPECT_FALSE(IsSameOrInside("\\\\?\\unix\\Tide", "\\\\?\\unix"));
}

TEST_F(RemovalGuardTest, RefusesTheSystemTheProgramAndWhatHoldsThem) {
    const std::string windows = Special(CSIDL_WINDOWS);
    const std::string system = Special(CSIDL_SYSTEM);
    const std::string profile = Special(CSIDL_PROFILE);
    const std::string programFiles = Special(CSIDL_PROGRAM_FILES);
    ASSERT_FALSE(windows.empty());
    ASSERT_FALSE(profile.empty());
    ASSERT_FALSE(programFiles.empty());
    const std::string refused[] = {
        "",
        "evil.exe",
        "\\\\?\\unix\\tmp\\evil.exe",
        "\\\\?\\unix\\",
        "\\\\server\\share\\evil.exe",
        "C:",
        "C:\\",
        "c:/",
        "\\\\?\\C:\\",
        "C:\\*",
        windows,
        windows + "\\",
        windows + ".",
        "\\\\?\\" + windows,
        system + "\\..",
        system,
        Special(CSIDL_SYSTEMX86),
        windows + "\\Sysnative",
        programFiles,
        programFiles + "\\Common Files\\..",
        profile,
        Parent(profile),
        data.Path(),
        data / "quarantine",
        data / "quarantine\\x (2).exe",
        data / "Definitions.dat",
        data / "sub\\..\\quarantine\\x.exe",
        Parent(data.Path()),         // holds the data folder
        Parent(Parent(data.Path())), // and so on up
        machine / "..\\" + data.Path().substr(data.Path().rfind('\\') + 1),
        machine / "evil.exe:stream",
        machine / "*.exe",
    };
    for (const std::string& path : refused)
        EXPECT_FALSE(MayRemove(path)) << path;

    const std::string allowed[] = {
        machine / "evil.exe",
        machine / "Evil Folder",
        machine / "sub\\..\\evil.exe",
        "\\\\?\\" + machine / "evil.exe",
        windows + "\\evil.dll",
        system + "\\evil\\",
        programFiles + "\\Evil Toolbar",
        profile + "\\Application Data\\Evil",
        data.Path() + "-other\\evil.exe", // beside the data folder, not in it
    };
    for (const std::string& path : allowed)
        EXPECT_TRUE(MayRemove(path)) << path;
}

TEST_F(RemovalGuardTest, TheProtectedFoldersFollowTheDataFolderAndTheSystem) {
    const std::string item = machine / "evil.exe";
    const std::string commonFiles = Special(CSIDL_PROGRAM_FILES_COMMON);
    ASSERT_FALSE(commonFiles.empty());
    ASSERT_TRUE(MayRemove(item));
    modGlobals::DataFolder = machine.Path();
    EXPECT_FALSE(MayRemove(item));
    modGlobals::DataFolder = data.Path();
    EXPECT_TRUE(MayRemove(item));
    {
        // The system's folders are read again: "C:\\F<csidl>" here.
        const MissingSpecialFolder missing(CSIDL_ALTSTARTUP);
        EXPECT_FALSE(MayRemove("C:\\F" + std::to_string(CSIDL_PROGRAM_FILES_COMMON)));
        EXPECT_TRUE(MayRemove(commonFiles));
    }
    EXPECT_FALSE(MayRemove(commonFiles));
    EXPECT_TRUE(MayRemove("C:\\F" + std::to_string(CSIDL_PROGRAM_FILES_COMMON)));
}

TEST_F(RemovalGuardTest, ShortNamesAreReadAsTheLongOnes) {
    const std::string folder = machine.MakeFolder("Protected Long Folder Name");
    wchar_t shortName[MAX_PATH] = {};
    const std::wstring wide(folder.begin(), folder.end());
    ASSERT_GT(GetShortPathNameW(wide.c_str(), shortName, MAX_PATH), 0u);
    std::string shortPath;
    for (const wchar_t* c = shortName; *c; ++c)
        shortPath += static_cast<char>(*c);
    ASSERT_NE(shortPath, folder);
    EXPECT_TRUE(IsSameOrInside(shortPath + "\\x", folder));
    // The data folder, named by its short form, is still the data folder.
    modGlobals::DataFolder = shortPath;
    EXPECT_FALSE(MayRemove(folder + "\\quarantine"));
    EXPECT_FALSE(MayRemove(Parent(folder)));
    modGlobals::DataFolder = data.Path();
}

} // namespace
