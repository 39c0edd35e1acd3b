#include "modGenDec.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>

using modGenDec::ExpandPathMacros;

namespace {

std::string FakeFolder(int csidl) {
    std::string folder = "F";
    folder += std::to_string(csidl);
    return folder;
}

// Every folder is "F<csidl>\" except those a test takes away or sets.
class PathMacros : public testing::Test {
  protected:
    void SetUp() override {
        modGenDec::SetSpecialFolderLookup([this](int csidl) -> std::optional<std::string> {
            ++lookups[csidl];
            if (missing.count(csidl))
                return std::nullopt;
            auto set = folders.find(csidl);
            return set != folders.end() ? set->second : FakeFolder(csidl);
        });
    }
    void TearDown() override { modGenDec::SetSpecialFolderLookup(nullptr); }

    std::string Expand(std::string text) { return ExpandPathMacros(text); }

    std::map<int, std::string> folders;
    std::map<int, int> lookups;
    std::map<int, bool> missing;
};

TEST_F(PathMacros, EveryTokenMapsToItsFolder) {
    const std::pair<const char*, int> table[] = {
        {"[startsp]", 29}, {"[appdata]", 26}, {"[recycle]", 10}, {"[comstar]", 30},
        {"[comapp]", 35},  {"[desktop]", 25}, {"[comdocs]", 46}, {"[comfav]", 31},
        {"[comprog]", 23}, {"[comstam]", 22}, {"[comtemp]", 45}, {"[cookies]", 33},
        {"[comdesk]", 16}, {"[favorit]", 6},  {"[fonts]", 20},   {"[history]", 34},
        {"[netcach]", 32}, {"[progs]", 2},    {"[progfil]", 38}, {"[comprogfil]", 43},
        {"[personl]", 5},  {"[recent]", 8},   {"[sendto]", 9},   {"[startup]", 7},
        {"[strtmnu]", 11}, {"[system]", 37},  {"[templat]", 21}, {"[windir]", 36},
        {"[user]", 11},    {"[alluser]", 22},
    };
    for (const auto& [token, csidl] : table)
        EXPECT_EQ(Expand(std::string(token) + "x.dll"), FakeFolder(csidl) + "\\x.dll") << token;
}

TEST_F(PathMacros, TextTokensIgnoreCaseButProfileTokensDoNot) {
    EXPECT_EQ(Expand("[WINDIR]a"), "F36\\a");
    EXPECT_EQ(Expand("[WinDir]a"), "F36\\a");
    EXPECT_EQ(Expand("[USER]a"), "[USER]a");
    EXPECT_EQ(Expand("[AllUser]a"), "[AllUser]a");
}

TEST_F(PathMacros, RepeatedTokensUseOnlyTheirFirstRow) {
    folders[30] = "C:\\alt-startup";
    folders[24] = "C:\\common-startup";
    folders[26] = "C:\\roaming";
    folders[28] = "C:\\local";
    EXPECT_EQ(Expand("[comstar]a"), "C:\\alt-startup\\a");
    EXPECT_EQ(Expand("[appdata]a"), "C:\\roaming\\a");
    EXPECT_EQ(Expand("[APPDATA]a"), "C:\\roaming\\a");
}

TEST_F(PathMacros, ProfileTokensDropTheStartMenuFolder) {
    folders[11] = "C:\\Users\\bob\\Start Menu";
    folders[22] = "C:\\ProgramData\\Microsoft\\Windows\\START MENU";
    EXPECT_EQ(Expand("[user]Desktop"), "C:\\Users\\bob\\Desktop");
    EXPECT_EQ(Expand("[alluser]x"), "C:\\ProgramData\\Microsoft\\Windows\\x");
    EXPECT_EQ(Expand("[strtmnu]x"), "C:\\Users\\bob\\Start Menu\\x");
}

TEST_F(PathMacros, EveryOccurrenceIsReplacedAndTheArgumentChanges) {
    std::string text = "pre[windir]mid[windir]post[system]end";
    const std::string result = ExpandPathMacros(text);
    EXPECT_EQ(result, "preF36\\midF36\\postF37\\end");
    EXPECT_EQ(text, result);
    EXPECT_EQ(Expand("[drive]x"), "[drive]x");
    EXPECT_EQ(Expand("no tokens"), "no tokens");
}

TEST_F(PathMacros, AFolderThatIsMissingIsReportedNotMadeRelative) {
    missing[30] = true;
    std::string text = "[comstar]evil.exe";
    std::string missingToken;
    ExpandPathMacros(text, &missingToken);
    EXPECT_EQ(missingToken, "[comstar]");
    EXPECT_EQ(text, "evil.exe");

    std::string present = "[windir]a";
    ExpandPathMacros(present, &missingToken);
    EXPECT_EQ(missingToken, "");
    // A missing folder that the text does not use is no matter.
    std::string other = "[fonts]a";
    ExpandPathMacros(other, &missingToken);
    EXPECT_EQ(missingToken, "");
    EXPECT_EQ(modGenDec::GetSpecialFolderPath(30), "");
}

TEST_F(PathMacros, FoldersAreLookedUpOncePerProcess) {
    for (int i = 0; i < 50; ++i)
        Expand("[windir]a[system]b");
    EXPECT_EQ(lookups[36], 1);
    EXPECT_EQ(lookups[37], 1);
}

TEST(PathMacrosOnWine, SystemFoldersResolve) {
    // "[system]" is the system folder as a 32-bit program is told it: "System32" in either
    // process, the redirection applied only where the path is used.
    wchar_t windows[MAX_PATH] = {}, system[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    std::string text = "[windir]notepad.exe|[system]kernel32.dll";
    std::string missingToken;
    ExpandPathMacros(text, &missingToken);
    EXPECT_EQ(missingToken, "");
    char expected[2 * MAX_PATH + 64];
    snprintf(expected, sizeof(expected), "%ls\\notepad.exe|%ls\\kernel32.dll", windows, system);
    EXPECT_TRUE(_stricmp(text.c_str(), expected) == 0) << text << " vs " << expected;

    EXPECT_EQ(modGenDec::GetSystemDriveRoot(), "C:\\");
    EXPECT_EQ(modGenDec::GetSystemDir(), modGenDec::GetSystemDirectoryText() + "\\");
    EXPECT_NE(modGenDec::GetSystemDirectoryText().back(), '\\');
    const std::string programs = modGenDec::GetSpecialFolderByLocation(CSIDL_PROGRAMS);
    ASSERT_FALSE(programs.empty());
    EXPECT_EQ(programs.back(), '\\');
    EXPECT_EQ(modGenDec::GetSpecialFolderPath(CSIDL_WINDOWS).back(), '\\');
}

TEST(PathMacrosOnWine, DataFolderIsInTheUsersApplicationData) {
    std::string dataFolder = "[appdata]AntiSpywareDAT";
    ExpandPathMacros(dataFolder);
    wchar_t appData[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE));
    char expected[MAX_PATH + 32];
    snprintf(expected, sizeof(expected), "%ls\\AntiSpywareDAT", appData);
    EXPECT_EQ(dataFolder, expected);
}

} // namespace
